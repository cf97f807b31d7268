#include "library/ui/media_controller.h"

#include <QWidget>

#include "core/ui/signal_names.h"
#include "library/ui/qt_media_player.h"
#include "playback/ui/position_bar.h"

namespace poronka::ui {

MediaController::MediaController(const Score& score, PlayerDisplay& display, PlayerState& state,
                                 const SoundSettings& settings, const PlaylistState& playlist, MidiDevices& devices,
                                 Messages& msgs, MediaPlayer* player, QObject* parent)
    : QObject(parent), score_(score) {
  if (!player) {
    ownPlayer_ = std::make_unique<QtMediaPlayer>();
    midiPlayer_ = std::make_unique<MidiFileMediaPlayer>();
    switch_ = std::make_unique<MediaPlayerSwitch>(*ownPlayer_, *midiPlayer_);
    player = switch_.get();
  }
  player_ = player;
  positionTimer_.setInterval(100);
  session_ = std::make_unique<MediaSession>(*player_, static_cast<MediaHost&>(*this), display, state, settings,
                                            playlist, devices, msgs);
  // The position timer runs while media plays: it also looks for the end of
  // a MIDI file.
  connect(&positionTimer_, &QTimer::timeout, this, [this] {
    session_->PositionTick();
    if (midiPlayer_) midiPlayer_->Poll();
  });
}

MediaController::~MediaController() {
  positionTimer_.stop();
  session_.reset();
}

void MediaController::followPlayer(const QWidget* playerWindow, const ui::PositionBar* positionBar) {
  playerWindow_ = playerWindow;
  positionBar_ = positionBar;
}

QStringList MediaController::unconnectedSignals() const {
  return SignalsWhere(staticMetaObject, [this](const QMetaMethod& m) { return !isSignalConnected(m); });
}

bool MediaController::PlayerVisible() const { return playerWindow_ && playerWindow_->isVisible(); }
bool MediaController::LeftButtonDown() const { return positionBar_ && positionBar_->held(); }
int MediaController::PositionBar() const { return positionBar_ ? positionBar_->value() : 1; }

}  // namespace poronka::ui
