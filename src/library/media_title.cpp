#include "library/media_title.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "core/file_io.h"
#include "core/text_codec.h"

namespace poronka {

const char* const kTitleErrorMarker = "ERAADESU";

std::string BufferByteSource::ReadAt(uint64_t offset, size_t count) const {
  if (offset >= bytes_.size()) return {};
  size_t n = static_cast<size_t>(std::min<uint64_t>(count, bytes_.size() - offset));
  return std::string(bytes_.substr(static_cast<size_t>(offset), n));
}

namespace {

// A plain file read through a buffer: the readers walk a file in many small
// steps (a WMA header object by object), which must not cost a system call
// each.
class FileByteSource : public ByteSource {
 public:
  FileByteSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~FileByteSource() override { ::close(fd_); }
  uint64_t Size() const override { return size_; }
  std::string ReadAt(uint64_t offset, size_t count) const override {
    if (offset >= size_) return {};
    count = static_cast<size_t>(std::min<uint64_t>(count, size_ - offset));
    if (count > kBlock) return ReadDirect(offset, count);
    if (offset < blockStart_ || offset + count > blockStart_ + block_.size()) {
      block_ = ReadDirect(offset, kBlock);
      blockStart_ = offset;
    }
    return block_.substr(static_cast<size_t>(offset - blockStart_), count);
  }

