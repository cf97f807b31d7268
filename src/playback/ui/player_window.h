// The player window: the application's main window. It shows the roll and
// the comb that the playback engine paints, carries the playing controls and
// the main menu, opens files (menu, drops, command line, previous/next, the
// end-of-song hand-over) and owns the orderly shutdown.
//
// The engine reports through EngineEvents, whose signals reach the window's
// display slots on the user-interface thread. The playing commands and the
// menus follow the engine's PlayerStatus. What the window needs of the other
// windows (the playlist, the settings dialog, the editor) it asks for with
// signals; the application connects them (PlayerShell).
//
// Files: player_window.cpp (creation, events, opening files),
// player_window_layout.cpp (controls and menus), player_window_display.cpp
// (what the engine shows), player_window_commands.cpp (menu commands and
// loading).
#pragma once

#include <QMainWindow>
#include <QMetaMethod>
#include <QPointer>
#include <QTimer>
#include <memory>
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
#include "playback/ui/engine_events.h"
#include "playback/ui/position_bar.h"
#include "settings/sound_settings.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace poronka {
class LoadingWindow;
class MediaSession;
}  // namespace poronka

namespace poronka::ui {

class SplashWindow;
class HelpWindow;

extern const char* const kNoDataTitle;            // "データがありません"
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
  // The splash window, which starts closing once the player exists (may be
  // nullptr).
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

class PlayerWindow : public QMainWindow, public NavigationHost, public PlaylistHost {
  Q_OBJECT
 public:
  explicit PlayerWindow(PlayerServices services, QWidget* parent = nullptr);
  ~PlayerWindow() override;

  // Media files play through `media` (nullptr: media files are refused).
  void setMedia(MediaSession* media);

  PlaybackEngine& engine() { return *engine_; }
  EngineEvents& engineEvents() { return events_; }
  Navigation& navigation() { return navigation_; }
  MidiDevices& devices() { return *devices_; }
  Messages& Msgs() override { return *msgs_; }
  // The engine's status (what the commands and navigation follow).
  const PlayerStatus& status() const { return engine_->state.Status; }
  Transport transport() const { return status().transport; }

  int ppi() const { return ppi_; }
  // The pixel size of a length of the 120 ppi layout.
  int scaled(int designPixels) const { return designPixels * ppi_ / kDesignPpi; }
  const std::string& installFolder() const { return installFolder_; }
  const std::string& helpFile() const { return helpFile_; }
  const std::string& applicationTitle() const { return applicationTitle_; }
  const std::vector<std::string>& arguments() const { return services_.arguments; }
  const PlayerServices& services() const { return services_; }
  // The first argument is a song (opened at the first showing) or a
  // playlist (opened by the application).
  bool openArgFile() const { return openArgFile_; }
  bool openArgPlaylist() const { return openArgPlaylist_; }
  // The window cannot be resized once it exists.
  bool canResize() const { return canResize_; }
  bool playlistVisible() const { return playlistVisible_; }
  // Where the open dialog starts: the example songs of the install folder
  // until a song has been opened, else empty (the dialog's own choice).
  QString openDialogFolder() const;

  // Controls, for tests.
  QPushButton* startButton() const { return start_; }
  QPushButton* pauseButton() const { return pause_; }
  QPushButton* stopButton() const { return stop_; }
  PositionBar* positionBar() const { return positionBar_; }
  QLabel* label(PlayerLabel l) const;
  QLabel* rollPicture() const { return roll_; }
  QLabel* combPicture() const { return comb_; }
  // The half-second pause between the end of a song and the next entry.
  QTimer* nextTimer() { return &nextTimer_; }
  QMenu* fileMenu() const { return fileMenu_; }
  QMenu* midiMenu() const { return midiMenu_; }
  HelpWindow* help() const;
  // The signals of this window that nothing is connected to (each one is a
  // request that the application must answer).
  QStringList unconnectedSignals() const;

 public slots:
  // The File menu's Open: false when no file went to loading (the dialog or
  // the question was cancelled).
  bool openSong();
  void showPlaylist();
  void showSettings();
  // The editor takes the player's place: the player hides and comes back
  // where it was.
  void openEditor();
  void hideForEditor();
  void showAfterEditor();
  void showHelp();
  void showAbout();
  void previousSong() { navigation_.Previous(); }
  void nextSong() { navigation_.Next(); }
  // The half-second timer after the end of a song ran out.
  void loadWaitingSong() { navigation_.NextTimerFired(); }
  // Opens a file named on the command line (the first showing does this).
  void openStartFile();
  // A file handed over by a later start of the program. It is opened as soon
  // as the player is idle (shown, no modal box, no load under way): a
  // playlist file in the playlist window, anything else as the command line
  // opens a song, after the question. Only the latest waiting file counts.
  void openHandedOverFile(const std::string& path);
  // The data-error state (a media file could not be opened).
  void showDataError() { engine_->ShowDataError(); }
  // Nothing of a score is shown while media plays.
  void clearNoteDisplay();
  // The MIDI menu's check marks follow the devices' state.
  void refreshDeviceChecks();
  // The playlist window hid itself.
  void playlistHidden();
  // A key shift chosen by the MIDI import: settings, transposition, label.
  void applyKeyShift(int semitones);
  // The settings dialog confirmed a key shift with its label text.
  void setKeyShift(int semitones, const QString& text);
  // The settings dialog's OK: the tone's caption and name.
  void setToneLabels(const QString& caption, const QString& toneName);

