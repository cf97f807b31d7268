#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages.h"
#include "core/text_codec.h"
#include "interchange/export_test_util.h"
#include "interchange/mfi_export.h"
#include "support/test_support.h"

namespace poronka {
namespace {

using testing::Bytes;
using testing::MakeSong;

uint32_t Be32(const std::string& b, size_t at) {
  return (uint32_t(uint8_t(b[at])) << 24) | (uint32_t(uint8_t(b[at + 1])) << 16) |
         (uint32_t(uint8_t(b[at + 2])) << 8) | uint8_t(b[at + 3]);
}
int Be16(const std::string& b, size_t at) { return (uint8_t(b[at]) << 8) | uint8_t(b[at + 1]); }

struct Parsed {
  int H = 0;
  int trackCount = 0;
  std::string title;
  std::string version;
  std::vector<std::string> tracks;  // events of each track
};

// Reads the file the way a phone would and checks every length on the way.
Parsed Parse(const std::string& f) {
  Parsed p;
  EXPECT_EQ(f.substr(0, 4), "melo");
  EXPECT_EQ(Be32(f, 4), f.size() - 8);
  p.H = Be16(f, 8);
  p.trackCount = uint8_t(f[12]);
  size_t at = 13;
  while (at < 10 + static_cast<size_t>(p.H)) {
    std::string tag = f.substr(at, 4);
    int len = Be16(f, at + 4);
    std::string data = f.substr(at + 6, len);
    if (tag == "titl") p.title = data;
    if (tag == "vers") p.version = data;
    at += 6 + len;
  }
  EXPECT_EQ(at, 10u + p.H);
  while (at < f.size()) {
    EXPECT_EQ(f.substr(at, 4), "trac");
    uint32_t len = Be32(f, at + 4);
    p.tracks.push_back(f.substr(at + 8, len));
    at += 8 + len;
  }
  EXPECT_EQ(at, f.size());
  EXPECT_EQ(p.tracks.size(), static_cast<size_t>(p.trackCount));
  return p;
}

// The events after a track's fixed start (56 bytes in the first, 48 after).
std::string Body(const Parsed& p, size_t track) {
  return p.tracks[track].substr(track == 0 ? 56 : 48);
}

std::string VoiceSetUp(int program) {
  std::string out;
  for (int i = 0; i < 4; ++i)
    out += Bytes({0, 0xFF, 0xE1, i * 64 + 2 + program / 64, 0, 0xFF, 0xE0, i * 64 + program % 64,
                  0, 0xFF, 0xE2, i * 64 + 58});
  return out;
}

TEST(MfiExport, WholeVer1File) {
  Score s = MakeSong({60, 64}, {{1}, {}, {2}});
  MfiFile f = BuildMfi(s, SoundSettings{}, "20260101");
  EXPECT_FALSE(f.version2);
  EXPECT_FALSE(f.rangeAdjusted);
  std::string expected = "melo" + Bytes({0, 0, 0, 132, 0, 56, 1, 1, 1}) + "sorc" +
                         Bytes({0, 1, 1}) + "titl" + Bytes({0, 0}) + "prot" + Bytes({0, 10}) +
                         "PORON-V3.3" + "date" + Bytes({0, 8}) + "20260101" + "vers" +
                         Bytes({0, 4}) + "0100" + "trac" + Bytes({0, 0, 0, 66}) +
                         Bytes({0, 0xFF, 0xD0, 0, 0, 0xFF, 0xC3, 80}) + VoiceSetUp(10) +
                         Bytes({0x00, 15, 86,     // row 1, gate (2 rows * 48 * 9) div 10
                                0x60, 19, 48,     // row 3, the last: gate T
                                0x3A, 0xFF, 0xDF, 0x00});  // E = 48 + 10
  EXPECT_EQ(f.bytes, expected);
}

TEST(MfiExport, WholeVer2FileWithTwoTracks) {
  Score s = MakeSong({60, 62, 64, 65, 67}, {{1, 2, 3, 4, 5}});
  ASSERT_EQ(s.MaxSlot, 4);
  SoundSettings settings;
  settings.StopDelayRows = 1;  // gate 43
  settings.Program = 73;
  MfiFile f = BuildMfi(s, settings, "20261209");
  EXPECT_TRUE(f.version2);
  Parsed p = Parse(f.bytes);
  EXPECT_EQ(p.H, 64);
  EXPECT_EQ(p.version, "0200");
  ASSERT_EQ(p.trackCount, 2);
  EXPECT_EQ(f.bytes.size() - 8, 218u);
  EXPECT_NE(f.bytes.find(std::string("note") + Bytes({0, 2, 0, 1})), std::string::npos);
  EXPECT_EQ(p.tracks[0],
            Bytes({0, 0xFF, 0xD0, 0, 0, 0xFF, 0xC3, 80}) + VoiceSetUp(73) +
                Bytes({0, 15, 43, 0xC8, 0, 64 + 17, 43, 0xC8, 0, 128 + 19, 43, 0xC8,
                       0, 192 + 20, 43, 0xC8,
                       53, 0xFF, 0xD0, 0x01, 0x00, 0xFF, 0xDF, 0x00}));
  EXPECT_EQ(p.tracks[1], VoiceSetUp(73) + Bytes({0, 22, 43, 0xC8, 53, 0xFF, 0xDF, 0x00}));
  EXPECT_EQ(VoiceSetUp(73).substr(0, 8), Bytes({0, 0xFF, 0xE1, 3, 0, 0xFF, 0xE0, 9}));
}

TEST(MfiExport, VariantAndTrackCountFollowMaxSlot) {
  std::vector<int> keys;
  for (int i = 0; i < 15; ++i) keys.push_back(60 + i);
  struct Case { int notes; bool v2; int tracks; } cases[] = {
      {4, false, 1}, {5, true, 2}, {8, true, 2}, {9, true, 3}, {12, true, 4}, {15, true, 4}};
  for (const auto& c : cases) {
    std::vector<int32_t> cols;
    for (int i = 1; i <= c.notes; ++i) cols.push_back(i);
    Score s = MakeSong(keys, {cols});
    MfiFile f = BuildMfi(s, SoundSettings{}, "20260101");
    EXPECT_EQ(f.version2, c.v2) << c.notes;
    Parsed p = Parse(f.bytes);
    EXPECT_EQ(p.trackCount, c.tracks) << c.notes;
    EXPECT_EQ(p.version, c.v2 ? "0200" : "0100");
  }
}

TEST(MfiExport, TitleBytesAndHeaderLength) {
  Score s = MakeSong({60}, {{1}});
  s.Title = "蛍の光\r\nスコットランド民謡";
  Parsed p = Parse(BuildMfi(s, SoundSettings{}, "20260101").bytes);
  EXPECT_EQ(p.title, Utf8ToCp932(s.Title));
  EXPECT_EQ(p.H, 56 + static_cast<int>(p.title.size()));

  s.Title = std::string(300, 'x');
  std::string f = BuildMfi(s, SoundSettings{}, "20260101").bytes;
  EXPECT_EQ(f.substr(8, 2), Bytes({0x01, 0x37}));  // 311
  p = Parse(f);
  EXPECT_EQ(p.title, std::string(255, 'x'));
}

TEST(MfiExport, TempoByteLimits) {
  auto tempoOf = [](int noteValue, int halfPeriod) {
    Score s = MakeSong({60}, {{1}}, noteValue, halfPeriod);
    return uint8_t(Parse(BuildMfi(s, SoundSettings{}, "20260101").bytes).tracks[0][7]);
  };
  EXPECT_EQ(tempoOf(4, 375), 80);
  EXPECT_EQ(tempoOf(8, 1000), 20);  // 15 raised to 20
  EXPECT_EQ(tempoOf(4, 100), 255);  // 300 lowered to 255
  EXPECT_EQ(tempoOf(16, 30), 250);
}

TEST(MfiExport, GateOfTheStopDelay) {
  auto firstGate = [](int noteValue, int stopDelay) {
    Score s = MakeSong({60}, {{1}}, noteValue);
    SoundSettings settings;
    settings.StopDelayRows = stopDelay;
    return uint8_t(Body(Parse(BuildMfi(s, settings, "20260101").bytes), 0)[2]);
  };
  EXPECT_EQ(firstGate(4, 1), 43);
  EXPECT_EQ(firstGate(2, 5), 255);  // 432 lowered
  EXPECT_EQ(firstGate(8, 5), 108);
}

TEST(MfiExport, NotesOutOfRange) {
  // Ver1: limited to MIDI keys 45..107, with the remark.
  MfiFile f = BuildMfi(MakeSong({40, 45, 107}, {{1}, {2}, {3}}), SoundSettings{}, "20260101");
  std::string body = Body(Parse(f.bytes), 0);
  EXPECT_EQ(uint8_t(body[1]), 0);
  EXPECT_EQ(uint8_t(body[4]), 0);
  EXPECT_EQ(uint8_t(body[7]), 62);
  EXPECT_TRUE(f.rangeAdjusted);
  f = BuildMfi(MakeSong({108}, {{1}}), SoundSettings{}, "20260101");
  EXPECT_EQ(uint8_t(Body(Parse(f.bytes), 0)[1]), 62);
  EXPECT_TRUE(f.rangeAdjusted);

  // Ver2: an octave byte moves notes an octave; keys 33..119 are exact.
  auto ver2 = [](int key, bool& adjusted) {
    Score s = MakeSong({key, 60, 61, 62, 63}, {{1, 2, 3, 4, 5}});
    SoundSettings settings;
    settings.StopDelayRows = 1;
    MfiFile f = BuildMfi(s, settings, "20260101");
    adjusted = f.rangeAdjusted;
    std::string b = Body(Parse(f.bytes), 0);
    return std::make_pair(int(uint8_t(b[1])), int(uint8_t(b[3])));
  };
  bool adjusted = false;
  EXPECT_EQ(ver2(40, adjusted), std::make_pair(7, 0xCB));
  EXPECT_FALSE(adjusted);
  EXPECT_EQ(ver2(33, adjusted), std::make_pair(0, 0xCB));
  EXPECT_FALSE(adjusted);
  EXPECT_EQ(ver2(32, adjusted), std::make_pair(0, 0xCB));
  EXPECT_TRUE(adjusted);
  EXPECT_EQ(ver2(60, adjusted), std::make_pair(15, 0xC8));
  EXPECT_FALSE(adjusted);
  EXPECT_EQ(ver2(107, adjusted), std::make_pair(62, 0xC8));
  EXPECT_EQ(ver2(108, adjusted), std::make_pair(51, 0xC9));
  EXPECT_EQ(ver2(119, adjusted), std::make_pair(62, 0xC9));
  EXPECT_FALSE(adjusted);
  EXPECT_EQ(ver2(125, adjusted), std::make_pair(62, 0xC9));
  EXPECT_TRUE(adjusted);
}

TEST(MfiExport, FillersKeepDeltasWithinOneByte) {
  // T = 12; a note, then 30 silent rows.
  std::vector<std::vector<int32_t>> rows(31);
  rows[0] = {1};
  SoundSettings settings;
  settings.StopDelayRows = 1;  // gate 10
  std::string body = Body(Parse(BuildMfi(MakeSong({60}, rows, 16), settings, "20260101").bytes), 0);
  EXPECT_EQ(body, Bytes({0, 15, 10, 252, 0x10, 0x00, 108, 0xFF, 0xDF, 0}));

  // The same with stop delay 0: the pending note goes out with gate 255
  // before the filler; a later note gets its delta from the filler's row.
  rows.push_back({1});
  body = Body(Parse(BuildMfi(MakeSong({60}, rows, 16), SoundSettings{}, "20260101").bytes), 0);
  EXPECT_EQ(body, Bytes({0, 15, 255, 252, 0x10, 0x00, 120, 15, 12, 22, 0xFF, 0xDF, 0}));

  // A gap of 49 rows: fillers at rows 23 and 44, the note 7 rows after row 43.
  std::vector<std::vector<int32_t>> longer(50);
  longer[0] = {1};
  longer[49] = {1};
  body = Body(Parse(BuildMfi(MakeSong({60}, longer, 16), settings, "20260101").bytes), 0);
  EXPECT_EQ(body, Bytes({0, 15, 10, 252, 0x10, 0, 252, 0x10, 0, 84, 15, 10, 20, 0xFF, 0xDF, 0}));
}

TEST(MfiExport, Ver2FillerAndClosingBeyondOneByte) {
  // Stop delay 3 with NoteValue 2: gate 255, so the closing delta 265 is
  // split into a filler of 255 and 10.
  Score s = MakeSong({60}, {{1}}, 2);
  SoundSettings settings;
  settings.StopDelayRows = 3;
  EXPECT_EQ(Body(Parse(BuildMfi(s, settings, "20260101").bytes), 0),
            Bytes({0, 15, 255, 255, 0x10, 0x00, 10, 0xFF, 0xDF, 0}));
  Score v2 = MakeSong({60, 61, 62, 63, 64}, {{1, 2, 3, 4, 5}}, 2);
  Parsed p = Parse(BuildMfi(v2, settings, "20260101").bytes);
  EXPECT_EQ(Body(p, 1), Bytes({0, 19, 255, 0xC8, 255, 0xFF, 0xDE, 0x00, 10, 0xFF, 0xDF, 0}));
  EXPECT_EQ(Body(p, 0).substr(16), Bytes({255, 0xFF, 0xDE, 0, 10, 0xFF, 0xD0, 1, 0, 0xFF, 0xDF, 0}));
}

TEST(MfiExport, LastStruckRowGetsGateT) {
  Score s = MakeSong({60, 64, 67}, {{1}, {1, 2, 3}});
  std::string body = Body(Parse(BuildMfi(s, SoundSettings{}, "20260101").bytes), 0);
  // Row 1 gate (48 * 9) div 10 = 43; row 2 the chord with gate T, delta on the first.
  EXPECT_EQ(body, Bytes({0, 15, 43, 48, 15, 48, 0, 64 + 19, 48, 0, 128 + 22, 48,
                         58, 0xFF, 0xDF, 0}));
}

TEST(MfiExport, ElevenNotesPassOverSlotNine) {
  std::vector<int> keys;
  std::vector<int32_t> cols;
  for (int i = 0; i < 11; ++i) {
    keys.push_back(60 + i);
    cols.push_back(i + 1);
  }
  Score s = MakeSong(keys, {cols});
  SoundSettings settings;
  settings.StopDelayRows = 1;
  Parsed p = Parse(BuildMfi(s, settings, "20260101").bytes);
  ASSERT_EQ(p.trackCount, 3);
  // Slot 8 (key 68), slot 10 (key 69), slot 11 (key 70) as voices 0, 2, 3.
  EXPECT_EQ(Body(p, 2), Bytes({0, 23, 43, 0xC8, 0, 128 + 24, 43, 0xC8, 0, 192 + 25, 43, 0xC8,
                               53, 0xFF, 0xDF, 0}));
}

TEST(MfiExport, TracksWithoutNotesInARowStillCloseTheirPendingRow) {
  // Stop delay 0 in Ver2: track 1 holds a note only in row 1; row 3 is
  // struck by track 0 alone and ends track 1's pending note.
  Score s = MakeSong({60, 61, 62, 63, 64}, {{1, 2, 3, 4, 5}, {}, {1}});
  Parsed p = Parse(BuildMfi(s, SoundSettings{}, "20260101").bytes);
  // Track 1: the note of row 1 with gate (2 * 48 * 9) div 10 = 86, then the
  // closing from row 1: E = 2 * 48.
  EXPECT_EQ(Body(p, 1), Bytes({0, 19, 86, 0xC8, 96, 0xFF, 0xDF, 0}));
}

TEST(MfiExport, SaveMessages) {
  testing::TempDir dir;
  RecordingMessages msgs;
  Score s = MakeSong({60}, {{1}});
  s.FileName = dir.File("a.mld");
  ASSERT_TRUE(SaveMfi(s, SoundSettings{}, msgs, "20260101"));
  EXPECT_EQ(testing::ReadBytes(s.FileName), BuildMfi(s, SoundSettings{}, "20260101").bytes);
  Score low = MakeSong({40, 60, 61, 62, 63}, {{1, 2, 3, 4, 5}});
  low.FileName = dir.File("b.mld");
  ASSERT_TRUE(SaveMfi(low, SoundSettings{}, msgs));
  Score wide = MakeSong({60, 61}, {{1, 2}}, 4);
  wide.ColumnPitch[2] = 30;
  wide.FileName = dir.File("c.mld");
  ASSERT_TRUE(SaveMfi(wide, SoundSettings{}, msgs));
  s.FileName = dir.File("none/d.mld");
  EXPECT_FALSE(SaveMfi(s, SoundSettings{}, msgs));
  ASSERT_EQ(msgs.entries.size(), 4u);
  EXPECT_EQ(msgs.entries[0].kind, RecordingMessages::Entry::Information);
  EXPECT_EQ(msgs.entries[0].text, "４和音対応ファイル(MFi Ver1)\r\nで保存しました");
  EXPECT_EQ(msgs.entries[1].text, "１６和音対応ファイル(MFi Ver2)\r\nで保存しました");
  EXPECT_EQ(msgs.entries[2].text,
            "４和音対応ファイル(MFi Ver1)\r\nで保存しました\r\nなお、範囲外の音程を調整しました");
  EXPECT_EQ(msgs.entries[3].kind, RecordingMessages::Entry::Error);
  EXPECT_EQ(msgs.entries[3].text,
            "ファイルの保存中にエラーが起こりました。\r\nファイルが破損している可能性があります。");
  // Today's date when none is given.
  std::string today = TodayYyyymmdd();
  ASSERT_EQ(today.size(), 8u);
  EXPECT_NE(testing::ReadBytes(dir.File("b.mld")).find("date" + Bytes({0, 8}) + today),
            std::string::npos);
}

}  // namespace
}  // namespace poronka
