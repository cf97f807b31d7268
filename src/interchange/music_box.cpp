#include "interchange/music_box.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "core/file_io.h"
#include "core/text_codec.h"

namespace poronka {

const char* const kBoxFileExtension = ".box";

int MusicBox::TrackOf(int midiNote) const {
  auto it = std::lower_bound(pitches.begin(), pitches.end(), midiNote);
  return it != pitches.end() && *it == midiNote ? static_cast<int>(it - pitches.begin()) : -1;
}

namespace {

std::string Trim(const std::string& t) {
  size_t b = 0, e = t.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (b < e && blank(t[b])) ++b;
  while (e > b && blank(t[e - 1])) --e;
  return t.substr(b, e - b);
}

bool ParseMm(const std::string& text, double& v) {
  if (text.empty()) return false;
  char* end = nullptr;
  v = std::strtod(text.c_str(), &end);
  return *end == '\0' && std::isfinite(v) && v > 0 && v < 10000;
}

}  // namespace

bool ParsePitchName(const std::string& text, int& midiNote) {
  if (text.empty()) return false;
  if (std::isdigit(static_cast<unsigned char>(text[0]))) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || v < 0 || v > 127) return false;
    midiNote = static_cast<int>(v);
    return true;
  }
  static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (letter < 'A' || letter > 'G') return false;
  int semitone = kSemitone[letter - 'A'];
  size_t i = 1;
  if (i < text.size() && text[i] == '#') {
    ++semitone;
    ++i;
  } else if (i < text.size() && text[i] == 'b') {
    --semitone;
    ++i;
  }
  if (i >= text.size()) return false;
  bool negative = false;
  if (text[i] == '-') {
    negative = true;
    ++i;
  }
  if (i + 1 != text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  const int octave = (text[i] - '0') * (negative ? -1 : 1);
  const int v = (octave + 1) * 12 + semitone;
  if (v < 0 || v > 127) return false;
  midiNote = v;
  return true;
}

bool ParseMusicBox(const std::string& text, MusicBox& out, std::string& error) {
  MusicBox box;
  box.name = out.name;
  std::map<std::string, double*> sizes = {{"strip_width", &box.stripWidthMm},
                                          {"track_pitch", &box.trackPitchMm},
                                          {"first_track", &box.firstTrackMm},
                                          {"hole_diameter", &box.holeDiameterMm},
                                          {"min_repeat", &box.minRepeatMm}};
  std::map<std::string, bool> seen;
  std::istringstream lines(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(lines, line)) {
    ++lineNo;
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    const size_t eq = line.find('=');
    const std::string where = std::to_string(lineNo) + "行目: ";
    if (eq == std::string::npos) {
      error = where + "「名前 = 値」の形ではありません";
      return false;
    }
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = Trim(line.substr(eq + 1));
    if (seen[key]) {
      error = where + key + " が二度あります";
      return false;
    }
    seen[key] = true;
    if (key == "title") {
      box.title = value;
    } else if (key == "pitches") {
      std::istringstream words(value);
      std::string w;
      while (words >> w) {
        int note = 0;
        if (!ParsePitchName(w, note) || note > 119) {
          error = where + "音名が正しくありません: " + w;
          return false;
        }
        if (!box.pitches.empty() && note <= box.pitches.back()) {
          error = where + "音は低い順に一度ずつ並べてください: " + w;
          return false;
        }
        box.pitches.push_back(note);
      }
    } else if (auto it = sizes.find(key); it != sizes.end()) {
      if (!ParseMm(value, *it->second)) {
        error = where + key + " の値が正しくありません: " + value;
        return false;
      }
    } else {
      error = where + "知らない項目です: " + key;
      return false;
    }
  }
  if (box.pitches.empty()) {
    error = "pitches がありません";
    return false;
  }
  for (const auto& [key, field] : sizes) {
    if (!seen[key]) {
      error = key + " がありません";
      return false;
    }
  }
  const double lastTrack = box.TrackOffsetMm(static_cast<int>(box.pitches.size()) - 1);
  if (lastTrack + box.holeDiameterMm / 2 > box.stripWidthMm || box.firstTrackMm < box.holeDiameterMm / 2) {
    error = "穴がテープの幅に収まりません";
    return false;
  }
  if (box.title.empty()) box.title = box.name;
  out = std::move(box);
  return true;
}

bool LoadMusicBox(const std::string& path, MusicBox& box, std::string& error) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    error = "オルゴールのファイルを読めません: " + path;
    return false;
  }
  MusicBox b;
  b.name = std::filesystem::path(path).stem().string();
  if (!ParseMusicBox(Cp932ToUtf8(bytes), b, error)) {
    error = BaseName(path) + ": " + error;
    return false;
  }
  box = std::move(b);
  return true;
}

std::vector<MusicBox> ListMusicBoxes(const std::string& folder) {
  std::vector<MusicBox> boxes;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    if (e.path().extension() != kBoxFileExtension) continue;
    MusicBox b;
    std::string error;
    if (LoadMusicBox(e.path().string(), b, error)) boxes.push_back(std::move(b));
  }
  std::sort(boxes.begin(), boxes.end(), [](const MusicBox& a, const MusicBox& b) {
    if (a.pitches.size() != b.pitches.size()) return a.pitches.size() < b.pitches.size();
    return a.name < b.name;
  });
  return boxes;
}

bool FindMusicBox(const std::string& nameOrFile, const std::string& folder, MusicBox& box, std::string& error) {
  const bool isFile = nameOrFile.find('/') != std::string::npos ||
                      (nameOrFile.size() > 4 && UpperExtension(nameOrFile) == ".BOX");
  if (isFile) return LoadMusicBox(nameOrFile, box, error);
  const std::string path = folder + "/" + nameOrFile + kBoxFileExtension;
  std::error_code ec;
  if (nameOrFile.empty() || !std::filesystem::is_regular_file(path, ec)) {
    std::string names;
    for (const MusicBox& b : ListMusicBoxes(folder)) names += (names.empty() ? "" : ", ") + b.name;
    error = "そのオルゴールはありません: " + nameOrFile + (names.empty() ? "" : "（" + names + "）");
    return false;
  }
  return LoadMusicBox(path, box, error);
}

}  // namespace poronka