 signals:
  // Requests to the other windows of the application.
  void playlistRequested();
  void playlistHideRequested();
  void playlistFileRequested(const QString& path);
  void settingsRequested();
  void editorRequested();
  // The key shift changed here (the settings dialog's slider follows).
  void keyShiftChanged(int semitones);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void changeEvent(QEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  void connectNotify(const QMetaMethod& signal) override;
  void disconnectNotify(const QMetaMethod& signal) override;

 private:
  // ---- NavigationHost and PlaylistHost ----
  bool Modified() const override { return score_.Modified; }
  std::string FileName() const override { return score_.FileName; }
  bool NoMidConversion() const override { return settings_.NoMidConversion; }
  void SetFileName(const std::string& path) override { score_.FileName = path; }
  PlayerStatus Status() const override { return status(); }
  bool DataError() const override { return status().content == Content::DataError; }
  void StopPlayback() override { engine_->Stop(); }
  void StartPlayback() override { engine_->Start(); }
  void LoadSong(FileKind kind, const std::string& positionText) override;
  void SetHoldSong(bool on) override { engine_->state.HoldSong = on; }
  void Repaint() override { repaint(); }
  void EnableNextTimer() override { nextTimer_.start(); }
  void DisableNextTimer() override { nextTimer_.stop(); }
  int PlaylistCount() const override { return playlist_.Count(); }
  std::string PlaylistPath(int n) const override;
  int CurrentEntry() const override { return playlist_.CurrentEntry(); }
  void MoveCurrentMarker(int n) override { playlist_.MoveCurrentMarker(n); }
  void MarkFirstEntry() override { playlist_.MarkFirstEntry(); }
  void OpenPlaylistFile(const std::string& path) override;
  int MediaTrackCount() const override;
  int MediaCurrentTrack() const override;
  void MediaStepTrack(int delta) override;
  void MediaShowTrackInTitle() override;
  void LoadFirstPlaylistEntry() override { navigation_.LoadFirstPlaylistEntry(); }
  void PlayEntry(int n) override { navigation_.PlayEntry(n); }

  // player_window_layout.cpp
  void buildControls();
  void buildMenus();
  void buildDeviceMenu();
  void fixWindowSize();
  void connectControls();
  void connectEngineEvents();
  // player_window.cpp
  void setUpForScreen();
  void tryHandedOverFile();
  void updatePlaylistView();
  // player_window_display.cpp
  void showStatus(const PlayerStatus& status);
  void refreshCommands();
  void setControlEnabled(PlayerControl control, bool enabled);
  void setControlVisible(PlayerControl control, bool visible);
  void showRoll(const QImage& roll, int left);
  void setCaptions(const QString& windowCaption, const QString& applicationTitle);
  void setWaitCursor(bool on);
  void resetKeyShift();
  void setRollTop(int top);
  void showComb(const QImage& comb);
  void setLabelText(PlayerLabel label, const QString& text);
  void setPosition(int position);
  void positionBarMoved(int position);
  void positionBarLetGo(int position);
  // True when something is connected to `signal` of this window.
  template <class... Args>
  bool isConnected(void (PlayerWindow::*signal)(Args...)) const {
    return isSignalConnected(QMetaMethod::fromSignal(signal));
  }
  LoadingWindow* loadingWindow();

  Score& score_;
  SoundSettings& settings_;
  PlaylistState& playlist_;
  PlayerServices services_;
  std::unique_ptr<Messages> ownMessages_;
  Messages* msgs_;
  std::unique_ptr<MidiDevices> devices_;
  EngineEvents events_;
  std::unique_ptr<PlaybackEngine> engine_;
  AtomicPlaylistView playlistView_;
  int playlistListener_ = 0;
  Navigation navigation_;
  MediaSession* media_ = nullptr;

  int ppi_ = kDesignPpi;
  bool canResize_ = true;
  bool openArgFile_ = false;
  bool openArgPlaylist_ = false;
  bool playlistVisible_ = false;
  bool shownOnce_ = false;
  bool closing_ = false;
  std::optional<QPoint> placeBeforeEditor_;
  std::string installFolder_;
  std::string helpFile_;
  std::string applicationTitle_;

  // Controls (their objectName is given where they are built).
  QWidget* client_ = nullptr;
  QLabel* titleCaption_ = nullptr;
  QLabel* title_ = nullptr;
  QLabel* positionCaption_ = nullptr;
  QLabel* beat_ = nullptr;
  QLabel* currentBar_ = nullptr;
  QLabel* totalBars_ = nullptr;
  QLabel* time_ = nullptr;
  QLabel* tempo_ = nullptr;
  QPushButton* slower_ = nullptr;
  QPushButton* faster_ = nullptr;
  QLabel* keyCaption_ = nullptr;
  QLabel* keyShift_ = nullptr;
  QLabel* toneCaption_ = nullptr;
  QLabel* toneName_ = nullptr;
  QPushButton* start_ = nullptr;
  QPushButton* pause_ = nullptr;
  QPushButton* stop_ = nullptr;
  QToolButton* rewind_ = nullptr;
  QToolButton* fastForward_ = nullptr;
  QToolButton* previous_ = nullptr;
  QToolButton* next_ = nullptr;
  PositionBar* positionBar_ = nullptr;
  QFrame* rollPanel_ = nullptr;
  QLabel* roll_ = nullptr;
  QLabel* comb_ = nullptr;
  QTimer nextTimer_;
  // A file handed over by a later start, waiting for the player to be idle.
  std::string handedOver_;
  QTimer handOverTimer_;
  int loadDepth_ = 0;

  QMenu* fileMenu_ = nullptr;
  QMenu* midiMenu_ = nullptr;
  QMenu* optionMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QAction* playlistAction_ = nullptr;
  QAction* settingsAction_ = nullptr;
  QAction* editorAction_ = nullptr;
  std::vector<QAction*> deviceItems_;

  QPointer<HelpWindow> help_;
  // Made at the first load.
  LoadingWindow* loading_ = nullptr;
};

}  // namespace poronka::ui
