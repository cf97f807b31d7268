// One media player made of two: MIDI files go to the MIDI file player,
// everything else (audio CDs included) to the general one. The choice is
// made at every Open; the notifications of both reach this player's handler.
#pragma once

#include "library/media_player.h"

namespace poronka {

class MediaPlayerSwitch : public MediaPlayer {
 public:
  MediaPlayerSwitch(MediaPlayer& general, MediaPlayer& midi);
  ~MediaPlayerSwitch() override;

  void SetFileName(const std::string& path) override { fileName_ = path; }
  void SetDeviceType(MediaDeviceType type) override { deviceType_ = type; }
  void Open() override;
  void Close() override { current_->Close(); }
  void Play() override { current_->Play(); }
  void Stop() override { current_->Stop(); }
  void Pause() override { current_->Pause(); }
  void Next() override { current_->Next(); }
  void Previous() override { current_->Previous(); }
  int Tracks() override { return current_->Tracks(); }
  int64_t TrackLength(int track) override { return current_->TrackLength(track); }
  void SetTimeFormat(MediaTimeFormat format) override;
  MediaTimeFormat TimeFormat() const override { return current_->TimeFormat(); }
  int64_t Position() override { return current_->Position(); }
  void SetPosition(int64_t position) override { current_->SetPosition(position); }
  int64_t StartPosition() override { return current_->StartPosition(); }

 private:
  MediaPlayer& general_;
  MediaPlayer& midi_;
  MediaPlayer* current_;
  std::string fileName_;
  MediaDeviceType deviceType_ = MediaDeviceType::Automatic;
};

}  // namespace poronka
