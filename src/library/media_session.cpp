#include "library/media_session.h"

#include <cmath>

#include "core/file_io.h"
#include "library/media_title.h"
#include "library/playlist.h"

namespace poronka {

const char* const kMediaDataErrorMessage = "データにエラーがありました";
const char* const kMediaPlayerErrorMessage = "メディアプレーヤーのエラーです";

namespace {

const char* const kFirstTrackSuffix = "（１トラック）";
// Audio CD lengths leave out the lead-out of the track.
constexpr int64_t kDiscLengthTrim = 2000;
constexpr int kSeekAttempts = 101;

// Rounds half to even.
int64_t RoundEven(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

std::string FolderOf(const std::string& path) {
  size_t p = path.find_last_of("/\\");
  if (p == std::string::npos) return ".";
  return path.substr(0, p + 1);
}

}  // namespace

std::string MediaLengthText(int64_t milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  int64_t secs = milliseconds / 1000;
  std::string ss = std::to_string(secs % 60);
  if (ss.size() < 2) ss = "0" + ss;
  return std::to_string(secs / 60) + ":" + ss;
}

MediaSession::MediaSession(MediaPlayer& player, MediaHost& host, PlayerDisplay& display, PlayerState& state,
                           const SoundSettings& settings, const PlaylistState& playlist, MidiDevices& devices,
                           Messages& msgs)
    : player_(player),
      host_(host),
      display_(display),
      state_(state),
      settings_(settings),
      playlist_(playlist),
      devices_(devices),
      msgs_(msgs) {
  player_.SetNotifyHandler([this](MediaNotifyValue v) { PlayerNotify(v); });
}

MediaSession::~MediaSession() { player_.SetNotifyHandler(nullptr); }

void MediaSession::ShowLength(int64_t lengthMs) {
  lengthMs_ = lengthMs;
  lengthSeconds_ = static_cast<double>(lengthMs) / 1000.0;
  state_.RowsPerPosition = static_cast<float>(lengthSeconds_);
  display_.SetLabel(PlayerLabel::Time, MediaLengthText(lengthMs));
  display_.SetLabel(PlayerLabel::Total, "/" + std::to_string(static_cast<int64_t>(lengthSeconds_)));
}

void MediaSession::OpenMedia(const std::string& positionText) {
  // 1. A medium still open goes first.
  if (state_.MediaActive) {
    host_.StopPositionTimer();
    try {
      player_.Close();
    } catch (const MediaError&) {
    }
    state_.MediaActive = false;
  }
  // 2-3. The title and artist.
  const std::string path = host_.FileName();
  player_.SetFileName(path);
  artist_.clear();
  const bool midi = TitleKindOf(path) == TitleKind::Midi;
  if (midi) state_.HoldSong = true;
  const std::string title = ReadTitle(path, true, &artist_);
  if (midi) state_.HoldSong = false;
  if (title == kTitleErrorMarker) {
    msgs_.ShowError(kMediaDataErrorMessage);
    host_.ShowDataError();
    return;
  }
  // 4-6. Open and measure.
  display_.SetWaitCursor(true);
  const std::string ext = UpperExtension(path);
  try {
    if (ext == ".CDA") {
      player_.SetFileName(FolderOf(path));
      player_.SetDeviceType(MediaDeviceType::CdAudio);
    } else {
      player_.SetDeviceType(MediaDeviceType::Automatic);
    }
    player_.Open();
    tracks_ = player_.Tracks();
    player_.SetTimeFormat(MediaTimeFormat::Milliseconds);
    int64_t length = player_.TrackLength(1);
    if (tracks_ > 1) {
      length -= kDiscLengthTrim;
      player_.SetTimeFormat(MediaTimeFormat::Tmsf);
    }
    lengthMs_ = length;
  } catch (const MediaError&) {
    try {
      player_.Close();
    } catch (const MediaError&) {
    }
    state_.MediaActive = false;
    host_.ShowDataError();
    display_.SetWaitCursor(false);
    msgs_.ShowError(kMediaPlayerErrorMessage);
    return;
  }
  // 7-12. The player window shows the medium.
  state_.MediaActive = true;
  host_.ClearNoteDisplay();
  ShowLength(lengthMs_);
  const std::string caption = NameOrFallback(path, title);
  const std::string applicationTitle = caption + kApplicationTitleSuffix;
  titleLabel_ = caption + "\r\n" + artist_;
  if (tracks_ > 1) titleLabel_ += kFirstTrackSuffix;
  display_.SetLabel(PlayerLabel::Title, titleLabel_);
  // 13.
  display_.SetCaptions(positionText.empty() ? caption : positionText + "." + caption, applicationTitle);
  // 14. A MIDI file needs the MIDI device for itself.
  const auto& items = devices_.Items();
  const int index = devices_.DeviceIndex();
  const bool listed = !items.empty() && index >= 0 && index < static_cast<int>(items.size());
  if (listed) {
    if (ext == ".MID" && items[index].checked) {
      devices_.CloseDevice();
      host_.MidiMenuChanged();
    } else if (ext != ".MID" && !items[index].checked) {
      devices_.ReopenIfUnchecked();
      host_.MidiMenuChanged();
    }
  }
  // 15. Controls.
  display_.SetWaitCursor(false);
  PublishStatus(state_, display_, {state_.Status.transport, Content::Media, false});
  for (PlayerControl c : {PlayerControl::PositionBar, PlayerControl::Previous, PlayerControl::Next})
    display_.SetEnabled(c, true);
  for (PlayerControl c : {PlayerControl::Faster, PlayerControl::Slower, PlayerControl::FastForward, PlayerControl::Rewind,
                          PlayerControl::KeyCaption, PlayerControl::ToneCaption, PlayerControl::ToneName,
                          PlayerControl::KeyShift, PlayerControl::Tempo})
    display_.SetEnabled(c, false);
  display_.SetVisible(PlayerControl::Beat, false);
  if (host_.PlayerVisible()) display_.FocusStart();
}

void MediaSession::PlayerNotify(MediaNotifyValue value) {
  if (value != MediaNotifyValue::Successful || !state_.MediaActive) return;
  try {
    player_.SetPosition(player_.StartPosition());
    const int count = playlist_.Count();
    const bool advances = count > 1 || (count == 1 && playlist_.PlaylistPaths()[0] != host_.FileName());
    if (advances) {
      state_.RepeatCount = state_.RepeatCount + 1;
      if (settings_.RepeatSetting >= state_.RepeatCount || state_.HoldSong) {
        player_.Play();
      } else {
        player_.Stop();
        const int current = playlist_.CurrentEntry();
        const int next = current >= count - 1 ? 0 : current + 1;
        display_.SongEnded(next);
      }
    } else {
      player_.Play();
    }
  } catch (const MediaError&) {
    // The medium went away while playing; the user stops or moves on.
  }
}

void MediaSession::MoveToPosition(int position, bool leftButtonDown) {
  const Transport transport = state_.Status.transport;
  if (position == state_.PositionValue || transport == Transport::Stopped) return;
  const bool playing = transport == Transport::Playing;
  if (playing && leftButtonDown) {
    state_.Dragging = true;
    return;
  }
  const int64_t secs = RoundEven(position * lengthSeconds_ / 1000.0);
  display_.SetLabel(PlayerLabel::Current, std::to_string(secs));
  try {
    if (tracks_ <= 1) {
      player_.SetPosition(RoundEven(position * lengthSeconds_));
      if (playing) player_.Play();
      return;
    }
    if (leftButtonDown) {
      state_.Dragging = true;
      return;
    }
    const int track = TmsfTrack(player_.Position());
    if (playing) {
      host_.StopPositionTimer();
      player_.Pause();
    }
    const int64_t target = PackTmsf(track, static_cast<int>(secs / 60), static_cast<int>(secs % 60));
    for (int i = 0; i < kSeekAttempts; ++i) {
      player_.SetPosition(target);
      if (player_.Position() == target) break;
    }
    if (playing) {
      player_.Play();
      host_.StartPositionTimer();
    }
  } catch (const MediaError&) {
  }
}

void MediaSession::PositionTick() {
  if (!state_.TickGate) return;
  state_.TickGate = false;
  if (state_.Dragging && !host_.LeftButtonDown()) {
    MoveToPosition(host_.PositionBar(), false);
    state_.Dragging = false;
  }
  try {
    const int64_t pos = player_.Position();
    int64_t seconds = 0;
    const double perPosition = state_.RowsPerPosition;
    int64_t value = 1;
    if (player_.TimeFormat() == MediaTimeFormat::Milliseconds) {
      if (perPosition > 0) value = RoundEven(static_cast<double>(pos) / perPosition);
      seconds = pos / 1000;
    } else {
      const int track = TmsfTrack(pos);
      seconds = TmsfMinutes(pos) * 60 + TmsfSeconds(pos);
      if (TmsfMinutes(pos) == 0 && TmsfSeconds(pos) == 0) {
        // A new track began: its own length, labels and number.
        player_.SetTimeFormat(MediaTimeFormat::Milliseconds);
        const int64_t length = player_.TrackLength(track) - kDiscLengthTrim;
        player_.SetTimeFormat(MediaTimeFormat::Tmsf);
        ShowLength(length);
        titleLabel_ = TitleWithTrack(titleLabel_, track);
        display_.SetLabel(PlayerLabel::Title, titleLabel_);
      }
      if (state_.RowsPerPosition > 0) value = RoundEven(static_cast<double>(seconds) * 1000.0 / state_.RowsPerPosition);
    }
    value = std::max<int64_t>(1, std::min<int64_t>(value, kPositionMax));
    state_.PositionValue = static_cast<int32_t>(value);
    if (!state_.Dragging) display_.SetPosition(static_cast<int>(value));
    display_.SetLabel(PlayerLabel::Current, std::to_string(seconds));
  } catch (const MediaError&) {
  }
  state_.TickGate = true;
}

void MediaSession::ShowTrackInTitle() {
  titleLabel_ = TitleWithTrack(titleLabel_, CurrentTrack());
  display_.SetLabel(PlayerLabel::Title, titleLabel_);
}

int MediaSession::CurrentTrack() {
  if (!state_.MediaActive || tracks_ <= 1) return tracks_ > 0 ? 1 : 0;
  try {
    return TmsfTrack(player_.Position());
  } catch (const MediaError&) {
    return 1;
  }
}

void MediaSession::StepTrack(int delta) {
  try {
    if (delta > 0) {
      player_.Next();
    } else {
      player_.Previous();
    }
  } catch (const MediaError&) {
  }
}

void MediaSession::Close() {
  host_.StopPositionTimer();
  try {
    player_.Stop();
  } catch (const MediaError&) {
  }
  try {
    player_.Close();
  } catch (const MediaError&) {
  }
  tracks_ = 0;
}

void MediaSession::Play() {
  try {
    player_.Play();
  } catch (const MediaError&) {
    return;
  }
  host_.StartPositionTimer();
}

void MediaSession::StopAndRewind() {
  host_.StopPositionTimer();
  try {
    player_.Stop();
    player_.SetPosition(player_.StartPosition());
  } catch (const MediaError&) {
  }
}

void MediaSession::Pause() {
  host_.StopPositionTimer();
  try {
    player_.Pause();
  } catch (const MediaError&) {
  }
}

}  // namespace poronka
