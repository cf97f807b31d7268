#include "library/media_player_switch.h"

#include "library/midi_file_player.h"

namespace poronka {

MediaPlayerSwitch::MediaPlayerSwitch(MediaPlayer& general, MediaPlayer& midi)
    : general_(general), midi_(midi), current_(&general) {
  for (MediaPlayer* p : {&general_, &midi_})
    p->SetNotifyHandler([this, p](MediaNotifyValue v) {
      if (p == current_) Notify(v);
    });
}

MediaPlayerSwitch::~MediaPlayerSwitch() {
  general_.SetNotifyHandler(nullptr);
  midi_.SetNotifyHandler(nullptr);
}

void MediaPlayerSwitch::Open() {
  MediaPlayer* next =
      deviceType_ == MediaDeviceType::Automatic && IsMidiFileName(fileName_) ? &midi_ : &general_;
  if (next != current_) {
    current_->Close();
    next->SetTimeFormat(current_->TimeFormat());
    current_ = next;
  }
  current_->SetFileName(fileName_);
  current_->SetDeviceType(deviceType_);
  current_->Open();
}

void MediaPlayerSwitch::SetTimeFormat(MediaTimeFormat format) { current_->SetTimeFormat(format); }

}  // namespace poronka
