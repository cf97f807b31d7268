#include "library/playlist.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <new>

#include "core/file_io.h"
#include "core/text_codec.h"
#include "library/media_title.h"
#include "library/navigation.h"

namespace poronka {

const char* const kPlaylistHeader = "ポロンカのプレイリスト";
const char* const kPlaylistHeaderOld = "This is PlayListFile for ZARQ2";
const char* const kNotPlaylistMessage = "このファイルはプレイリストファイルではありません。";
const char* const kIoErrorMessage = "入出力エラーです。";
const char* const kPlaylistSaveFailedMessage = "プレイリストを保存できませんでした。";
const char* const kCdAudioName = "ＣＤオーディオ";
const char* const kDvdVideoName = "ＤＶＤビデオ";

namespace {

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    auto a = static_cast<uint8_t>(bytes[i]);
    auto b = static_cast<uint8_t>(bytes[i + 1]);
    units.push_back(bigEndian ? static_cast<char16_t>((a << 8) | b) : static_cast<char16_t>((b << 8) | a));
  }
  return Utf16ToUtf8(units);
}

std::string DecodeTextFile(std::string_view bytes) {
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") return Utf16BytesToUtf8(bytes.substr(2), false);
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") return Utf16BytesToUtf8(bytes.substr(2), true);
  return Cp932ToUtf8(bytes);
}

}  // namespace

std::vector<std::string> SplitTextLines(std::string_view bytes) {
  const std::string text = DecodeTextFile(bytes);
  std::vector<std::string> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool IsPlaylistHeader(const std::string& line) { return line == kPlaylistHeader || line == kPlaylistHeaderOld; }

bool IsPlaylistFilePath(const std::string& path) {
  const std::string ext = UpperExtension(path);
  return ext == ".PKL" || ext == ".MBL";
}

std::string PlaylistFileBytes(const std::vector<std::string>& paths) {
  std::vector<std::string> lines;
  lines.reserve(paths.size() + 1);
  lines.emplace_back(kPlaylistHeader);
  lines.insert(lines.end(), paths.begin(), paths.end());
  bool codePageHoldsAll = true;
  for (const auto& line : lines) {
    if (Cp932ToUtf8(Utf8ToCp932(line)) != line) {
      codePageHoldsAll = false;
      break;
    }
  }
  std::string out;
  if (!codePageHoldsAll) out = "\xEF\xBB\xBF";
  for (const auto& line : lines) {
    out += codePageHoldsAll ? Utf8ToCp932(line) : line;
    out += "\r\n";
  }
  return out;
}

std::optional<std::vector<std::string>> ReadPlaylistFile(const std::string& path) try {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return std::nullopt;
  std::vector<std::string> lines = SplitTextLines(bytes);
  if (lines.empty() || !IsPlaylistHeader(lines[0])) return std::nullopt;
  std::vector<std::string> paths;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (!lines[i].empty()) paths.push_back(lines[i]);
  }
  return paths;
} catch (const std::bad_alloc&) {
  return std::nullopt;
}

std::string NameOrFallback(const std::string& path, const std::string& title) {
  if (!title.empty()) return title;
  const std::string ext = UpperExtension(path);
  if (ext == ".CDA") return kCdAudioName;
  if (ext == ".VOB") return kDvdVideoName;
  return BaseName(path);
}

std::optional<std::string> ReadScoreFirstLine(const std::string& path) {
  std::unique_ptr<ByteSource> src = OpenFileByteSource(path);  // plain files only
  if (!src) return std::nullopt;
  // A title line is short; a first line without an end within this many
  // bytes is cut there.
  constexpr size_t kMaxFirstLine = 1 << 16;
  std::string line = src->ReadAt(0, kMaxFirstLine);
  if (line.empty()) return std::nullopt;
  line.resize(std::min(line.find_first_of("\r\n"), line.size()));
  return Cp932ToUtf8(line);
}

std::optional<std::string> DisplayNameOf(const std::string& path, const TitleReaderFn& readTitle) {
  std::string title;
  if (UpperExtension(path) == ".MBT") {
    std::optional<std::string> first = ReadScoreFirstLine(path);
    if (!first) return std::nullopt;
    title = CutAtNul(*first);
  } else {
    title = readTitle ? readTitle(path) : ReadTitle(path, false);
    if (title == kTitleErrorMarker) return std::nullopt;
  }
  return NameOrFallback(path, title);
}

Playlist::Playlist(PlaylistState& state, Messages& msgs, PlaylistHost& host)
    : state_(state), msgs_(msgs), host_(host) {}

bool Playlist::DataError() const { return host_.DataError(); }

bool Playlist::AddFile(const std::string& path, bool errorFlag) {
  // A folder is no song, whatever its name.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    if (errorFlag) msgs_.ShowError(kIoErrorMessage);
    return false;
  }
  const bool midi = KindOfFile(path) == FileKind::Midi;
  // The end of a song must not advance while a MIDI file is being read.
  if (midi) host_.SetHoldSong(true);
  std::optional<std::string> name = DisplayNameOf(path, readTitle_);
  if (midi) host_.SetHoldSong(false);
  if (!name) {
    if (errorFlag) msgs_.ShowError(kIoErrorMessage);
    return false;
  }
  state_.Append(path, *name);
  return true;
}

void Playlist::LoadFirstIfIdle() {
  if (host_.FileName().empty() && !host_.Modified() && !state_.Empty()) host_.LoadFirstPlaylistEntry();
}

bool Playlist::LoadPlaylistFile() {
  std::optional<std::vector<std::string>> paths = ReadPlaylistFile(state_.PlaylistFile);
  if (!paths) {
    msgs_.ShowError(kNotPlaylistMessage);
    return false;
  }
  {
    PlaylistState::ChangeBatch batch(state_);
    state_.Clear();
    if (DataError()) host_.SetFileName("");
    const bool single = paths->size() == 1;
    for (const auto& p : *paths) AddFile(p, single);
  }
  LoadFirstIfIdle();
  return true;
}

bool Playlist::OpenPlaylistFile(const std::string& path) {
  state_.PlaylistFile = path;
  return LoadPlaylistFile();
}

void Playlist::AddPaths(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  if (state_.Empty() && DataError()) host_.SetFileName("");
  const bool single = paths.size() == 1;
  size_t i = 0;
  if (IsPlaylistFilePath(paths[0])) {
    OpenPlaylistFile(paths[0]);
    i = 1;
  }
  {
    PlaylistState::ChangeBatch batch(state_);
    for (; i < paths.size(); ++i) {
      if (!IsPlaylistFilePath(paths[i])) AddFile(paths[i], single);
    }
  }
  LoadFirstIfIdle();
}

bool Playlist::Save(const std::string& path) {
  state_.PlaylistFile = path;
  if (!WriteFileAtomically(path, PlaylistFileBytes(state_.PlaylistPaths()))) {
    msgs_.ShowError(kPlaylistSaveFailedMessage);
    return false;
  }
  return true;
}

void Playlist::PlayChosenEntry(int n) {
  if (n < 0 || n >= state_.Count()) return;
  const std::string path = state_.PlaylistPaths()[static_cast<size_t>(n)];
  if (QuestionApplies(KindOfFile(path), host_.Modified(), host_.NoMidConversion())) {
    host_.SetHoldSong(true);
    const bool ok = msgs_.AskOkCancel(kReplaceDataQuestion);
    host_.SetHoldSong(false);
    if (!ok) return;
  }
  // The marker moves without scrolling the list.
  state_.SetCurrent(n);
  host_.PlayEntry(n);
}

}  // namespace poronka
