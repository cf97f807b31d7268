#include "library/ui/qt_media_player.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMediaPlayer>
#include <QPixmap>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>

namespace poronka::ui {

namespace {

constexpr int kMaxDiscTracks = 99;
constexpr int kFramesPerSecond = 75;  // audio CD frames
constexpr int kLengthWaitMs = 3000;

int64_t ToTmsf(int track, int64_t ms) {
  if (ms < 0) ms = 0;
  const int64_t secs = ms / 1000;
  return PackTmsf(track, static_cast<int>(secs / 60), static_cast<int>(secs % 60),
                  static_cast<int>((ms % 1000) * kFramesPerSecond / 1000));
}

int64_t TmsfToMs(int64_t p) {
  return (int64_t{TmsfMinutes(p)} * 60 + TmsfSeconds(p)) * 1000 + int64_t{TmsfFrames(p)} * 1000 / kFramesPerSecond;
}

}  // namespace

QUrl CdTrackUrl(int track) { return QUrl(QStringLiteral("cdda://%1").arg(track)); }

QtMediaPlayer::QtMediaPlayer(QObject* parent) : QObject(parent) { makeBackEnd(); }

void QtMediaPlayer::makeBackEnd() {
  if (player_) {
    // A back end that once refused a medium keeps its error: each opening
    // gets a fresh one, judged by its own result only.
    disconnect(player_, nullptr, this, nullptr);
    disconnect(sink_, nullptr, this, nullptr);
    player_->stop();
    player_->setSource(QUrl());
    player_->deleteLater();
    audio_->deleteLater();
    sink_->deleteLater();
  }
  player_ = new QMediaPlayer(this);
  audio_ = new QAudioOutput(this);
  sink_ = new QVideoSink(this);
  player_->setAudioOutput(audio_);
  player_->setVideoSink(sink_);
  connect(player_, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
    if (s == QMediaPlayer::EndOfMedia && open_ && playing_) onEndOfMedia();
  });
  connect(sink_, &QVideoSink::videoFrameChanged, this, [this] { showVideoFrame(); });
}

QtMediaPlayer::~QtMediaPlayer() {
  if (videoWindow_) delete videoWindow_;
}

void QtMediaPlayer::requireOpen() const {
  if (!open_) throw MediaError("the media player is not open");
}

