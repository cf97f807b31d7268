// Playlist rules: display names of entries, playlist files (".PKL" written,
// ".PKL"/".MBL" read), adding files and playlists, double-click play. The
// playlist window is a thin shell over Playlist; the player supplies what
// the playlist needs of it through PlaylistHost.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "library/playlist_state.h"

namespace poronka {

extern const char* const kPlaylistHeader;          // "ポロンカのプレイリスト"
extern const char* const kPlaylistHeaderOld;       // "This is PlayListFile for ZARQ2"
extern const char* const kNotPlaylistMessage;      // "このファイルはプレイリストファイルではありません。"
extern const char* const kIoErrorMessage;          // "入出力エラーです。"
extern const char* const kPlaylistSaveFailedMessage;  // "プレイリストを保存できませんでした。"
extern const char* const kCdAudioName;             // "ＣＤオーディオ"
extern const char* const kDvdVideoName;            // "ＤＶＤビデオ"

// ---- playlist files ----

// Decodes a text file (a UTF-8 or UTF-16 byte-order mark is honoured,
// otherwise code page 932) and splits it at CR LF, LF or CR. A line end at
// the very end does not start another line.
std::vector<std::string> SplitTextLines(std::string_view bytes);
bool IsPlaylistHeader(const std::string& line);
// True for ".PKL" and ".MBL" without regard to case.
bool IsPlaylistFilePath(const std::string& path);
// The bytes of a playlist file: the header, then one path a line, CR LF
// after each, in code page 932. Paths that code page 932 cannot hold would
// be spoilt there, so such a list is written as UTF-8 with a byte-order mark.
std::string PlaylistFileBytes(const std::vector<std::string>& paths);
// Reads a playlist file: the entry paths, or nothing when the file cannot
// be read or its first line is not a header. Empty lines are skipped.
std::optional<std::vector<std::string>> ReadPlaylistFile(const std::string& path);

// ---- display names ----

// The name shown when the title is empty: "ＣＤオーディオ" for ".cda",
// "ＤＶＤビデオ" for ".vob", otherwise the file name without its folder.
// A non-empty title is returned as it is.
std::string NameOrFallback(const std::string& path, const std::string& title);
// The first line of a score file, in code page 932; nothing when the file
// cannot be read or is empty.
std::optional<std::string> ReadScoreFirstLine(const std::string& path);
// Reads the short-form title of a media file (ReadTitle by default).
using TitleReaderFn = std::function<std::string(const std::string& path)>;
// The display name an added file gets, or nothing on a reading error.
std::optional<std::string> DisplayNameOf(const std::string& path, const TitleReaderFn& readTitle);

// ---- the playlist and its operations ----

// What the playlist needs of the player window.
class PlaylistHost {
 public:
  virtual ~PlaylistHost() = default;
  // Score FileName.
  virtual std::string FileName() const = 0;
  virtual void SetFileName(const std::string& path) = 0;
  virtual bool Modified() const = 0;
  virtual bool NoMidConversion() const = 0;
  // The last load failed (the player shows the data-error state).
  virtual bool DataError() const = 0;
  virtual void SetHoldSong(bool on) = 0;
  // Navigation: load the first entry (marks it, loads without starting) and
  // play entry n after the marker has moved to it.
  virtual void LoadFirstPlaylistEntry() = 0;
  virtual void PlayEntry(int n) = 0;
};

class Playlist {
 public:
  Playlist(PlaylistState& state, Messages& msgs, PlaylistHost& host);

  PlaylistState& State() { return state_; }
  // Replaces the title reader (tests).
  void SetTitleReader(TitleReaderFn reader) { readTitle_ = std::move(reader); }

  // Adds one file; `errorFlag`: report an unreadable file ("入出力エラーです。").
  // false when nothing was added.
  bool AddFile(const std::string& path, bool errorFlag);
  // Loads state.PlaylistFile: checks the header, clears the list, adds its
  // entries and loads the first one when no song is loaded. false when the
  // file is not a playlist (the list is unchanged).
  bool LoadPlaylistFile();
  // Sets PlaylistFile and loads it (open button, command line).
  bool OpenPlaylistFile(const std::string& path);
  // The add button after the dialog, and drops: the paths in order; a
  // playlist file in first position is loaded, in other positions ignored.
  void AddPaths(const std::vector<std::string>& paths);
  // Saves to `path` (which becomes PlaylistFile). false, after
  // "プレイリストを保存できませんでした。", when it could not be written.
  bool Save(const std::string& path);
  // Double-click on entry n: the question, the marker, play.
  void PlayChosenEntry(int n);

 private:
  void LoadFirstIfIdle();
  bool DataError() const;

  PlaylistState& state_;
  Messages& msgs_;
  PlaylistHost& host_;
  TitleReaderFn readTitle_;
};

}  // namespace poronka
