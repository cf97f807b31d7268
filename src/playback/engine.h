// The playback engine: prepares a loaded Score for playing (roll and comb
// pictures, tempo, titles, controls), sends the channel set-up, walks the
// rows on a periodic timer (two ticks per row), changes the tempo while
// playing, follows the position bar and the fast forward / rewind buttons,
// and at the end of a song repeats it or signals the next playlist position.
//
// Threads: TimerTick runs on the timer's thread; every other method runs on
// the user-interface thread. Flags shared between the two are atomics; the
// comb picture is guarded by a short lock because the position bar may clear
// a row's teeth while a tick is lighting others. Display updates go through
// PlayerDisplay; the methods marked "any thread" below are called from the
// timer thread while playing, and the window's implementation queues them to
// the user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/load_hooks.h"
#include "core/messages.h"
#include "core/score.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"
#include "playback/player_status.h"
#include "settings/sound_settings.h"

namespace poronka {

// ---- pictures -----------------------------------------------------------------

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kCombRestColour{192, 220, 192};
constexpr Rgb kCombStruckColour{0, 255, 0};
constexpr Rgb kRollDotColour{0, 0, 0};
constexpr Rgb kCombLineColour{0, 0, 0};
// The usual tooltip background, for windows that cannot ask the system.
constexpr Rgb kDefaultRollBackground{255, 255, 225};

// A 24-bit picture: rows top to bottom, 3 bytes per pixel in the order
// red, green, blue, no padding (a QImage::Format_RGB888 can wrap `pixels`
// with stride width * 3).
struct Rgb24Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  void Reset(int w, int h, Rgb fill);
  void Fill(Rgb c);
  int Stride() const { return width * 3; }
  uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * Stride(); }
  const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * Stride(); }
  Rgb At(int x, int y) const;
  void Set(int x, int y, Rgb c);  // ignores points outside
};

// ---- display geometry -------------------------------------------------------------

// The roll and comb geometry of a song at a screen density (ppi 120 at the
// design size).
struct RollGeometry {
  double RowScale = 0;     // half the height of a row on the roll
  double ColumnScale = 0;  // width of a column and of a comb tooth
  int RollMargin = 0;      // centres narrow songs
  int RollBaseTop = 0;     // top of the roll picture at row 0
  int ToothMax = 0;        // length of the first tooth
  int ToothRange = 0;      // how much shorter the last tooth is
  int RollLeft = 0;        // left edge of the roll picture in its panel
  int RollWidth = 0;       // size of the roll picture
  int RollHeight = 0;
};
RollGeometry ComputeRollGeometry(int ppi, int32_t rowCount, int32_t columnCount);

// The x of the comb's divider line q (0 left of the first tooth, q right of
// tooth q).
int CombLineX(const RollGeometry& g, int32_t q);

// Column c's tooth: x from x0 to x1 and y from 0 to y1, ends included.
struct ToothRect {
  int x0, x1, y1;
};
ToothRect ToothOf(const RollGeometry& g, int32_t column, int32_t columnCount);

// ---- what the engine drives ---------------------------------------------------------

// Controls of the player window that the engine enables, disables or shows
// (the playing commands and the menus follow PlayerStatus instead).
enum class PlayerControl {
  PositionBar, Faster, Slower, FastForward, Rewind, Previous, Next,
  KeyCaption, ToneCaption, ToneName, KeyShift, Tempo, Beat,
};

// Labels whose text the engine sets.
enum class PlayerLabel { Bpm, Time, Total, Current, Beat, Pitch, Title };


// The player window as the engine sees it. Methods marked "any thread" are
// called from the timer thread while a song plays: the implementation must
// copy what it needs (the image is only valid during the call) and queue the
// update to the user-interface thread. The others are called on the
// user-interface thread only.
class PlayerDisplay {
 public:
  virtual ~PlayerDisplay() = default;
  // The roll picture and its left edge in the roll panel; its size is the
  // image's.
  virtual void ShowRoll(const Rgb24Image& roll, int left) = 0;
  // Window caption and application title.
  virtual void SetCaptions(const std::string& windowCaption, const std::string& applicationTitle) = 0;
  virtual void SetEnabled(PlayerControl control, bool enabled) = 0;
  // The status changed (see PlayerStatus).
  virtual void ShowStatus(const PlayerStatus& /*status*/) {}
  virtual void SetVisible(PlayerControl /*control*/, bool /*visible*/) {}
  // The pause button's caption ("一時停止" or "再開").
  virtual void SetPauseCaption(const std::string& caption) = 0;
  virtual void FocusStop() {}
  virtual void FocusStart() {}
  virtual void SetWaitCursor(bool /*on*/) {}
  // The settings dialog's key slider goes back to 0 (preparation).
  virtual void ResetKeyShiftSlider() {}

