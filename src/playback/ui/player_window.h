// The player window PlayerWindow: the application's main window. It shows the
// roll and the comb that the playback engine paints, carries the playing
// controls, the main menu, the help and about box, opens files (menu, drops,
// command line, previous/next, the end-of-song hand-over) and owns the
// orderly shutdown. The engine may call the display from its timer thread;
// those calls are handed to the user-interface thread.
#pragma once

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/score.h"
#include "library/navigation.h"
#include "library/playlist.h"
#include "library/playlist_state.h"
#include "playback/engine.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"
#include "playback/ui/position_bar.h"
#include "settings/sound_settings.h"

class QFrame;

namespace poronka {
class LoadingWindow;
class LoadProgress;
}  // namespace poronka

namespace poronka::ui {

class SplashWindow;
class HelpWindow;

extern const char* const kNoDataTitle;           // "データがありません"
extern const char* const kApplicationTitle;      // "ポロンカ"
extern const char* const kScreenTooLargeMessage;  // comb wider than 1000 pixels

// What the player window works on: the records of the run and the platform
// pieces, so that tests can hand in fakes.
struct PlayerServices {
  Score* score = nullptr;
  SoundSettings* settings = nullptr;
  PlaylistState* playlist = nullptr;
  MidiOutputSystem* midiSystem = nullptr;
  SystemSettings* systemSettings = nullptr;
  PeriodicTimer* timer = nullptr;
  // nullptr: message boxes over the window.
  Messages* messages = nullptr;
  // The splash window whose timer the creation enables (may be nullptr).
  SplashWindow* splash = nullptr;
  // The command-line arguments after the program name.
  std::vector<std::string> arguments;
  // Folder of the executable (install folder lookup).
  std::string executableDir;
  // Pixels per inch; 0 = the screen's logical resolution.
  int ppi = 0;
  // Closing the window ends the application.
  bool quitOnClose = true;
};

// The windows of later parts, attached by the application when they exist.
// Menu items whose hook is empty stay disabled.
struct PlayerAttachments {
  // "プレイリスト(&L)": show the playlist window.
  std::function<void()> showPlaylist;
  // Hides the playlist window through its own close command.
  std::function<void()> hidePlaylist;
  // Loads a playlist file named on the command line.
  std::function<void(const std::string&)> openPlaylistFile;
  // "設定(&S)": the settings dialog, shown modally.
  std::function<void()> showSettings;
  // "作成モード(&C)": creates and shows the editor (the player hides itself
  // first).
  std::function<void()> openEditor;
  // The media opener (FileName is set); positionText is empty or the
  // 1-based playlist position.
  std::function<void(const std::string& positionText)> loadMedia;
  // The settings dialog's key slider follows a key shift set by the MIDI
  // import.
  std::function<void(int semitones)> keyShiftChanged;
  // Media: stop and close at exit; disc tracks for previous/next.
  std::function<void()> closeMedia;
  std::function<int()> mediaTrackCount;
  std::function<int()> mediaCurrentTrack;
  std::function<void(int)> mediaStepTrack;
  // The position bar while a media file is open (MediaActive).
  std::function<void(int position, bool leftButtonDown)> mediaPosiBarChange;
};

class PlayerWindow : public QMainWindow,
                public PlayerDisplay,
                public NavigationHost,
                public PlaylistHost {
  Q_OBJECT
 public:
  explicit PlayerWindow(PlayerServices services, QWidget* parent = nullptr);
  ~PlayerWindow() override;

  void Attach(PlayerAttachments attachments);

  PlaybackEngine& Engine() { return *engine_; }
  Navigation& Nav() { return navigation_; }
  MidiDevices& Devices() { return *devices_; }
  Messages& Msgs() override { return *msgs_; }
  int Ppi() const { return ppi_; }
  const std::string& InstallFolder() const { return installFolder_; }
  const std::string& HelpFile() const { return helpFile_; }
  const std::string& ApplicationTitle() const { return applicationTitle_; }
  bool OpenArgFile() const { return openArgFile_; }
  bool OpenArgPlaylist() const { return openArgPlaylist_; }
  const std::vector<std::string>& Arguments() const { return services_.arguments; }
  // The pixel size of one design unit (ppi / 120).
  int Scaled(int designPixels) const { return designPixels * ppi_ / kDesignPpi; }

  // Handlers named after their controls.
  // False when no file went to loading (the dialog or the question cancelled).
  bool openSong();
  // Where the open dialog starts: the example songs of the install folder
  // until a song has been opened, else empty (the dialog's own choice).
  QString OpenDialogFolder() const;
  void mnuExitClick() { close(); }
  void showPlaylist();
  void showSettings();
  void openEditor();
  // The editor takes the player's place: the player hides and comes back
  // where it was.
  void hideForEditor();
  void showAfterEditor();
  void showHelp();
  void showAbout();
  void previousSong() { navigation_.Previous(); }
  void nextSong() { navigation_.Next(); }
  void loadWaitingSong() { navigation_.NextTimerFired(); }
  void applicationMinimized();
  void applicationRestored();
  // Puts the window into the data-error state.
  void ShowDataError();
  // Opens a file named on the command line (the first showing does this).
  void openStartFile();
  // A file handed over by a later start of the program. It is opened as soon
  // as the player is idle (shown, no modal box, no load under way): a
  // playlist file in the playlist window, anything else as the command line
  // opens a song, after the question. Only the latest waiting file counts.
  void OpenHandedOverFile(const std::string& path);
  // Loads FileName with the loader of `kind` (NavigationHost).
  void LoadSong(FileKind kind, const std::string& positionText) override;
  // A key shift chosen by the MIDI import: settings, Transpose, lblPich.
  void ApplyKeyShift(int semitones);
  // The settings dialog's OK: the tone's caption and name, the key label.
  void SetSoundLabels(const QString& label4, const QString& soundName);
  void SetPitchText(const QString& text);
  // Nothing of a score is shown while media plays.
  void ClearNoteDisplay();
  // The MIDI menu's check marks follow the devices' state.
  void RefreshDeviceChecks();
  // The window cannot be resized once it exists.
  bool FormCanResize() const { return canResize_; }
  // Notes that the playlist window was hidden by its own close command.
  void SetPlaylistVisible(bool visible);
  bool PlaylistVisible() const { return playlistVisible_; }
  // Applies every display update the timer thread has queued so far.
  void FlushDisplay();

  // Controls, for the parts that drive them and for tests.
  QPushButton* Start() const { return start_; }
  QPushButton* Stop() const { return stop_; }
  QPushButton* CmPause() const { return cmPause_; }
  PositionBar* PosiBar() const { return posiBar_; }
  // The left button is down on the position bar right now.
  bool PositionBarHeld() const { return posiBar_->Held(); }
  QLabel* Label(PlayerLabel l) const;
  QLabel* PicDisp() const { return picDisp_; }
  QLabel* PicNote() const { return picNote_; }
  QLineEdit* TxtChk() const { return txtChk_; }
  QTimer* NxTim() { return &nxTim_; }
  QMenu* MidiMenu() const { return midiMenu_; }
  QAction* MenuAction(PlayerControl c) const;
  HelpWindow* Help() const;

  // ---- PlayerDisplay ----
  void ShowRoll(const Rgb24Image& roll, int left) override;
  void SetCaptions(const std::string& windowCaption, const std::string& applicationTitle) override;
  void SetEnabled(PlayerControl control, bool enabled) override;
  void SetVisible(PlayerControl control, bool visible) override;
  void SetPauseCaption(const std::string& caption) override;
  void FocusStop() override;
  void FocusStart() override;
  void SetWaitCursor(bool on) override;
  void ResetKeyShiftSlider() override;
  void SetRollTop(int top) override;
  void ShowComb(const Rgb24Image& comb) override;
  void SetLabel(PlayerLabel label, const std::string& text) override;
  void SetPosition(int position) override;
  void SongEnded(const std::string& text) override;

  // ---- PlaylistHost (and NavigationHost where they share a name) ----
  void LoadFirstPlaylistEntry() override { navigation_.LoadFirstPlaylistEntry(); }
  void PlayEntry(int n) override { navigation_.PlayEntry(n); }

  // ---- NavigationHost ----
  bool Modified() const override { return score_.Modified; }
  std::string FileName() const override { return score_.FileName; }
  bool NoMidConversion() const override { return settings_.NoMidConversion; }
  void SetFileName(const std::string& path) override { score_.FileName = path; }
  Transport Mode() const override;
  bool StartEnabled() const override;
  bool PauseEnabled() const override;
  void StopPlayback() override { engine_->Stop(); }
  void StartPlayback() override { engine_->Start(); }
  std::string TitleText() const override;
  void SetTitleText(const std::string& text) override;
  void SetHoldSong(bool on) override { engine_->state.HoldSong = on; }
  void Repaint() override { repaint(); }
  void EnableNextTimer() override { nxTim_.start(); }
  void DisableNextTimer() override { nxTim_.stop(); }
  void ClearSignalText() override { txtChk_->clear(); }
  int PlaylistCount() const override { return playlist_.Count(); }
  std::string PlaylistPath(int n) const override;
  int CurrentEntry() const override { return playlist_.CurrentEntry(); }
  void MoveCurrentMarker(int n) override { playlist_.MoveCurrentMarker(n); }
  void MarkFirstEntry() override { playlist_.MarkFirstEntry(); }
  int MediaTrackCount() const override;
  int MediaCurrentTrack() const override;
  void MediaStepTrack(int delta) override;
  void OpenPlaylistFile(const std::string& path) override;

 signals:
  // The player window was closed (after FormClose agreed).
  void closed();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void BuildControls();
  void BuildMenu();
  void BuildDeviceMenu();
  void FormCreate();
  void UpdatePlaylistView();
  void UpdateMenuHooks();
  bool OnUiThread() const;
  // Queues Flush to the user-interface thread unless one is queued.
  void QueueFlush();
  void ApplyLabel(PlayerLabel label, const std::string& text);
  void ApplyPosition(int position);
  void ApplyComb(const Rgb24Image& comb);
  void ApplyRollTop(int top);
  void TryHandedOverFile();

  Score& score_;
  SoundSettings& settings_;
  PlaylistState& playlist_;
  PlayerServices services_;
  PlayerAttachments attachments_;
  std::unique_ptr<Messages> ownMessages_;
  Messages* msgs_;
  std::unique_ptr<MidiDevices> devices_;
  std::unique_ptr<PlaybackEngine> engine_;
  AtomicPlaylistView playlistView_;
  int playlistListener_ = 0;
  Navigation navigation_;

  int ppi_ = kDesignPpi;
  bool canResize_ = true;
  bool openArgFile_ = false;
  bool openArgPlaylist_ = false;
  bool playlistVisible_ = false;
  bool shownOnce_ = false;
  bool closing_ = false;
  bool screenTooLarge_ = false;
  std::optional<QPoint> placeBeforeEditor_;
  std::string installFolder_;
  std::string helpFile_;
  std::string applicationTitle_;

  // Controls.
  QWidget* client_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  QLabel* label2_ = nullptr;
  QLabel* label1_ = nullptr;
  QLabel* lblBeet_ = nullptr;
  QLabel* lblCurent_ = nullptr;
  QLabel* lblTotal_ = nullptr;
  QLabel* lblTime_ = nullptr;
  QLabel* lblBpm_ = nullptr;
  QPushButton* cmBpmMinus_ = nullptr;
  QPushButton* cmBpmPlus_ = nullptr;
  QLabel* label3_ = nullptr;
  QLabel* lblPich_ = nullptr;
  QLabel* label4_ = nullptr;
  QLabel* lblSound_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* cmPause_ = nullptr;
  QPushButton* stop_ = nullptr;
  QToolButton* cmRwnd_ = nullptr;
  QToolButton* cmFwrd_ = nullptr;
  QToolButton* cmBfor_ = nullptr;
  QToolButton* cmNext_ = nullptr;
  PositionBar* posiBar_ = nullptr;
  QFrame* panel1_ = nullptr;
  QLabel* picDisp_ = nullptr;
  QLabel* picNote_ = nullptr;
  QLineEdit* txtChk_ = nullptr;
  QTimer mTimer_;
  QTimer nxTim_;
  // A file handed over by a later start, waiting for the player to be idle.
  std::string handedOver_;
  QTimer handOverTimer_;
  int loadDepth_ = 0;

  QMenu* mnuFile_ = nullptr;
  QAction* mnuOpen_ = nullptr;
  QAction* mnuExit_ = nullptr;
  QMenu* midiMenu_ = nullptr;
  QMenu* mnuOption_ = nullptr;
  QAction* mnuPList_ = nullptr;
  QAction* mnuSet_ = nullptr;
  QAction* mnuGrid_ = nullptr;
  QMenu* mnuHelp_ = nullptr;
  QAction* mnuExpr_ = nullptr;
  QAction* mnuVersion_ = nullptr;
  std::vector<QAction*> deviceItems_;

  QPointer<HelpWindow> help_;
  // The loading window LoadingWindow, made at the first load.
  LoadingWindow* loading_ = nullptr;
  LoadProgress* LoadingBox();

  // Display updates from the timer thread, coalesced until the
  // user-interface thread applies them.
  struct Pending {
    std::optional<int> rollTop;
    std::optional<Rgb24Image> comb;
    std::map<PlayerLabel, std::string> labels;
    std::optional<int> position;
  };
  std::mutex pendingMutex_;
  Pending pending_;
  std::atomic<bool> flushQueued_{false};
};

}  // namespace poronka::ui
