#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/mbt.h"

#include "playback/audio_file.h"
#include "playback/offline_render.h"
#include "playback/peak_limiter.h"
#include "support/test_support.h"

namespace poronka {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Two rows of 500 ms on one column (5C), the first struck.
Score TwoRows(int32_t halfPeriod = 250) {
  Score s;
  s.HalfPeriod = halfPeriod;
  s.NoteValue = 4;
  s.RowsPerBar = 4;
  s.OctaveLine = u"5";
  s.LetterLine = u"C";
  DeriveColumnPitches(s);
  s.RowCount = 2;
  s.RowNotes.assign(3, RowSlots{});
  s.RowNotes[1] = RowFromColumns({1});
  s.MaxSlot = 0;
  return s;
}

class CountingSink : public AudioSink {
 public:
  bool Write(const int16_t*, int64_t frames) override {
    largest = std::max(largest, frames);
    total += frames;
    ++blocks;
    return true;
  }
  int64_t largest = 0, total = 0;
  int blocks = 0;
};

uint32_t U32(const std::string& b, size_t at) {
  return uint8_t(b[at]) | (uint32_t(uint8_t(b[at + 1])) << 8) | (uint32_t(uint8_t(b[at + 2])) << 16) |
         (uint32_t(uint8_t(b[at + 3])) << 24);
}

TEST(OfflineRender, StreamsBoundedBlocksAndCancels) {
  Score s = TwoRows();
  RenderJob job;
  job.rows = 2;
  CountingSink sink;
  std::string error;
  int64_t lastDone = 0, lastTotal = 0;
  ASSERT_EQ(RenderSong(s, job, sink,
                       [&](int64_t done, int64_t total) {
                         EXPECT_GT(done, lastDone);
                         lastDone = done;
                         lastTotal = total;
                         return true;
                       },
                       error),
            RenderResult::Ok)
      << error;
  // 1000 ms of rows and 2000 ms of tail.
  EXPECT_EQ(sink.total, 3 * 44100);
  EXPECT_EQ(RenderFrameCount(s, 2), sink.total);
  EXPECT_EQ(lastDone, sink.total);
  EXPECT_EQ(lastTotal, sink.total);
  EXPECT_LE(sink.largest, kRenderBlockFrames);

  CountingSink stopped;
  EXPECT_EQ(RenderSong(s, job, stopped, [](int64_t, int64_t) { return false; }, error), RenderResult::Cancelled);
  EXPECT_EQ(stopped.blocks, 1);
}

// The loudest sample and how many samples sit at full scale.
class LevelSink : public AudioSink {
 public:
  bool Write(const int16_t* interleaved, int64_t frames) override {
    for (int64_t i = 0; i < frames * kRenderChannels; ++i) {
      const int v = std::abs(static_cast<int>(interleaved[i]));
      peak = std::max(peak, v);
      if (v >= 32767) ++clipped;
    }
    return true;
  }
  double PeakDb() const { return 20 * std::log10(std::max(peak, 1) / 32768.0); }
  int peak = 0;
  long clipped = 0;
};

TEST(PeakLimiter, QuietSignalsPassDelayedAndPeaksStayUnderTheCeiling) {
  PeakLimiter limiter(0.5f, 4, 100);
  std::vector<float> l(64), r(64);
  for (int i = 0; i < 64; ++i) l[i] = r[i] = i < 32 ? 0.25f * std::sin(i * 0.3f) : (i == 40 ? -2.0f : 0.1f);
  const std::vector<float> in = l;
  limiter.Process(l.data(), r.data(), 20);  // in two blocks
  limiter.Process(l.data() + 20, r.data() + 20, 44);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(l[i], 0.0f);
  for (int i = 4; i < 36; ++i) EXPECT_FLOAT_EQ(l[i], in[i - 4]) << i;  // untouched until the peak is near
  EXPECT_FLOAT_EQ(l[44], -0.5f);  // the peak itself
  for (int i = 0; i < 64; ++i) EXPECT_LE(std::fabs(l[i]), 0.5f) << i;
  EXPECT_LT(l[63], 0.1f);  // still recovering
}

TEST(OfflineRender, DensestRowsNeverClipWhileSongsKeepTheirLevel) {
  // Sixteen rows of fifteen notes each, struck every 125 ms across three
  // octaves, through several programs.
  Score dense;
  dense.HalfPeriod = 62;
  dense.NoteValue = 8;
  dense.RowsPerBar = 8;
  dense.OctaveLine = std::u16string(12, u'4') + std::u16string(12, u'5') + std::u16string(12, u'6');
  dense.LetterLine = u"CcDdEFfGgAaBCcDdEFfGgAaBCcDdEFfGgAaB";
  DeriveColumnPitches(dense);
  dense.RowCount = 16;
  dense.RowNotes.assign(17, RowSlots{});
  for (int r = 1; r <= 16; ++r) {
    std::vector<int32_t> columns;
    for (int k = 0; k < 15; ++k) columns.push_back(1 + (r + k * 5) % 36);
    std::sort(columns.begin(), columns.end());
    dense.RowNotes[r] = RowFromColumns(columns);
  }
  dense.MaxSlot = 15;
  std::string error;
  for (int program : {10, 0, 19, 80}) {
    RenderJob job;
    job.rows = 16;
    job.settings.Program = program;
    LevelSink sink;
    ASSERT_EQ(RenderSong(dense, job, sink, {}, error), RenderResult::Ok) << error;
    EXPECT_EQ(sink.clipped, 0) << program;
    EXPECT_GT(sink.PeakDb(), -12) << program;
  }
  for (const char* song : {"examples/kirakira.mbt"}) {
    Score s;
    s.FileName = testing::SourcePath(song);
    RecordingMessages msgs;
    LoadHooks hooks;
    ASSERT_EQ(ReadMbt(s, msgs, hooks), MbtLoad::Ok);
    RenderJob job;
    job.rows = 64;
    LevelSink sink;
    ASSERT_EQ(RenderSong(s, job, sink, {}, error), RenderResult::Ok) << error;
    EXPECT_EQ(sink.clipped, 0) << song;
    EXPECT_GT(sink.PeakDb(), -12) << song;
    EXPECT_LT(sink.PeakDb(), -1) << song;
  }
}

TEST(OfflineRender, FilesAreCompleteOrNotThereAtAll) {
  TempDir dir;
  Score s = TwoRows();
  RenderJob job;
  job.rows = 2;
  std::string error;
  ASSERT_EQ(RenderSongToFile(s, job, dir.File("a.wav"), {}, error), AudioFileResult::Ok) << error;
  const std::string wav = ReadBytes(dir.File("a.wav"));
  ASSERT_EQ(wav.size(), 44u + 3u * 44100u * 4u);
  EXPECT_EQ(U32(wav, 4), wav.size() - 8);
  EXPECT_EQ(U32(wav, 40), wav.size() - 44);

  for (const char* name : {"a.flac", "a.ogg"}) {
    ASSERT_EQ(RenderSongToFile(s, job, dir.File(name), {}, error), AudioFileResult::Ok) << name << error;
    SF_INFO info{};
    SNDFILE* f = sf_open(dir.File(name).c_str(), SFM_READ, &info);
    ASSERT_NE(f, nullptr) << name;
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_NEAR(static_cast<double>(info.frames), 3 * 44100, 4096) << name;
    sf_close(f);
  }

  // A cancelled render leaves the previous file as it was and no stray file.
  WriteBytes(dir.File("a.wav"), "previous");
  EXPECT_EQ(RenderSongToFile(s, job, dir.File("a.wav"), [](int64_t, int64_t) { return false; }, error),
            AudioFileResult::Cancelled);
  EXPECT_EQ(ReadBytes(dir.File("a.wav")), "previous");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

TEST(OfflineRender, WavPastFourGibibytesIsRefusedBeforeRendering) {
  TempDir dir;
  // The longest row duration a file may give: 2147483647 ms.
  Score s = TwoRows(1073741823);
  RenderJob job;
  job.rows = 1;
  std::string error;
  EXPECT_GT(RenderFrameCount(s, 1), int64_t{1} << 32);
  EXPECT_EQ(RenderSongToFile(s, job, dir.File("long.wav"), {}, error), AudioFileResult::TooLong);
  EXPECT_NE(error.find("4 GiB"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(dir.File("long.wav")));
  // Just under the limit passes the check (cancelled after the first block).
  s.HalfPeriod = 12000000;  // 24000 s per row: 4.23e9 bytes
  EXPECT_LT(RenderFrameCount(s, 1) * 4, int64_t{0xFFFFFFFF} - 36);
  EXPECT_EQ(RenderSongToFile(s, job, dir.File("long.wav"), [](int64_t, int64_t) { return false; }, error),
            AudioFileResult::Cancelled);
}

}  // namespace
}  // namespace poronka
