// The Qt Multimedia media player on real files: a WAV file written here, a
// file that is no medium, a missing file, and an audio CD where there is
// no drive.
#include "library/ui/qt_media_player.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <cmath>

#include "support/test_support.h"

namespace poronka::ui {
namespace {

std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
std::string Le16(uint16_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }

// `ms` milliseconds of a 440 Hz tone, 16-bit mono at 22050 Hz.
std::string Wav(int ms) {
  const int rate = 22050;
  const int samples = rate * ms / 1000;
  std::string data;
  for (int i = 0; i < samples; ++i) {
    auto s = static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 440 * i / rate));
    data += Le16(static_cast<uint16_t>(s));
  }
  return "RIFF" + Le32(36 + static_cast<uint32_t>(data.size())) + "WAVEfmt " + Le32(16) + Le16(1) + Le16(1) +
         Le32(rate) + Le32(rate * 2) + Le16(2) + Le16(16) + "data" + Le32(static_cast<uint32_t>(data.size())) + data;
}

TEST(QtMediaPlayerTest, OpensAFileAndMeasuresIt) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("tone.wav"), Wav(1500));
  QtMediaPlayer p;
  p.SetFileName(dir.File("tone.wav"));
  p.SetDeviceType(MediaDeviceType::Automatic);
  try {
    p.Open();
  } catch (const MediaError& e) {
    GTEST_SKIP() << "no media back end here: " << e.what();
  }
  EXPECT_EQ(p.Tracks(), 1);
  p.SetTimeFormat(MediaTimeFormat::Milliseconds);
  EXPECT_NEAR(static_cast<double>(p.TrackLength(1)), 1500.0, 100.0);
  EXPECT_EQ(p.StartPosition(), 0);
  p.SetPosition(500);
  p.Close();
  EXPECT_THROW(p.Position(), MediaError);
}

TEST(QtMediaPlayerTest, PlayingToTheEndNotifiesOnce) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("tone.wav"), Wav(400));
  QtMediaPlayer p;
  p.SetFileName(dir.File("tone.wav"));
  try {
    p.Open();
  } catch (const MediaError& e) {
    GTEST_SKIP() << "no media back end here: " << e.what();
  }
  std::vector<MediaNotifyValue> notes;
  p.SetNotifyHandler([&](MediaNotifyValue v) { notes.push_back(v); });
  p.Play();
  QElapsedTimer t;
  t.start();
  while (notes.empty() && t.elapsed() < 5000) QTest::qWait(20);
  if (notes.empty()) GTEST_SKIP() << "no audio output here";
  QTest::qWait(100);
  EXPECT_EQ(notes, std::vector<MediaNotifyValue>{MediaNotifyValue::Successful});
  // Played again from its start, it ends again.
  p.SetPosition(p.StartPosition());
  p.Play();
  t.restart();
  while (notes.size() < 2 && t.elapsed() < 5000) QTest::qWait(20);
  EXPECT_EQ(notes.size(), 2u);
}

TEST(QtMediaPlayerTest, RefusesWhatItCannotPlay) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("junk.mp3"), std::string(2000, '\x11'));
  QtMediaPlayer p;
  p.setOpenTimeoutMs(5000);
  p.SetFileName(dir.File("junk.mp3"));
  EXPECT_THROW(p.Open(), MediaError);
  p.SetFileName(dir.File("missing.wma"));
  EXPECT_THROW(p.Open(), MediaError);
  p.SetFileName(dir.path() + "/");
  p.SetDeviceType(MediaDeviceType::CdAudio);
  p.setOpenTimeoutMs(3000);
  EXPECT_THROW(p.Open(), MediaError);
}

}  // namespace
}  // namespace poronka::ui
