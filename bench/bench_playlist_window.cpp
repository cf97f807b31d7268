// Large playlists in the playlist window (offscreen): opening a 5000-entry
// playlist file of titled MP3 files, adding as many files at once, deleting
// an entry and shuffling.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <filesystem>
#include <fstream>
#include <memory>

#include "library/playlist.h"
#include "library/ui/playlist_window.h"

namespace {

using namespace poronka;

constexpr int kEntries = 5000;

class IdleHost : public PlaylistHost {
 public:
  std::string FileName() const override { return "/playing.mbt"; }
  void SetFileName(const std::string&) override {}
  bool Modified() const override { return false; }
  bool NoMidConversion() const override { return false; }
  bool DataError() const override { return false; }
  void SetHoldSong(bool) override {}
  void LoadFirstPlaylistEntry() override {}
  void PlayEntry(int) override {}
};

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_playlist_window";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// kEntries small MP3 files, each with an ID3v2 title, and a playlist of them.
struct Songs {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "poronka_bench_playlist";
  std::vector<std::string> paths;
  std::string list;
  Songs() {
    std::filesystem::create_directories(dir);
    for (int i = 0; i < kEntries; ++i) {
      const std::string title = "\x03曲その" + std::to_string(i);
      std::string tag = "TIT2";
      for (int shift : {24, 16, 8, 0}) tag.push_back(static_cast<char>((title.size() >> shift) & 0xFF));
      tag += std::string(2, '\0') + title;
      std::string bytes = std::string("ID3\x03\x00\x00\x00\x00\x00", 9);
      bytes.push_back(static_cast<char>(tag.size()));
      bytes += tag + std::string(64, '\xFF');
      paths.push_back((dir / ("song" + std::to_string(i) + ".mp3")).string());
      std::ofstream(paths.back(), std::ios::binary) << bytes;
    }
    list = (dir / "long.pkl").string();
    std::ofstream(list, std::ios::binary) << PlaylistFileBytes(paths);
  }
  ~Songs() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

Songs& TheSongs() {
  static Songs songs;
  return songs;
}

struct Window {
  PlaylistState state;
  RecordingMessages msgs;
  IdleHost host;
  QWidget player;
  ui::PlaylistWindow window{state, msgs, host, &player};
  Window() {
    player.show();
    window.showBesidePlayer();
    QApplication::processEvents();
  }
};

void BM_OpenPlaylistInWindow(benchmark::State& st) {
  App();
  Songs& songs = TheSongs();
  Window w;
  for (auto _ : st) {
    w.window.openStartPlaylist(songs.list);
    QApplication::processEvents();
  }
  if (w.window.listWidget()->count() != kEntries) st.SkipWithError("not all entries shown");
}
BENCHMARK(BM_OpenPlaylistInWindow)->Unit(benchmark::kMillisecond);

void BM_AddFilesToWindow(benchmark::State& st) {
  App();
  Songs& songs = TheSongs();
  Window w;
  for (auto _ : st) {
    w.window.clear();
    w.window.appendFiles(songs.paths);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_AddFilesToWindow)->Unit(benchmark::kMillisecond);

void BM_DeleteAndShuffleInWindow(benchmark::State& st) {
  App();
  Songs& songs = TheSongs();
  Window w;
  w.window.openStartPlaylist(songs.list);
  for (auto _ : st) {
    w.window.selectIndex(kEntries / 2);
    w.window.removeSelected();
    w.window.shuffle();
    QApplication::processEvents();
    st.PauseTiming();
    w.state.Append(songs.paths[0], "again");
    st.ResumeTiming();
  }
}
BENCHMARK(BM_DeleteAndShuffleInWindow)->Unit(benchmark::kMillisecond);

}  // namespace
