// Sound files of a rendered song: 16-bit PCM WAV written by hand, FLAC and
// Ogg Vorbis through libsndfile, all streamed block by block into a file
// that only replaces its destination once it is complete.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/atomic_file.h"
#include "playback/offline_render.h"

struct sf_private_tag;

namespace poronka {

enum class AudioFileFormat { Wav, Flac, Ogg };

// By the file name's extension (.wav, .flac, .ogg; letter case ignored).
bool AudioFormatOf(const std::string& path, AudioFileFormat& format);

// The WAV format counts its sizes in 32 bits: the data may hold at most this
// many bytes.
constexpr uint64_t kWavMaxDataBytes = 0xFFFFFFFFull - 36;

// Writes the frames it is given into a new file.
class AudioFileWriter : public AudioSink {
 public:
  AudioFileWriter() = default;
  ~AudioFileWriter() override;  // abandons the file unless committed

  bool Open(const std::string& path, AudioFileFormat format, int sampleRate, int channels, std::string& error);
  bool Write(const int16_t* interleaved, int64_t frames) override;
  // Finishes the file and puts it in place of the destination.
  bool Commit(std::string& error);

 private:
  AtomicFile file_;
  AudioFileFormat format_ = AudioFileFormat::Wav;
  sf_private_tag* sf_ = nullptr;
  int channels_ = 2;
  int sampleRate_ = 44100;
  uint64_t dataBytes_ = 0;
  bool open_ = false;
};

enum class AudioFileResult { Ok, Cancelled, TooLong, NoSynth, Failed };

// Renders the song into `path` in the format its extension names. A WAV
// file that would pass the format's size limit is refused before anything
// is rendered. On anything but Ok the previous file at `path` is untouched
// and `error` says why (Japanese; empty for Cancelled).
AudioFileResult RenderSongToFile(Score& s, const RenderJob& job, const std::string& path,
                                 const std::function<bool(int64_t, int64_t)>& progress, std::string& error);

}  // namespace poronka