  // Any thread.
  virtual void SetRollTop(int top) = 0;
  virtual void ShowComb(const Rgb24Image& comb) = 0;
  virtual void SetLabel(PlayerLabel label, const std::string& text) = 0;
  virtual void SetPosition(int position) = 0;  // the position bar, 1..kPositionMax
  // The song (or media file) ended and the playlist moves on: nextEntry is
  // the 0-based playlist entry to play next (0 after the last one).
  virtual void SongEnded(int nextEntry) = 0;
};

// A display that ignores everything (the batch tool).
class NullPlayerDisplay : public PlayerDisplay {
 public:
  void ShowRoll(const Rgb24Image&, int) override {}
  void SetCaptions(const std::string&, const std::string&) override {}
  void SetEnabled(PlayerControl, bool) override {}
  void SetPauseCaption(const std::string&) override {}
  void SetRollTop(int) override {}
  void ShowComb(const Rgb24Image&) override {}
  void SetLabel(PlayerLabel, const std::string&) override {}
  void SetPosition(int) override {}
  void SongEnded(int) override {}
};

// The playlist as the end-of-song rule sees it. Called from the timer
// thread: implementations answer from atomics or their own guarded copy.
class PlaylistView {
 public:
  virtual ~PlaylistView() = default;
  virtual int EntryCount() const = 0;
  // True when the playlist holds exactly one entry and it equals fileName.
  virtual bool OnlyEntryIs(const std::string& fileName) const = 0;
  virtual int CurrentEntry() const = 0;  // -1 for none
};

// No playlist: songs repeat.
class EmptyPlaylistView : public PlaylistView {
 public:
  int EntryCount() const override { return 0; }
  bool OnlyEntryIs(const std::string&) const override { return false; }
  int CurrentEntry() const override { return -1; }
};

// A playlist view that the user-interface thread keeps up to date.
class AtomicPlaylistView : public PlaylistView {
 public:
  void Update(int entryCount, const std::string& onlyEntry, int currentEntry);
  int EntryCount() const override { return count_.load(); }
  bool OnlyEntryIs(const std::string& fileName) const override;
  int CurrentEntry() const override { return current_.load(); }

 private:
  std::atomic<int> count_{0};
  std::atomic<int> current_{-1};
  mutable std::mutex mutex_;
  std::string onlyEntry_;
};

// The media player of other media files, driven by Start, Stop and Pause
// while MediaActive is set.
class MediaTransport {
 public:
  virtual ~MediaTransport() = default;
  virtual void Close() = 0;            // preparation of a score
  virtual void Play() = 0;             // with its 100 ms position timer
  virtual void StopAndRewind() = 0;    // stops the position timer too
  virtual void Pause() = 0;            // stops the position timer too
};

// ---- player state -------------------------------------------------------------

constexpr int kDesignPpi = 120;
constexpr int kPositionMax = 1000;
constexpr int kPlayingVelocity = 100;

extern const char* const kPauseCaption;   // "一時停止"
extern const char* const kResumeCaption;  // "再開"
extern const char* const kBpmSuffix;      // " 拍/分"

struct PlayerState {
  std::atomic<int32_t> CurrentRow{0};
  std::atomic<int32_t> RepeatCount{0};
  std::atomic<int32_t> Transpose{0};  // KeyShift * 256
  int32_t TimerMinPeriod = kDefaultTimerMinPeriod;
  int TimerId = 0;
  std::atomic<bool> TickGate{false};
  std::atomic<bool> AdvanceNext{true};
  std::atomic<int32_t> Step{1};
  std::atomic<bool> HoldSong{false};
  // The left button is down on the position bar while playing.
  std::atomic<bool> Dragging{false};
  std::atomic<bool> DisplayOn{true};
  std::atomic<bool> MediaActive{false};
  std::atomic<int32_t> PositionValue{1};
  float RowsPerPosition = 0;
  // The fast forward or rewind button is held down (1) or not (0).
  std::atomic<int> FastForwardHeld{0};
  std::atomic<int> RewindHeld{0};
  // User-interface thread only; changed through PublishStatus.
  PlayerStatus Status;
};

// Sets state.Status and tells the display when it changed.
void PublishStatus(PlayerState& state, PlayerDisplay& display, const PlayerStatus& status);

// The steps of preparing a loaded score for playing.
enum class Preparation {
  Full,    // a score in memory: layout, the roll's dots and the finishing
  Layout,  // the roll's size only (a file reader draws the dots next)
  Finish,  // the finishing after the reader drew the dots
};

class PlaybackEngine {
 public:
  PlaybackEngine(Score& score, SoundSettings& settings, MidiDevices& devices, PeriodicTimer& timer,
                 PlayerDisplay& display, Messages& msgs);
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;
  ~PlaybackEngine();  // kills the timer