bool QtMediaPlayer::loadAndWait(const QUrl& url, int64_t* durationMs) {
  player_->stop();
  player_->setSource(url);
  auto settled = [this] {
    const auto s = player_->mediaStatus();
    return s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::BufferedMedia || s == QMediaPlayer::InvalidMedia ||
           s == QMediaPlayer::EndOfMedia || player_->error() != QMediaPlayer::NoError;
  };
  if (!settled()) {
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(player_, &QMediaPlayer::mediaStatusChanged, &loop, [&] {
      if (settled()) loop.quit();
    });
    connect(player_, &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
    // The length may come a moment after the medium has loaded.
    connect(player_, &QMediaPlayer::durationChanged, &loop, [&] {
      if (settled()) loop.quit();
    });
    timeout.start(openTimeoutMs_);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  const auto s = player_->mediaStatus();
  const bool ok = player_->error() == QMediaPlayer::NoError &&
                  (s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::BufferedMedia);
  if (ok && durationMs) {
    // Some streams (MP3 among them) tell their length only a moment after
    // they have loaded.
    if (player_->duration() <= 0) {
      // The back end may measure the stream only once it runs: run it
      // silently until the length is known, then go back to the start.
      audio_->setMuted(true);
      player_->play();
      QEventLoop loop;
      QTimer timeout;
      timeout.setSingleShot(true);
      connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
      connect(player_, &QMediaPlayer::durationChanged, &loop, [&](qint64 d) {
        if (d > 0) loop.quit();
      });
      connect(player_, &QMediaPlayer::errorOccurred, &loop, &QEventLoop::quit);
      timeout.start(kLengthWaitMs);
      if (player_->duration() <= 0) loop.exec(QEventLoop::ExcludeUserInputEvents);
      player_->pause();
      player_->setPosition(0);
      audio_->setMuted(false);
    }
    *durationMs = player_->duration();
  }
  return ok;
}

void QtMediaPlayer::Open() {
  Close();
  makeBackEnd();
  trackLengths_.clear();
  currentTrack_ = 1;
  if (deviceType_ == MediaDeviceType::CdAudio) {
    // The disc's tracks, as many as load one after the other.
    for (int t = 1; t <= kMaxDiscTracks; ++t) {
      int64_t length = 0;
      if (!loadAndWait(CdTrackUrl(t), &length)) break;
      trackLengths_.push_back(length);
    }
    if (trackLengths_.empty()) throw MediaError("no audio CD");
    if (!loadAndWait(CdTrackUrl(1), nullptr)) throw MediaError("no audio CD");
  } else {
    const QString path = QString::fromStdString(fileName_);
    if (!QFileInfo(path).isFile()) throw MediaError("no such file");
    int64_t length = 0;
    if (!loadAndWait(QUrl::fromLocalFile(path), &length)) {
      player_->setSource(QUrl());
      throw MediaError("cannot play the file");
    }
    trackLengths_.push_back(length);
  }
  open_ = true;
}

void QtMediaPlayer::Close() {
  playing_ = false;
  open_ = false;
  player_->stop();
  player_->setSource(QUrl());
  if (videoWindow_) videoWindow_->hide();
}

void QtMediaPlayer::Play() {
  requireOpen();
  playing_ = true;
  player_->play();
}

void QtMediaPlayer::Stop() {
  requireOpen();
  playing_ = false;
  player_->pause();
}

void QtMediaPlayer::Pause() {
  requireOpen();
  playing_ = false;
  player_->pause();
}

void QtMediaPlayer::loadTrack(int track, bool keepPlaying) {
  if (track < 1 || track > static_cast<int>(trackLengths_.size())) throw MediaError("no such track");
  currentTrack_ = track;
  if (deviceType_ == MediaDeviceType::CdAudio && !loadAndWait(CdTrackUrl(track), nullptr))
    throw MediaError("cannot load the track");
  if (keepPlaying) player_->play();
}

void QtMediaPlayer::Next() {
  requireOpen();
  if (currentTrack_ < static_cast<int>(trackLengths_.size())) loadTrack(currentTrack_ + 1, playing_);
}

void QtMediaPlayer::Previous() {
  requireOpen();
  // Back to the beginning of the track, or to the one before when already there.
  if (player_->position() < 1000 && currentTrack_ > 1) {
    loadTrack(currentTrack_ - 1, playing_);
  } else {
    player_->setPosition(0);
  }
}

int QtMediaPlayer::Tracks() {
  requireOpen();
  return static_cast<int>(trackLengths_.size());
}

int64_t QtMediaPlayer::TrackLength(int track) {
  requireOpen();
  if (track < 1 || track > static_cast<int>(trackLengths_.size())) throw MediaError("no such track");
  int64_t ms = trackLengths_[static_cast<size_t>(track - 1)];
  // A length that became known only while playing.
  if (ms <= 0 && track == currentTrack_) ms = player_->duration();
  return format_ == MediaTimeFormat::Milliseconds ? ms : ToTmsf(0, ms);
}

int64_t QtMediaPlayer::Position() {
  requireOpen();
  const int64_t ms = player_->position();
  return format_ == MediaTimeFormat::Milliseconds ? ms : ToTmsf(currentTrack_, ms);
}

void QtMediaPlayer::SetPosition(int64_t position) {
  requireOpen();
  if (format_ == MediaTimeFormat::Milliseconds) {
    player_->setPosition(position);
    return;
  }
  const int track = TmsfTrack(position);
  if (track != currentTrack_ && track >= 1) loadTrack(track, false);
  player_->setPosition(TmsfToMs(position));
}

int64_t QtMediaPlayer::StartPosition() {
  requireOpen();
  return format_ == MediaTimeFormat::Milliseconds ? 0 : PackTmsf(1, 0, 0);
}

void QtMediaPlayer::onEndOfMedia() {
  // A disc plays on into its next track.
  if (deviceType_ == MediaDeviceType::CdAudio && currentTrack_ < static_cast<int>(trackLengths_.size())) {
    try {
      loadTrack(currentTrack_ + 1, true);
      return;
    } catch (const MediaError&) {
    }
  }
  playing_ = false;
  // Handled after the back end has finished its own status change.
  QTimer::singleShot(0, this, [this] { Notify(MediaNotifyValue::Successful); });
}

void QtMediaPlayer::showVideoFrame() {
  if (!open_ || !player_->hasVideo()) return;
  const QVideoFrame frame = sink_->videoFrame();
  if (!frame.isValid()) return;
  if (!videoWindow_) {
    videoWindow_ = new QLabel;
    videoWindow_->setObjectName("MPlayerVideo");
    videoWindow_->setAlignment(Qt::AlignCenter);
    videoWindow_->setStyleSheet("background: black;");
    videoWindow_->resize(640, 480);
  }
  videoWindow_->setWindowTitle(QFileInfo(QString::fromStdString(fileName_)).fileName());
  if (!videoWindow_->isVisible()) videoWindow_->show();
  const QImage image = frame.toImage();
  videoWindow_->setPixmap(
      QPixmap::fromImage(image).scaled(videoWindow_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace poronka::ui
