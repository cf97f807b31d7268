#include "playback/ui/engine_events.h"

#include <QThread>

namespace poronka::ui {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

QImage ImageOf(const Rgb24Image& img) {
  if (img.width <= 0 || img.height <= 0) return QImage();
  QImage view(img.pixels.data(), img.width, img.height, img.Stride(), QImage::Format_RGB888);
  return view.copy();
}

EngineEvents::EngineEvents(QObject* parent) : QObject(parent) {
  connect(this, &EngineEvents::tickRollTop, this, [this](int top, quint64 g) {
    if (g == current(RollTop)) emit rollTopChanged(top);
  }, Qt::QueuedConnection);
  connect(this, &EngineEvents::tickComb, this, [this](const QImage& comb, quint64 g) {
    if (g == current(Comb)) emit combChanged(comb);
  }, Qt::QueuedConnection);
  connect(this, &EngineEvents::tickLabel, this, [this](int label, const QString& text, quint64 g) {
    if (g == current(FirstLabel + label)) emit labelChanged(static_cast<PlayerLabel>(label), text);
  }, Qt::QueuedConnection);
  connect(this, &EngineEvents::tickPosition, this, [this](int position, quint64 g) {
    if (g == current(Position)) emit positionChanged(position);
  }, Qt::QueuedConnection);
  // The end of a song always arrives, after the reports queued before it.
  connect(this, &EngineEvents::tickSongEnded, this, [this](int next) { emit songEnded(next); },
          Qt::QueuedConnection);
}

bool EngineEvents::onOwnThread() const { return QThread::currentThread() == thread(); }

void EngineEvents::ShowRoll(const Rgb24Image& roll, int left) { emit rollShown(ImageOf(roll), left); }

void EngineEvents::SetCaptions(const std::string& windowCaption, const std::string& applicationTitle) {
  emit captionsChanged(Q(windowCaption), Q(applicationTitle));
}

void EngineEvents::SetEnabled(PlayerControl control, bool enabled) { emit controlEnabled(control, enabled); }
void EngineEvents::SetVisible(PlayerControl control, bool visible) { emit controlVisible(control, visible); }
void EngineEvents::ShowStatus(const PlayerStatus& status) { emit statusChanged(status); }
void EngineEvents::SetPauseCaption(const std::string& caption) { emit pauseCaptionChanged(Q(caption)); }
void EngineEvents::FocusStop() { emit stopFocusRequested(); }
void EngineEvents::FocusStart() { emit startFocusRequested(); }
void EngineEvents::SetWaitCursor(bool on) { emit waitCursorChanged(on); }
void EngineEvents::ResetKeyShiftSlider() { emit keyShiftReset(); }

void EngineEvents::SetRollTop(int top) {
  if (!onOwnThread()) {
    emit tickRollTop(top, current(RollTop), QPrivateSignal());
    return;
  }
  supersede(RollTop);
  emit rollTopChanged(top);
}

void EngineEvents::ShowComb(const Rgb24Image& comb) {
  if (!onOwnThread()) {
    emit tickComb(ImageOf(comb), current(Comb), QPrivateSignal());
    return;
  }
  supersede(Comb);
  emit combChanged(ImageOf(comb));
}

void EngineEvents::SetLabel(PlayerLabel label, const std::string& text) {
  const int kind = FirstLabel + static_cast<int>(label);
  if (!onOwnThread()) {
    emit tickLabel(static_cast<int>(label), Q(text), current(kind), QPrivateSignal());
    return;
  }
  supersede(kind);
  emit labelChanged(label, Q(text));
}

void EngineEvents::SetPosition(int position) {
  if (!onOwnThread()) {
    emit tickPosition(position, current(Position), QPrivateSignal());
    return;
  }
  supersede(Position);
  emit positionChanged(position);
}

void EngineEvents::SongEnded(int nextEntry) {
  if (!onOwnThread()) {
    emit tickSongEnded(nextEntry, QPrivateSignal());
    return;
  }
  emit songEnded(nextEntry);
}

}  // namespace poronka::ui