  // Start-up of the display: screen density, comb picture size and the
  // roll's background colour (BlankRoll). Fills and shows the comb.
  void SetupDisplay(int ppi, int combWidth, int combHeight, Rgb rollBackground = kDefaultRollBackground);
  void SetPlaylistView(const PlaylistView* view);  // nullptr: no playlist
  void SetMediaTransport(MediaTransport* media);

  // Messages go to `msgs` (the engine's own by default).
  void PrepareSong(Preparation step);
  void PrepareSong(Preparation step, Messages& msgs);
  // A dot of the roll (the MBT reader between Layout and Finish).
  void DrawRollDot(int32_t row, int32_t column);

  // Plays the song from its beginning.
  void Start();
  // Plays on from where Pause left it.
  void Resume();
  void Stop();
  // Pauses, or resumes when paused.
  void TogglePause();
  // The timer callback.
  void TimerTick();

  // One step slower or faster (the tempo buttons).
  void SlowDown();
  void SpeedUp();
  void ApplyTempo();

  // The position bar moved (a score; media go to the media session);
  // leftButtonDown: the left button is down on the bar right now.
  void MoveToPosition(int position, bool leftButtonDown);
  // The left button went down anywhere on the bar: while playing, the ticks
  // hold still until it is let go.
  void PositionBarPressed();
  // The left button was let go (or the press was lost): the bar's position
  // applies and the ticks run again.
  void PositionBarReleased(int position);
  void FastForwardPressed(bool leftButton = true) { if (leftButton) state.FastForwardHeld = 1; }
  void FastForwardReleased(bool leftButton = true) { if (leftButton) state.FastForwardHeld = 0; }
  void RewindPressed(bool leftButton = true) { if (leftButton) state.RewindHeld = 1; }
  void RewindReleased(bool leftButton = true) { if (leftButton) state.RewindHeld = 0; }

  // Puts the teeth of CurrentRow back to the rest colour and shows the comb.
  void ClearRowHighlight();

  // The data-error state of the player: stop, playing controls disabled,
  // previous/next enabled, the title label "データ・エラー".
  void ShowDataError();

  // Playing: the timer runs (also after the last song ended, until Stop).
  // SongActive: playing or paused.
  bool Playing() const { return playing_.load(); }
  bool Paused() const { return paused_; }
  bool SongActive() const { return playing_.load() || paused_; }

  PlayerState state;

  const RollGeometry& Geometry() const { return geometry_; }
  const Rgb24Image& Roll() const { return roll_; }
  // A copy of the comb picture (taken under the comb's lock).
  Rgb24Image CombSnapshot() const;
  int Ppi() const { return ppi_; }
  MidiOut& Out() { return devices_.Out(); }

 private:
  void Send(int status, int data1, int data2);
  void SendSetup();
  void SendDefaultTone(bool always);
  void PaintRow(int32_t row, Rgb colour);  // under combMutex_
  void DrawComb();
  void ShowBarBeat(int32_t row);
  void StartTimer();
  void KillTimer();
  void AdvanceTick();
  void SoundTick();

  Score& score_;
  SoundSettings& settings_;
  MidiDevices& devices_;
  PeriodicTimer& timer_;
  PlayerDisplay& display_;
  Messages& msgs_;
  const PlaylistView* playlist_ = nullptr;
  MediaTransport* media_ = nullptr;
  EmptyPlaylistView noPlaylist_;

  // Settings taken at start (the tick reads only these).
  SoundSettings active_;
  void Play(bool fromPause);
  void SetTransport(Transport t);
  std::atomic<bool> playing_{false};
  std::atomic<bool> timerRunning_{false};
  bool paused_ = false;

  int ppi_ = kDesignPpi;
  Rgb rollBackground_ = kDefaultRollBackground;
  RollGeometry geometry_;
  Rgb24Image roll_;
  mutable std::mutex combMutex_;
  Rgb24Image comb_;
  std::vector<uint8_t*> combRows_;  // row start addresses of comb_
};

// The MBT reader's side effects mapped onto the engine: the layout, the dots
// on the roll, the finishing.
class EngineLoadHooks : public LoadHooks {
 public:
  EngineLoadHooks(PlaybackEngine& engine, PlayerDisplay& display) : engine_(engine), display_(display) {}
  void BeginLoad() override;
  void EndWaitCursor() override;
  void PrepareLayout(const Score&) override;
  void DrawDot(int32_t row, int32_t column) override;
  void FinishPreparation(Score& s, Messages& msgs) override;
  void ShowDataError() override;
  void FocusStart() override;

 private:
  PlaybackEngine& engine_;
  PlayerDisplay& display_;
};

}  // namespace poronka
