#include "library/navigation.h"

#include <charconv>

#include "core/file_io.h"

namespace poronka {

const char* const kReplaceDataQuestion = "作成されたデータをメモリからクリアします。\nよろしいですか？";
const char* const kCloseDataQuestion = "作成されたデータをメモリからクリアします。\rよろしいですか？";
const char* const kPlaylistInOpenDialogMessage = "リストファイルはプレイリストで開いてください。";
const char* const kPlaylistDroppedMessage = "リストファイルはプレイリストにドロッブして下さい。";

FileKind KindOfFile(const std::string& path) {
  const std::string ext = UpperExtension(path);
  if (ext == ".MBT") return FileKind::Score;
  if (ext == ".MID") return FileKind::Midi;
  if (ext == ".PKL" || ext == ".MBL") return FileKind::Playlist;
  return FileKind::Media;
}

StartArgument ClassifyStartArgument(const std::string& arg) {
  if (arg.empty()) return StartArgument::None;
  return KindOfFile(arg) == FileKind::Playlist ? StartArgument::Playlist : StartArgument::Song;
}

bool QuestionApplies(FileKind kind, bool modified, bool noMidConversion) {
  if (!modified) return false;
  return kind == FileKind::Score || (kind == FileKind::Midi && !noMidConversion);
}

std::optional<int> NextEntryIndex(int count, int current) {
  if (count <= 0) return std::nullopt;
  if (count == 1 && current == 0) return std::nullopt;
  if (current < 0) return 0;
  if (current >= count - 1) return 0;
  return current + 1;
}

std::optional<int> PreviousEntryIndex(int count, int current) {
  if (count <= 0 || current <= 0) return std::nullopt;
  // A marker past the end (entries deleted meanwhile) steps to the last one.
  if (current > count) return count - 1;
  return current - 1;
}

std::string TitleWithTrack(const std::string& title, int track) {
  static const std::string kOpen = "（";
  std::string head = title.substr(0, title.find(kOpen));
  return head + kOpen + std::to_string(track) + "トラック）";
}

// Counts the calls into Navigation; when the outermost one ends, the
// requests that waited for its load run in the order they came.
class Navigation::Operation {
 public:
  explicit Operation(Navigation& n) : n_(n) { ++n_.depth_; }
  ~Operation() {
    if (--n_.depth_ > 0) return;
    while (!n_.waiting_.empty()) {
      std::function<void()> next = std::move(n_.waiting_.front());
      n_.waiting_.pop_front();
      next();
    }
  }
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