 private:
  static constexpr size_t kBlock = 1 << 16;
  std::string ReadDirect(uint64_t offset, size_t count) const {
    count = static_cast<size_t>(std::min<uint64_t>(count, size_ - std::min(offset, size_)));
    std::string out(count, '\0');
    size_t done = 0;
    while (done < count) {
      const ssize_t n = ::pread(fd_, out.data() + done, count - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    out.resize(done);
    return out;
  }
  int fd_;
  uint64_t size_;
  mutable std::string block_;
  mutable uint64_t blockStart_ = 0;
};

uint8_t Byte(const std::string& s, size_t i) { return static_cast<uint8_t>(s[i]); }

uint32_t BigEndian32(const std::string& s, size_t at) {
  return (uint32_t{Byte(s, at)} << 24) | (uint32_t{Byte(s, at + 1)} << 16) |
         (uint32_t{Byte(s, at + 2)} << 8) | uint32_t{Byte(s, at + 3)};
}

uint32_t SynchSafe32(const std::string& s, size_t at) {
  return (uint32_t{Byte(s, at)} & 0x7F) << 21 | (uint32_t{Byte(s, at + 1)} & 0x7F) << 14 |
         (uint32_t{Byte(s, at + 2)} & 0x7F) << 7 | (uint32_t{Byte(s, at + 3)} & 0x7F);
}

uint16_t LittleEndian16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(Byte(s, at) | (Byte(s, at + 1) << 8));
}

uint64_t LittleEndian64(const std::string& s, size_t at) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | Byte(s, at + static_cast<size_t>(i));
  return v;
}

std::string CutBytesAtNul(std::string bytes) {
  size_t nul = bytes.find('\0');
  if (nul != std::string::npos) bytes.resize(nul);
  return bytes;
}

std::string Cp932Text(const std::string& bytes) { return Cp932ToUtf8(CutBytesAtNul(bytes)); }

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  size_t n = std::char_traits<char>::length(suffix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char a = s[s.size() - n + i];
    char b = suffix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// Undoes ID3v2 unsynchronisation: every FF 00 becomes FF.
std::string Resynchronise(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    out += bytes[i];
    if (Byte(bytes, i) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0') ++i;
  }
  return out;
}

// The most of an unsynchronised tag that is read to find its title.
constexpr uint64_t kMaxTagBytes = uint64_t{16} << 20;

// The text of an ID3v2 text frame: `data` is the frame's content after the
// encoding byte.
std::string DecodeId3Text(uint8_t encoding, const std::string& data) {
  switch (encoding) {
    case 0:
      return Cp932Text(data);
    case 1: {
      if (data.size() < 2) return {};
      // The byte-order mark says which way the units run; without FE FF
      // the text is taken as little-endian.
      bool bigEndian = Byte(data, 0) == 0xFE && Byte(data, 1) == 0xFF;
      return DecodeUtf16Bytes(std::string_view(data).substr(2), bigEndian);
    }
    case 2:
      return DecodeUtf16Bytes(data, true);
    case 3: {
      std::string_view text = data;
      if (text.size() >= 2 && Byte(data, 0) == 0xEF && Byte(data, 1) == 0xBB) {
        text = text.substr(std::min<size_t>(3, text.size()));
      }
      return CutAtNul(std::string(text));
    }
    default:
      return {};
  }
}

}  // namespace

std::unique_ptr<ByteSource> OpenFileByteSource(const std::string& path) {
  // Not blocking, so that a pipe is refused instead of waited for.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {  // a folder, a pipe, a device
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FileByteSource>(fd, static_cast<uint64_t>(st.st_size));
}

TitleKind TitleKindOf(const std::string& path) {
  if (EndsWithNoCase(path, ".mp3")) return TitleKind::Mp3;
  if (EndsWithNoCase(path, ".wma")) return TitleKind::Wma;
  if (EndsWithNoCase(path, ".mid")) return TitleKind::Midi;
  return TitleKind::None;
}

std::string CutAtNul(const std::string& text) { return CutBytesAtNul(text); }

std::string DecodeUtf16Bytes(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2 + 1);
  for (size_t i = 0; i < bytes.size(); i += 2) {
    uint8_t a = static_cast<uint8_t>(bytes[i]);
    uint8_t b = i + 1 < bytes.size() ? static_cast<uint8_t>(bytes[i + 1]) : 0;  // odd count
    char16_t u = bigEndian ? static_cast<char16_t>((a << 8) | b) : static_cast<char16_t>((b << 8) | a);
    if (u == 0) break;
    units.push_back(u);
  }
  return Utf16ToUtf8(units);
}

MediaTitle ReadMp3Title(const ByteSource& src, bool longForm) {
  MediaTitle r;
  const uint64_t fileSize = src.Size();
  std::string head = src.ReadAt(0, 10);
  if (head.size() == 10 && head.compare(0, 3, "ID3") == 0) {
    // ID3v2.4 counts frame sizes in seven-bit bytes like the tag header;
    // the earlier versions use plain numbers.
    const bool v4 = Byte(head, 3) == 4;
    const bool unsynchronised = (Byte(head, 5) & 0x80) != 0;
    // Before version 4 unsynchronisation covers the whole tag, frame
    // headers included, and is undone first; version 4 undoes it frame by
    // frame.
    std::string undone;
    std::unique_ptr<BufferByteSource> tagSource;
    const ByteSource* tag = &src;
    uint64_t pos = 10;
    if (unsynchronised && !v4) {
      uint64_t tagSize = SynchSafe32(head, 6);
      if (tagSize == 0 || tagSize > fileSize - 10) tagSize = fileSize - 10;
      undone = Resynchronise(src.ReadAt(10, static_cast<size_t>(std::min<uint64_t>(tagSize, kMaxTagBytes))));
      undone.insert(0, head);
      tagSource = std::make_unique<BufferByteSource>(undone);
      tag = tagSource.get();
    }
    const uint64_t tagEnd = tag->Size();
    // An extended header comes before the first frame.
    if ((Byte(head, 5) & 0x40) != 0) {
      std::string ext = tag->ReadAt(10, 4);
      if (ext.size() == 4) pos = v4 ? 10 + uint64_t{SynchSafe32(ext, 0)} : 14 + uint64_t{BigEndian32(ext, 0)};
    }
    for (int frame = 0; frame < 12; ++frame) {
      std::string fh = tag->ReadAt(pos, 10);
      if (fh.size() < 10) break;
      std::string id = fh.substr(0, 4);
      uint64_t size = v4 ? SynchSafe32(fh, 4) : BigEndian32(fh, 4);
      pos += 8;
      // Flags and content must lie inside the file.
      if (pos + 2 + size > tagEnd) break;
      bool isTitle = id == "TIT2";
      if (isTitle || (longForm && id == "TPE1")) {
        std::string content = tag->ReadAt(pos + 2, static_cast<size_t>(size));
        if (v4) {
          const uint8_t format = Byte(fh, 9);
          if (unsynchronised || (format & 0x02) != 0) content = Resynchronise(content);
          if ((format & 0x01) != 0) content.erase(0, std::min<size_t>(4, content.size()));  // data length
        }
        std::string text;
        if (!content.empty()) text = DecodeId3Text(Byte(content, 0), content.substr(1));
        if (isTitle) {
          r.title = text;
          if (!longForm) break;
        } else {
          r.artist = text;
        }
      }
      pos += 2 + size;
    }
  }
  if (r.title.empty() && fileSize >= 128) {
    std::string tag = src.ReadAt(fileSize - 128, 63);
    if (tag.size() == 63 && tag.compare(0, 3, "TAG") == 0) {
      r.title = Cp932Text(tag.substr(3, 30));
      r.artist = Cp932Text(tag.substr(33, 30));
    }
  }
  return r;
}

MediaTitle ReadWmaTitle(const ByteSource& src, bool longForm) {
  MediaTitle r;
  std::string hs = src.ReadAt(16, 8);
  if (hs.size() < 8) return r;
  const uint64_t limit = std::min(LittleEndian64(hs, 0), src.Size());
  uint64_t p = 30;
  while (p < limit) {
    std::string obj = src.ReadAt(p, 24);
    if (obj.size() < 24) break;
    uint16_t id = LittleEndian16(obj, 0);
    uint64_t size = LittleEndian64(obj, 16);
    if (size < 24) break;
    if (id == 0x2633) {
      // Content description: five 16-bit lengths, then the texts.
      const uint64_t end = std::min(limit, size > limit - p ? limit : p + size);
      std::string lens = src.ReadAt(p + 24, 4);
      if (lens.size() < 4) break;
      uint16_t titleLength = LittleEndian16(lens, 0);
      uint16_t authorLength = LittleEndian16(lens, 2);
      auto text = [&](uint64_t at, uint16_t length) -> std::string {
        size_t want = std::min<size_t>(length, 256);
        if (at >= end) return {};
        want = static_cast<size_t>(std::min<uint64_t>(want, end - at));
        std::string bytes = src.ReadAt(at, want);
        if (bytes.size() % 2 != 0) bytes.push_back('\0');
        // Without the final unit, the terminating NUL.
        if (bytes.size() >= 2) bytes.resize(bytes.size() - 2);
        return DecodeUtf16Bytes(bytes, false);
      };
      const uint64_t titleAt = p + 34;
      r.title = text(titleAt, titleLength);
      if (longForm && authorLength > 0) r.artist = text(titleAt + titleLength, authorLength);
      break;
    }
    if (size > limit - p) break;
    p += size;
  }
  return r;
}

MediaTitle ReadMidiTitle(const ByteSource& src) {
  MediaTitle r;
  for (uint64_t off = 23; off <= 100; ++off) {
    std::string pair = src.ReadAt(off, 2);
    if (pair.size() < 2) break;
    if (Byte(pair, 0) != 0xFF || (Byte(pair, 1) != 0x03 && Byte(pair, 1) != 0x01)) continue;
    // Variable-length number of at most 4 bytes.
    uint64_t at = off + 2;
    uint32_t length = 0;
    bool complete = false;
    for (int i = 0; i < 4; ++i) {
      std::string b = src.ReadAt(at++, 1);
      if (b.empty()) break;
      length = (length << 7) | (Byte(b, 0) & 0x7F);
      if ((Byte(b, 0) & 0x80) == 0 || i == 3) {
        complete = true;
        break;
      }
    }
    if (!complete) break;
    std::string bytes = src.ReadAt(at, std::min<uint32_t>(length, 128));
    size_t first = 0;
    size_t last = bytes.size();
    while (first < last && Byte(bytes, first) <= 0x20) ++first;
    while (last > first && Byte(bytes, last - 1) <= 0x20) --last;
    r.title = Cp932Text(bytes.substr(first, last - first));
    break;
  }
  return r;
}

std::string ReadTitle(const std::string& path, bool longForm, std::string* artist) {
  if (artist) artist->clear();
  TitleKind kind = TitleKindOf(path);
  if (kind == TitleKind::None) return {};
  std::unique_ptr<ByteSource> src = OpenFileByteSource(path);
  if (!src) return kind == TitleKind::Midi ? kTitleErrorMarker : std::string();
  MediaTitle t;
  switch (kind) {
    case TitleKind::Mp3:
      t = ReadMp3Title(*src, longForm);
      break;
    case TitleKind::Wma:
      t = ReadWmaTitle(*src, longForm);
      break;
    case TitleKind::Midi:
      t = ReadMidiTitle(*src);
      break;
    case TitleKind::None:
      break;
  }
  if (artist) *artist = t.artist;
  return t.title;
}

}  // namespace poronka
