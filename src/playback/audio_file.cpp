#include "playback/audio_file.h"

#include <sndfile.h>

#include <cstring>
#include <string>

#include "core/file_io.h"

namespace poronka {

namespace {

void PutU32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutU16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}

// The 44-byte header of a 16-bit PCM WAV file.
void WavHeader(char* h, int channels, int sampleRate, uint32_t dataBytes) {
  std::memcpy(h, "RIFF", 4);
  PutU32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutU32(h + 16, 16);
  PutU16(h + 20, 1);
  PutU16(h + 22, static_cast<uint16_t>(channels));
  PutU32(h + 24, static_cast<uint32_t>(sampleRate));
  PutU32(h + 28, static_cast<uint32_t>(sampleRate * channels * 2));
  PutU16(h + 32, static_cast<uint16_t>(channels * 2));
  PutU16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  PutU32(h + 40, dataBytes);
}

std::string Duration(int64_t frames) {
  const int64_t s = frames / kRenderSampleRate;
  return std::to_string(s / 3600) + " 時間 " + std::to_string(s / 60 % 60) + " 分";
}

}  // namespace

bool AudioFormatOf(const std::string& path, AudioFileFormat& format) {
  const std::string ext = UpperExtension(path);
  if (ext == ".WAV") format = AudioFileFormat::Wav;
  else if (ext == ".FLAC") format = AudioFileFormat::Flac;
  else if (ext == ".OGG") format = AudioFileFormat::Ogg;
  else return false;
  return true;
}

AudioFileWriter::~AudioFileWriter() {
  if (sf_) sf_close(sf_);
}

bool AudioFileWriter::Open(const std::string& path, AudioFileFormat format, int sampleRate, int channels,
                           std::string& error) {
  format_ = format;
  channels_ = channels;
  sampleRate_ = sampleRate;
  dataBytes_ = 0;
  if (!file_.Open(path)) {
    error = "ファイルを作れません: " + path;
    return false;
  }
  if (format == AudioFileFormat::Wav) {
    char h[44];
    WavHeader(h, channels, sampleRate, 0);
    if (!file_.Write(h, sizeof h)) {
      error = "ファイルに書き込めません: " + path;
      return false;
    }
  } else {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format == AudioFileFormat::Flac ? (SF_FORMAT_FLAC | SF_FORMAT_PCM_16)
                                                  : (SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    sf_ = sf_open_fd(file_.fd(), SFM_WRITE, &info, SF_FALSE);
    if (!sf_) {
      error = std::string("音声ファイルを作れません: ") + sf_strerror(nullptr);
      file_.Abandon();
      return false;
    }
  }
  open_ = true;
  return true;
}

bool AudioFileWriter::Write(const int16_t* interleaved, int64_t frames) {
  if (!open_ || frames < 0) return false;
  if (format_ == AudioFileFormat::Wav) {
    const uint64_t bytes = static_cast<uint64_t>(frames) * static_cast<uint64_t>(channels_) * 2;
    if (dataBytes_ + bytes > kWavMaxDataBytes) return false;
    dataBytes_ += bytes;
    // Little-endian samples, as the machine holds them here.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    return file_.Write(interleaved, static_cast<size_t>(bytes));
  }
  return sf_writef_short(sf_, interleaved, frames) == frames;
}

bool AudioFileWriter::Commit(std::string& error) {
  if (!open_) return false;
  open_ = false;
  bool ok = true;
  if (format_ == AudioFileFormat::Wav) {
    char h[44];
    WavHeader(h, channels_, sampleRate_, static_cast<uint32_t>(dataBytes_));
    ok = file_.WriteAt(0, h, sizeof h);
  } else {
    ok = sf_close(sf_) == 0;
    sf_ = nullptr;
  }
  if (ok) ok = file_.Commit();
  if (!ok) {
    file_.Abandon();
    error = "ファイルに書き込めません";
  }
  return ok;
}

AudioFileResult RenderSongToFile(Score& s, const RenderJob& job, const std::string& path,
                                 const std::function<bool(int64_t, int64_t)>& progress, std::string& error) {
  AudioFileFormat format;
  if (!AudioFormatOf(path, format)) {
    error = "WAV、FLAC、Ogg のどれかのファイル名にしてください: " + path;
    return AudioFileResult::Failed;
  }
  const int64_t frames = RenderFrameCount(s, job.rows);
  if (format == AudioFileFormat::Wav &&
      (frames > static_cast<int64_t>(kWavMaxDataBytes / (kRenderChannels * 2)))) {
    error = "WAV ファイルは 4 GiB（" + Duration(static_cast<int64_t>(kWavMaxDataBytes / (kRenderChannels * 2))) +
            "）までです。この曲は " + Duration(frames) + "以上になるので保存できません。" +
            "演奏する行を減らすか、FLAC か Ogg で保存してください。";
    return AudioFileResult::TooLong;
  }
  AudioFileWriter writer;
  if (!writer.Open(path, format, kRenderSampleRate, kRenderChannels, error)) return AudioFileResult::Failed;
  switch (RenderSong(s, job, writer, progress, error)) {
    case RenderResult::Ok:
      break;
    case RenderResult::Cancelled:
      error.clear();
      return AudioFileResult::Cancelled;
    case RenderResult::NoSynth:
      return AudioFileResult::NoSynth;
    case RenderResult::WriteFailed:
      error = "ファイルに書き込めません: " + path;
      return AudioFileResult::Failed;
  }
  if (!writer.Commit(error)) {
    error += ": " + path;
    return AudioFileResult::Failed;
  }
  return AudioFileResult::Ok;
}

}  // namespace poronka