 private:
  Navigation& n_;
};

bool Navigation::WaitForLoad(std::function<void()> request) {
  if (loading_ == 0) return false;
  waiting_.push_back(std::move(request));
  return true;
}

void Navigation::Load(FileKind kind, const std::string& positionText) {
  struct Running {
    int& n;
    explicit Running(int& count) : n(count) { ++n; }
    ~Running() { --n; }
  } running(loading_);
  host_.LoadSong(kind, positionText);
}

bool Navigation::Loaded() const { return host_.Status().content != Content::DataError; }

bool Navigation::ConfirmReplace(const std::string& path) {
  if (!QuestionApplies(KindOfFile(path), host_.Modified(), host_.NoMidConversion())) return true;
  host_.SetHoldSong(true);
  const bool ok = host_.Msgs().AskOkCancel(kReplaceDataQuestion);
  host_.SetHoldSong(false);
  return ok;
}

bool Navigation::OpenChosenFile(const std::string& path) {
  if (path.empty()) return false;
  // A file chosen while another load runs is opened once that load ends.
  if (WaitForLoad([this, path] { OpenChosenFile(path); })) return true;
  Operation operation(*this);
  if (!ConfirmReplace(path)) return false;
  host_.Repaint();
  const FileKind kind = KindOfFile(path);
  if (kind == FileKind::Playlist) {
    host_.Msgs().ShowInformation(kPlaylistInOpenDialogMessage);
    return false;
  }
  host_.SetFileName(path);
  Load(kind, "");
  return true;
}

void Navigation::DropFiles(const std::vector<std::string>& paths) {
  if (WaitForLoad([this, paths] { DropFiles(paths); })) return;
  Operation operation(*this);
  if (paths.empty()) return;
  bool wasRunning = false;
  if (host_.Status().transport != Transport::Stopped) {
    host_.StopPlayback();
    wasRunning = true;
  }
  const std::string& path = paths.front();
  if (!ConfirmReplace(path)) {
    if (wasRunning) host_.StartPlayback();
    return;
  }
  const FileKind kind = KindOfFile(path);
  if (kind == FileKind::Playlist) {
    host_.Msgs().ShowInformation(kPlaylistDroppedMessage);
    if (wasRunning) host_.StartPlayback();
    return;
  }
  host_.SetFileName(path);
  Load(kind, "");
  if (wasRunning && Loaded()) host_.StartPlayback();
}

void Navigation::OpenCommandLineFile(const std::string& path) {
  if (WaitForLoad([this, path] { OpenCommandLineFile(path); })) return;
  Operation operation(*this);
  if (path.empty()) return;
  const FileKind kind = KindOfFile(path);
  if (kind == FileKind::Playlist) {
    host_.OpenPlaylistFile(path);
    return;
  }
  host_.SetFileName(path);
  Load(kind, "");
}

void Navigation::OpenHandedOverFile(const std::string& path) {
  if (WaitForLoad([this, path] { OpenHandedOverFile(path); })) return;
  Operation operation(*this);
  if (path.empty()) return;
  // A playlist leaves the song and its playing alone.
  if (KindOfFile(path) == FileKind::Playlist) {
    host_.OpenPlaylistFile(path);
    return;
  }
  if (!ConfirmReplace(path)) return;
  if (host_.Status().transport != Transport::Stopped) host_.StopPlayback();
  OpenCommandLineFile(path);
}

void Navigation::LoadFirstPlaylistEntry() {
  if (WaitForLoad([this] { LoadFirstPlaylistEntry(); })) return;
  Operation operation(*this);
  if (host_.PlaylistCount() <= 0) return;
  const std::string path = host_.PlaylistPath(0);
  host_.SetFileName(path);
  if (path.empty()) return;
  host_.MarkFirstEntry();
  Load(KindOfFile(path), "1");
}

void Navigation::PlayEntry(int n) {
  if (WaitForLoad([this, n] { PlayEntry(n); })) return;
  Operation operation(*this);
  if (n < 0 || n >= host_.PlaylistCount()) return;
  const std::string path = host_.PlaylistPath(n);
  host_.SetFileName(path);
  const std::string position = std::to_string(n + 1);
  if (host_.Status().transport == Transport::Playing) {
    host_.StopPlayback();
    Load(KindOfFile(path), position);
    if (CommandsFor(host_.Status()).start && Loaded()) host_.StartPlayback();
  } else {
    Load(KindOfFile(path), position);
    if (CommandsFor(host_.Status()).pause && Loaded()) host_.StartPlayback();
  }
}

bool Navigation::StepDiscTrack(int delta) {
  const int tracks = host_.MediaTrackCount();
  if (tracks <= 1) return false;
  const int track = host_.MediaCurrentTrack();
  if (delta > 0 ? track >= tracks : track <= 1) return false;
  host_.MediaStepTrack(delta);
  if (host_.Status().transport == Transport::Playing) return true;
  host_.MediaShowTrackInTitle();
  return true;
}

void Navigation::Next() {
  if (WaitForLoad([this] { Next(); })) return;
  Operation operation(*this);
  if (StepDiscTrack(+1)) return;
  const auto n = NextEntryIndex(host_.PlaylistCount(), host_.CurrentEntry());
  if (!n) return;
  if (!ConfirmReplace(host_.PlaylistPath(*n))) return;
  host_.MoveCurrentMarker(*n);
  PlayEntry(*n);
}

void Navigation::Previous() {
  if (WaitForLoad([this] { Previous(); })) return;
  Operation operation(*this);
  if (StepDiscTrack(-1)) return;
  const auto n = PreviousEntryIndex(host_.PlaylistCount(), host_.CurrentEntry());
  if (!n) return;
  if (!ConfirmReplace(host_.PlaylistPath(*n))) return;
  host_.MoveCurrentMarker(*n);
  PlayEntry(*n);
}

void Navigation::SongEnded(int nextEntry) {
  if (WaitForLoad([this, nextEntry] { SongEnded(nextEntry); })) return;
  Operation operation(*this);
  if (host_.Status().transport == Transport::Playing) host_.StopPlayback();
  const int count = host_.PlaylistCount();
  // The playlist was emptied after the song ended: nothing to move to.
  if (count <= 0) return;
  // An entry past the end (entries deleted meanwhile) starts the list again.
  const int n = nextEntry >= 0 && nextEntry < count ? nextEntry : 0;
  if (!ConfirmReplace(host_.PlaylistPath(n))) {
    if (!CommandsFor(host_.Status()).pause) host_.StartPlayback();
    return;
  }
  host_.MoveCurrentMarker(n);
  if (CommandsFor(host_.Status()).start && Loaded()) host_.EnableNextTimer();
}

void Navigation::NextTimerFired() {
  if (WaitForLoad([this] { NextTimerFired(); })) return;
  Operation operation(*this);
  host_.DisableNextTimer();
  const int n = host_.CurrentEntry();
  if (n < 0 || n >= host_.PlaylistCount()) return;
  const std::string path = host_.PlaylistPath(n);
  host_.SetFileName(path);
  Load(KindOfFile(path), std::to_string(n + 1));
  if (CommandsFor(host_.Status()).start && Loaded()) host_.StartPlayback();
}

}  // namespace poronka
