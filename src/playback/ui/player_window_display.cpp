// What the player window shows for the engine: the roll, the comb, the
// labels, the position bar, and the commands that the status allows.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMetaMethod>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

#include "core/ui/signal_names.h"
#include "library/media_session.h"
#include "playback/ui/player_window.h"

namespace poronka::ui {

QLabel* PlayerWindow::label(PlayerLabel l) const {
  switch (l) {
    case PlayerLabel::Bpm: return tempo_;
    case PlayerLabel::Time: return time_;
    case PlayerLabel::Total: return totalBars_;
    case PlayerLabel::Current: return currentBar_;
    case PlayerLabel::Beat: return beat_;
    case PlayerLabel::Pitch: return keyShift_;
    case PlayerLabel::Title: return title_;
  }
  return nullptr;
}

QStringList PlayerWindow::unconnectedSignals() const {
  return SignalsWhere(staticMetaObject, [this](const QMetaMethod& m) { return !isSignalConnected(m); });
}

// ---- status -----------------------------------------------------------------

void PlayerWindow::showStatus(const PlayerStatus&) { refreshCommands(); }

void PlayerWindow::refreshCommands() {
  if (!start_) return;  // still being built
  const PlayerCommands c = CommandsFor(status());
  start_->setEnabled(c.start);
  pause_->setEnabled(c.pause);
  stop_->setEnabled(c.stop);
  fileMenu_->menuAction()->setEnabled(c.fileMenu);
  midiMenu_->menuAction()->setEnabled(c.midiMenu);
  // The items of windows that nobody provides stay disabled.
  playlistAction_->setEnabled(isConnected(&PlayerWindow::playlistRequested));
  settingsAction_->setEnabled(c.settingsMenu && isConnected(&PlayerWindow::settingsRequested));
  editorAction_->setEnabled(c.editorMenu && isConnected(&PlayerWindow::editorRequested));
}

// The menu items of the other windows follow their connections (made on the
// user-interface thread).
void PlayerWindow::connectNotify(const QMetaMethod& signal) {
  QMainWindow::connectNotify(signal);
  refreshCommands();
}

// A receiver being destroyed disconnects while Qt holds its connection lock,
// so the refresh (which asks for connections again) waits for the event loop.
void PlayerWindow::disconnectNotify(const QMetaMethod& signal) {
  QMainWindow::disconnectNotify(signal);
  QMetaObject::invokeMethod(this, &PlayerWindow::refreshCommands, Qt::QueuedConnection);
}

void PlayerWindow::setControlEnabled(PlayerControl control, bool enabled) {
  QWidget* w = nullptr;
  switch (control) {
    case PlayerControl::PositionBar: w = positionBar_; break;
    case PlayerControl::Faster: w = faster_; break;
    case PlayerControl::Slower: w = slower_; break;
    case PlayerControl::FastForward: w = fastForward_; break;
    case PlayerControl::Rewind: w = rewind_; break;
    case PlayerControl::Previous: w = previous_; break;
    case PlayerControl::Next: w = next_; break;
    case PlayerControl::KeyCaption: w = keyCaption_; break;
    case PlayerControl::ToneCaption: w = toneCaption_; break;
    case PlayerControl::ToneName: w = toneName_; break;
    case PlayerControl::KeyShift: w = keyShift_; break;
    case PlayerControl::Tempo: w = tempo_; break;
    case PlayerControl::Beat: w = beat_; break;
  }
  if (!w) return;
  // A button that loses its enabled state while held lets go of it.
  if (!enabled && (w == fastForward_ || w == rewind_)) {
    static_cast<QToolButton*>(w)->setDown(false);
    if (w == fastForward_) engine_->FastForwardReleased();
    if (w == rewind_) engine_->RewindReleased();
  }
  w->setEnabled(enabled);
}

void PlayerWindow::setControlVisible(PlayerControl control, bool visible) {
  if (control == PlayerControl::Beat) beat_->setVisible(visible);
}

// ---- pictures, captions and labels -----------------------------------------------

void PlayerWindow::showRoll(const QImage& roll, int left) {
  roll_->setPixmap(QPixmap::fromImage(roll));
  roll_->setGeometry(left, roll_->y(), roll.width(), roll.height());
}

void PlayerWindow::setRollTop(int top) { roll_->move(roll_->x(), top); }

void PlayerWindow::showComb(const QImage& comb) { comb_->setPixmap(QPixmap::fromImage(comb)); }

void PlayerWindow::clearNoteDisplay() {
  roll_->clear();
  comb_->clear();
}

void PlayerWindow::setCaptions(const QString& windowCaption, const QString& applicationTitle) {
  setWindowTitle(windowCaption);
  applicationTitle_ = applicationTitle.toStdString();
  setWindowIconText(applicationTitle);
}

void PlayerWindow::setLabelText(PlayerLabel which, const QString& text) {
  if (QLabel* l = label(which)) l->setText(text);
}

void PlayerWindow::setToneLabels(const QString& caption, const QString& toneName) {
  toneCaption_->setText(caption);
  toneName_->setText(toneName);
}

void PlayerWindow::setWaitCursor(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }
}

// ---- the position bar ---------------------------------------------------------------

void PlayerWindow::setPosition(int position) {
  // The engine's own moves are not changes by the user.
  QSignalBlocker block(positionBar_);
  positionBar_->setValue(position);
}

void PlayerWindow::positionBarMoved(int position) {
  const bool held = positionBar_->held();
  if (engine_->state.MediaActive) {
    if (media_) media_->MoveToPosition(position, held);
    return;
  }
  engine_->MoveToPosition(position, held);
}

void PlayerWindow::positionBarLetGo(int position) {
  if (engine_->state.MediaActive) {
    if (media_) media_->MoveToPosition(position, false);
    return;
  }
  engine_->PositionBarReleased(position);
}

}  // namespace poronka::ui
