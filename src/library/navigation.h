// Opening songs and walking the playlist: which loader takes a path, when the
// player asks before unsaved work is replaced, the open dialog, drops, the
// command line, previous/next, and the end of a song with the half-second
// pause before the next playlist entry loads. The player window supplies
// its status and actions through NavigationHost; everything here runs on
// the user-interface thread.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "playback/player_status.h"

namespace poronka {

// Kind of a file by its extension, compared without regard to case.
enum class FileKind { Score, Midi, Playlist, Media };
FileKind KindOfFile(const std::string& path);

// Asked before a load replaces unsaved work (open, drop, previous/next,
// automatic advance, playlist double-click).
extern const char* const kReplaceDataQuestion;
// Asked before the player window closes with unsaved work.
extern const char* const kCloseDataQuestion;
// Playlist files chosen in the open dialog or dropped on the player.
extern const char* const kPlaylistInOpenDialogMessage;
extern const char* const kPlaylistDroppedMessage;

// True when loading a file of `kind` would replace unsaved work: a score
// file, or a MIDI file that is converted into a score.
bool QuestionApplies(FileKind kind, bool modified, bool noMidConversion);

// The entry that Next moves to (wrapping to 0 after the last), or nothing
// when Next does nothing.
std::optional<int> NextEntryIndex(int count, int current);
// The entry that Previous moves to; nothing on the first entry or with none.
std::optional<int> PreviousEntryIndex(int count, int current);

// The title with its part from the first "（" on replaced by "（<track>トラック）"
// (appended when there is no "（").
std::string TitleWithTrack(const std::string& title, int track);

// The first command-line argument: nothing, a playlist (".PKL" or ".MBL",
// without regard to case, as the desktop hands both to the player) or a song
// of any kind.
enum class StartArgument { None, Song, Playlist };
StartArgument ClassifyStartArgument(const std::string& arg);

// What navigation needs of the player window, the score, the settings and
// the playlist.
class NavigationHost {
 public:
  virtual ~NavigationHost() = default;

  virtual Messages& Msgs() = 0;
  virtual bool Modified() const = 0;
  virtual bool NoMidConversion() const = 0;
  virtual void SetFileName(const std::string& path) = 0;

  // The engine's status.
  virtual PlayerStatus Status() const = 0;
  virtual void StopPlayback() = 0;
  // Starts the loaded song from its beginning.
  virtual void StartPlayback() = 0;
  // Hands FileName to the loader of `kind`. positionText is empty or the
  // 1-based playlist position.
  virtual void LoadSong(FileKind kind, const std::string& positionText) = 0;
  virtual void SetHoldSong(bool on) = 0;
  virtual void Repaint() {}

  // The half-second one-shot timer before the next entry loads
  // (NextTimerFired).
  virtual void EnableNextTimer() = 0;
  virtual void DisableNextTimer() = 0;

  // The playlist.
  virtual int PlaylistCount() const = 0;
  virtual std::string PlaylistPath(int n) const = 0;
  virtual int CurrentEntry() const = 0;
  // Unmarks the current entry, makes n current, marks it and scrolls.
  virtual void MoveCurrentMarker(int n) = 0;
  // Marks entry 0 with "＊", repaints the box and makes it current.
  virtual void MarkFirstEntry() = 0;

  // A playlist file named on the command line or handed over: the playlist
  // window loads it (it is never loaded as a song).
  virtual void OpenPlaylistFile(const std::string& /*path*/) {}

  // Tracks of an open disc; 0 tracks when no disc is open.
  virtual int MediaTrackCount() const { return 0; }
  virtual int MediaCurrentTrack() const { return 0; }
  // Asks the media player to go one track forward (+1) or back (-1).
  virtual void MediaStepTrack(int /*delta*/) {}
  // Shows the current track number in the title label (while the disc
  // plays, its position timer does).
  virtual void MediaShowTrackInTitle() {}
};

class Navigation {
 public:
  explicit Navigation(NavigationHost& host) : host_(host) {}

  // The open dialog returned `path` (empty when it was cancelled). True
  // when the file went to its loader.
  bool OpenChosenFile(const std::string& path);
  // Files dropped on the player window; only the first counts.
  void DropFiles(const std::vector<std::string>& paths);
  // The first command-line argument, opened when the window is first shown;
  // a playlist file goes to the playlist.
  void OpenCommandLineFile(const std::string& path);
  // A song file handed over by a later start of the program: opened as the
  // command line opens it, after the question (Cancel leaves everything, a
  // playing song included); a running song is stopped first.
  void OpenHandedOverFile(const std::string& path);
  // Used by the playlist after it was filled while no song was loaded.
  void LoadFirstPlaylistEntry();
  // Plays entry n after the marker has moved to it.
  void PlayEntry(int n);
  // The previous/next song buttons.
  void Next();
  void Previous();
  // The song ended and the playlist moves on to entry `nextEntry`.
  void SongEnded(int nextEntry);
  // The half-second timer after SongEnded ran out.
  void NextTimerFired();

  // The last load did not end in the data-error state.
  bool Loaded() const;
  // Asks the question when it applies to `path`, with HoldSong set while it
  // is on screen. true: go on.
  bool ConfirmReplace(const std::string& path);

  // A load is running (its events may call in here).
  bool LoadRunning() const { return loading_ > 0; }

 private:
  // Loads run one at a time. A long load lets pending events run, so a drop
  // or a timer may ask for another song in the middle of it: such a request
  // waits, and runs once the operation that is loading has finished.
  class Operation;
  bool WaitForLoad(std::function<void()> request);
  void Load(FileKind kind, const std::string& positionText);
  bool StepDiscTrack(int delta);
  int loading_ = 0;
  int depth_ = 0;
  std::deque<std::function<void()>> waiting_;

  NavigationHost& host_;
};

}  // namespace poronka
