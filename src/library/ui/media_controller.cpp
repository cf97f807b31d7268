#include "library/ui/media_controller.h"

#include "library/ui/qt_media_player.h"

namespace poronka::ui {

MediaController::MediaController(MediaHooks hooks, PlayerDisplay& display, PlayerState& state,
                                 const SoundSettings& settings, const PlaylistState& playlist, MidiDevices& devices,
                                 Messages& msgs, MediaPlayer* player, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)) {
  if (!player) {
    ownPlayer_ = std::make_unique<QtMediaPlayer>();
    midiPlayer_ = std::make_unique<MidiFileMediaPlayer>();
    switch_ = std::make_unique<MediaPlayerSwitch>(*ownPlayer_, *midiPlayer_);
    player = switch_.get();
  }
  player_ = player;
  mTimer_.setInterval(100);
  session_ = std::make_unique<MediaSession>(*player_, static_cast<MediaHost&>(*this), display, state, settings, playlist, devices, msgs);
  // The position timer runs while media plays: it also looks for the end of
  // a MIDI file.
  connect(&mTimer_, &QTimer::timeout, this, [this] {
    session_->PositionTick();
    if (midiPlayer_) midiPlayer_->Poll();
  });
}

MediaController::~MediaController() {
  mTimer_.stop();
  session_.reset();
}

std::string MediaController::FileName() const { return hooks_.fileName ? hooks_.fileName() : std::string(); }
void MediaController::ShowDataError() {
  if (hooks_.showDataError) hooks_.showDataError();
}
void MediaController::ClearNoteDisplay() {
  if (hooks_.clearNoteDisplay) hooks_.clearNoteDisplay();
}
bool MediaController::PlayerVisible() const { return hooks_.playerVisible && hooks_.playerVisible(); }
Transport MediaController::Mode() const { return hooks_.mode ? hooks_.mode() : Transport::Stopped; }
bool MediaController::LeftButtonDown() const { return hooks_.leftButtonDown && hooks_.leftButtonDown(); }
int MediaController::PositionBar() const { return hooks_.positionBar ? hooks_.positionBar() : 1; }
void MediaController::MidiMenuChanged() {
  if (hooks_.midiMenuChanged) hooks_.midiMenuChanged();
}

}  // namespace poronka::ui
