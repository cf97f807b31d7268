// The media player on Qt Multimedia: files through QMediaPlayer with its
// platform back end, audio CD tracks as "cdda://N", pictures of video files
// in a small window of their own. Open waits until the medium is loaded (or
// refused), so that lengths can be read right after it, as callers expect.
#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <vector>

#include "library/media_player.h"

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QVideoSink;

namespace poronka::ui {

class QtMediaPlayer : public QObject, public MediaPlayer {
  Q_OBJECT
 public:
  explicit QtMediaPlayer(QObject* parent = nullptr);
  ~QtMediaPlayer() override;

  // How long Open waits for a medium to load.
  void setOpenTimeoutMs(int ms) { openTimeoutMs_ = ms; }

  void SetFileName(const std::string& path) override { fileName_ = path; }
  void SetDeviceType(MediaDeviceType type) override { deviceType_ = type; }
  void Open() override;
  void Close() override;
  void Play() override;
  void Stop() override;
  void Pause() override;
  void Next() override;
  void Previous() override;
  int Tracks() override;
  int64_t TrackLength(int track) override;
  void SetTimeFormat(MediaTimeFormat format) override { format_ = format; }
  MediaTimeFormat TimeFormat() const override { return format_; }
  int64_t Position() override;
  void SetPosition(int64_t position) override;
  int64_t StartPosition() override;

 private:
  // Loads `url` and waits; false when it cannot be played. `durationMs`
  // receives the length.
  bool loadAndWait(const QUrl& url, int64_t* durationMs);
  // A new back end (player, audio output, video sink) in place of the old.
  void makeBackEnd();
  void loadTrack(int track, bool keepPlaying);
  void requireOpen() const;
  void onEndOfMedia();
  void showVideoFrame();

  QMediaPlayer* player_ = nullptr;
  QAudioOutput* audio_ = nullptr;
  QVideoSink* sink_ = nullptr;
  QPointer<QLabel> videoWindow_;
  std::string fileName_;
  MediaDeviceType deviceType_ = MediaDeviceType::Automatic;
  MediaTimeFormat format_ = MediaTimeFormat::Milliseconds;
  bool open_ = false;
  bool playing_ = false;
  int openTimeoutMs_ = 10000;
  // Audio CD: one source per track.
  std::vector<int64_t> trackLengths_;
  int currentTrack_ = 1;
};

// "cdda://N", the URL of track N of the audio CD in the default drive.
QUrl CdTrackUrl(int track);

}  // namespace poronka::ui
