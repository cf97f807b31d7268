// Titles and artists of media files: ID3v2 and ID3v1 tags of MP3 files, the
// content description of WMA files and the first name or text event of MIDI
// files. Parsing works on a bounded byte source, so a truncated or hostile
// file is never read past its end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace poronka {

// Result of the title reader when a file could not be read.
extern const char* const kTitleErrorMarker;  // "ERAADESU"

// Random access to the bytes of a file or a buffer. ReadAt returns the bytes
// that exist from `offset` on, at most `count` (fewer at the end).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  virtual std::string ReadAt(uint64_t offset, size_t count) const = 0;
};

class BufferByteSource : public ByteSource {
 public:
  explicit BufferByteSource(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  std::string ReadAt(uint64_t offset, size_t count) const override;

 private:
  std::string_view bytes_;
};

// Opens a file for reading; nullptr when it cannot be opened.
std::unique_ptr<ByteSource> OpenFileByteSource(const std::string& path);

// Which reader a path takes, by its ending without regard to case.
enum class TitleKind { None, Mp3, Wma, Midi };
TitleKind TitleKindOf(const std::string& path);

struct MediaTitle {
  std::string title;   // UTF-8, cut at the first NUL
  std::string artist;  // MediaArtist; only the long form reads it (and ID3v1)
};

// The readers on their own. `longForm` also reads the artist (TPE1, WMA
// author); the short form stops at the title.
MediaTitle ReadMp3Title(const ByteSource& src, bool longForm);
MediaTitle ReadWmaTitle(const ByteSource& src, bool longForm);
MediaTitle ReadMidiTitle(const ByteSource& src);

// Read title (path, long form): the title, or kTitleErrorMarker when the
// file could not be read (a MIDI file that cannot be opened). An MP3 or WMA
// file that cannot be opened, and files of other kinds, give an empty title.
// `artist` (may be null) receives MediaArtist; it is cleared first.
std::string ReadTitle(const std::string& path, bool longForm, std::string* artist = nullptr);

// Text helpers of the reader, exposed for tests. Each cuts at the first NUL.
std::string CutAtNul(const std::string& text);
std::string DecodeUtf16Bytes(std::string_view bytes, bool bigEndian);

}  // namespace poronka
