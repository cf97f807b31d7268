#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_io.h"
#include "core/mbt.h"
#include "core/text_codec.h"
#include "support/test_support.h"

namespace poronka {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kDot = "\xA5";

std::string Cells(const std::string& pattern) {  // "..O.O" -> bytes
  std::string out;
  for (char c : pattern) out += c == 'O' ? std::string("O") : kDot;
  return out;
}

std::string Header(const std::string& title = "Song") {
  return title + "\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n55555\r\nCDEFG\r\n";
}

struct Loaded {
  Score score;
  RecordingMessages msgs;
  MbtLoad result;
};

class CountingHooks : public LoadHooks {
 public:
  int dataErrors = 0;
  int dots = 0;
  int focus = 0;
  void ShowDataError() override { ++dataErrors; }
  void DrawDot(int32_t, int32_t) override { ++dots; }
  void FocusStart() override { ++focus; }
};

Loaded Load(const std::string& bytes, CountingHooks* hooksOut = nullptr) {
  Loaded l;
  CountingHooks local;
  CountingHooks& hooks = hooksOut ? *hooksOut : local;
  l.score.FileName = "song.mbt";
  l.result = ReadMbtBytes(l.score, bytes, l.msgs, hooks);
  return l;
}

Score SampleScore() {
  Score s;
  s.Title = "さくら\r\n日本古謡\r\n";
  s.HalfPeriod = 300;
  s.RowsPerBar = 4;
  s.NoteValue = 8;
  s.PreRows = 0;
  s.OctaveLine = std::u16string(12, u'4') + std::u16string(12, u'5') + std::u16string(6, u'6');
  s.LetterLine = u"CcDdEFfGgAaBCcDdEFfGgAaBCcDdEF";
  DeriveColumnPitches(s);
  s.RowCount = 20;
  s.RowNotes.assign(21, RowSlots{});
  s.RowNotes[1] = RowFromColumns({1, 5, 8});
  s.RowNotes[3] = RowFromColumns({30});
  std::vector<int32_t> full;
  for (int c = 2; c <= 30; c += 2) full.push_back(c);  // 15 notes
  s.RowNotes[5] = RowFromColumns(full);
  s.RowNotes[20] = RowFromColumns({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  s.BarAdjust = {0, 0, -1, 0, 2};
  s.MaxSlot = ComputeMaxSlot(s);
  return s;
}

void ExpectSameSong(const Score& a, const Score& b) {
  EXPECT_EQ(a.Title, b.Title);
  EXPECT_EQ(a.HalfPeriod, b.HalfPeriod);
  EXPECT_EQ(a.RowsPerBar, b.RowsPerBar);
  EXPECT_EQ(a.NoteValue, b.NoteValue);
  EXPECT_EQ(a.PreRows, b.PreRows);
  EXPECT_EQ(a.OctaveLine, b.OctaveLine);
  EXPECT_EQ(a.LetterLine, b.LetterLine);
  EXPECT_EQ(a.ColumnPitch, b.ColumnPitch);
  EXPECT_EQ(a.RowCount, b.RowCount);
  for (int r = 1; r <= a.RowCount; ++r) EXPECT_EQ(a.RowNotes[r], b.RowNotes[r]) << "row " << r;
  size_t n = std::max(a.BarAdjust.size(), b.BarAdjust.size());
  for (size_t i = 1; i < n; ++i) {
    int16_t x = i < a.BarAdjust.size() ? a.BarAdjust[i] : 0;
    int16_t y = i < b.BarAdjust.size() ? b.BarAdjust[i] : 0;
    EXPECT_EQ(x, y) << "bar " << i;
  }
}

TEST(MbtWriter, WritesTheDocumentedLayout) {
  Score s;
  s.Title = "A";
  s.HalfPeriod = 375;
  s.RowsPerBar = 3;
  s.NoteValue = 4;
  s.PreRows = 2;
  s.OctaveLine = u"5555";
  s.LetterLine = u"CDEF";
  DeriveColumnPitches(s);
  s.RowCount = 2;
  s.RowNotes.assign(3, RowSlots{});
  s.RowNotes[2] = RowFromColumns({2, 3});
  s.BarAdjust = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -2};
  std::string expected = "A\r\n+Line2\r\n%PL12    -2\r\nMBT_DATA\r\n750\r\n3\r\n4\r\n5555\r\nCDEF\r\n\r\n" +
                         kDot + "OO" + kDot + "\r\nENDofDATA 2 lines\r\n";
  EXPECT_EQ(MbtBytes(s), expected);
}

TEST(MbtWriter, FullRowEndsAfterItsLastNote) {
  Score s;
  s.OctaveLine = std::u16string(20, u'5');
  s.LetterLine = std::u16string(20, u'C');
  DeriveColumnPitches(s);
  s.RowCount = 1;
  s.RowNotes.assign(2, RowSlots{});
  std::vector<int32_t> cols;
  for (int c = 1; c <= 15; ++c) cols.push_back(c);
  s.RowNotes[1] = RowFromColumns(cols);
  std::string bytes = MbtBytes(s);
  EXPECT_NE(bytes.find("\r\nOOOOOOOOOOOOOOO\r\nENDofDATA"), std::string::npos);
}

TEST(MbtRoundTrip, EverythingSurvivesAWriteAndARead) {
  Score s = SampleScore();
  Loaded l = Load(MbtBytes(s));
  ASSERT_EQ(l.result, MbtLoad::Ok);
  EXPECT_TRUE(l.msgs.entries.empty());
  ExpectSameSong(s, l.score);
  EXPECT_EQ(l.score.MaxSlot, 15);
  EXPECT_EQ(l.score.RowNotes[0], l.score.RowNotes[20]);  // row 0 = last row
  EXPECT_EQ(l.score.Bpm, 50);
  EXPECT_FALSE(l.score.Modified);

  // Pre-rows instead of a first-bar adjustment.
  s.PreRows = 3;
  s.BarAdjust = {0, 0, 0, 1};
  Loaded p = Load(MbtBytes(s));
  ASSERT_EQ(p.result, MbtLoad::Ok);
  ExpectSameSong(s, p.score);

  // Five-digit bars with six-character values still end by character 17.
  Score w = SampleScore();
  w.PreRows = 0;
  w.RowsPerBar = 1;
  w.BarAdjust.assign(40001, 0);
  w.BarAdjust[36365] = -29925;
  w.BarAdjust[40000] = -30000;
  Loaded q = Load(MbtBytes(w));
  ASSERT_EQ(q.result, MbtLoad::Ok);
  ASSERT_GT(q.score.BarAdjust.size(), 40000u);
  EXPECT_EQ(q.score.BarAdjust[36365], -29925);
  EXPECT_EQ(q.score.BarAdjust[40000], -30000);
}

TEST(MbtRoundTrip, SavedFileReadsBackAndSaveClearsModified) {
  TempDir dir;
  Score s = SampleScore();
  s.FileName = dir.File("song.mbt");
  s.Modified = true;
  RecordingMessages msgs;
  ASSERT_TRUE(WriteMbt(s, msgs));
  EXPECT_FALSE(s.Modified);
  Score back;
  back.FileName = s.FileName;
  LoadHooks hooks;
  ASSERT_EQ(ReadMbt(back, msgs, hooks), MbtLoad::Ok);
  ExpectSameSong(s, back);
  EXPECT_TRUE(msgs.entries.empty());
}

TEST(MbtWriter, FailedSaveKeepsThePreviousFileAndModified) {
  TempDir dir;
  Score s = SampleScore();
  s.FileName = dir.File("missing-folder/song.mbt");
  s.Modified = true;
  RecordingMessages msgs;
  EXPECT_FALSE(WriteMbt(s, msgs));
  EXPECT_TRUE(s.Modified);
  ASSERT_EQ(msgs.Texts().size(), 1u);
  EXPECT_EQ(msgs.Texts()[0],
            "ファイルの保存中にエラーが起こりました。\f\nファイルが破損している可能性があります。");

  // A read-only folder: the old file stays as it was.
  s.FileName = dir.File("keep.mbt");
  WriteBytes(s.FileName, "old contents");
  chmod(dir.path().c_str(), 0555);
  if (geteuid() != 0) {  // root ignores folder permissions
    EXPECT_FALSE(WriteMbt(s, msgs));
    EXPECT_EQ(ReadBytes(s.FileName), "old contents");
  }
  chmod(dir.path().c_str(), 0755);
}

TEST(MbtReader, HeaderVariants) {
  // Marker with blanks around it; keywords in lower case.
  Loaded a = Load("T\r\n+line1\r\n%pl3    1\r\n  MBT_DATA \t\r\n750\r\n4\r\n4\r\n55555\r\nCDEFG\r\n" + std::string(16, '\n'));
  ASSERT_EQ(a.result, MbtLoad::Ok);
  EXPECT_EQ(a.score.Title, "T");
  EXPECT_EQ(a.score.PreRows, 1);
  ASSERT_GT(a.score.BarAdjust.size(), 3u);
  EXPECT_EQ(a.score.BarAdjust[3], 1);

  // A lower-case marker is not a marker.
  Loaded b = Load("T\r\nmbt_data\r\n750\r\n4\r\n4\r\nC\r\nC\r\n");
  EXPECT_EQ(b.result, MbtLoad::NoMarker);
  EXPECT_EQ(b.msgs.Texts(), std::vector<std::string>{"このファイルはＭＢＴデータがありません。"});

  // A title line that begins with "+Line" is taken as the pre-rows line.
  Loaded c = Load("+Line2  not a title\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\n");
  ASSERT_EQ(c.result, MbtLoad::Ok);
  EXPECT_EQ(c.score.PreRows, 2);
  EXPECT_EQ(c.score.Title, "");

  // A negative pre-rows count is read as none, which is what a save keeps.
  Loaded d = Load("T\r\n+line-3\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\n");
  ASSERT_EQ(d.result, MbtLoad::Ok);
  EXPECT_EQ(d.score.PreRows, 0);
}

// Damaged headers load into a score every operation agrees on: a negative
// pre-count reads as none, octave digits past the letter line are dropped.
TEST(MbtReader, NegativePreCountAndALongOctaveLine) {
  Loaded a = Load("T\r\n+Line-2\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5555566\r\nCDEFG\r\n\r\nO\r\n");
  ASSERT_EQ(a.result, MbtLoad::Ok);
  EXPECT_EQ(a.score.PreRows, 0);
  EXPECT_EQ(a.score.OctaveLine, u"55555");
  EXPECT_EQ(a.score.ColumnCount, 5);
  EXPECT_EQ(EditorBarNumbers(a.score)[1].beat, 1);
}

TEST(MbtReader, MultiLineTitleAndTheFiftyLineLimit) {
  std::string head;
  for (int i = 1; i <= 60; ++i) head += "line" + std::to_string(i) + "\r\n";
  Loaded l = Load(head + "MBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\n");
  ASSERT_EQ(l.result, MbtLoad::Ok);
  std::string expected;
  for (int i = 1; i <= 50; ++i) expected += (i > 1 ? "\r\n" : "") + std::string("line") + std::to_string(i);
  EXPECT_EQ(l.score.Title, expected);

  // Lines after the first "%PL" line are not title lines.
  Loaded m = Load("First\r\n%PL2    1\r\nNot title\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\n");
  EXPECT_EQ(m.score.Title, "First");
}

TEST(MbtReader, CodePage932Title) {
  Loaded l = Load(Utf8ToCp932("ふるさと") + "\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\n");
  EXPECT_EQ(l.score.Title, "ふるさと");
}

TEST(MbtReader, RowLinesAndTheEndLine) {
  // No end line: every remaining line is a row. Long lines are cut at the
  // column count, short ones have empty cells.
  Loaded l = Load(Header() + Cells("O...OOOO") + "\r\n\r\n" + Cells("..O") + "\r\nxOx\r\n");
  ASSERT_EQ(l.result, MbtLoad::Ok);
  EXPECT_EQ(l.score.RowCount, 4);
  EXPECT_EQ(ColumnsOf(l.score.RowNotes[1]), (std::vector<int32_t>{1, 5}));
  EXPECT_EQ(ColumnsOf(l.score.RowNotes[2]), std::vector<int32_t>{});
  EXPECT_EQ(ColumnsOf(l.score.RowNotes[3]), std::vector<int32_t>{3});
  EXPECT_EQ(ColumnsOf(l.score.RowNotes[4]), std::vector<int32_t>{2});
  EXPECT_EQ(l.score.MaxSlot, 1);

  // Lines after the end line are ignored; the end line's count is not checked.
  Loaded e = Load(Header() + "O\r\nENDofDATA 7 LINES  \r\nO\r\nO\r\n");
  EXPECT_EQ(e.score.RowCount, 1);

  // LF-only line ends read the same.
  Loaded lf = Load("T\nMBT_DATA\n750\n4\n4\n55555\nCDEFG\nO\nENDofDATA 1 lines\n");
  ASSERT_EQ(lf.result, MbtLoad::Ok);
  EXPECT_EQ(lf.score.RowCount, 1);
}

TEST(MbtReader, OddRowDurationIsHalvedDownAndWrittenEven) {
  Loaded l = Load("T\r\nMBT_DATA\r\n751\r\n4\r\n4\r\n5\r\nC\r\n");
  ASSERT_EQ(l.result, MbtLoad::Ok);
  EXPECT_EQ(l.score.HalfPeriod, 375);
  EXPECT_NE(MbtBytes(l.score).find("MBT_DATA\r\n750\r\n"), std::string::npos);
}

TEST(MbtReader, TimerMinimumRaisesTheTempoWithAMessage) {
  Loaded l = Load("T\r\nMBT_DATA\r\n4\r\n4\r\n4\r\n5\r\nC\r\nO\r\n");
  ASSERT_EQ(l.result, MbtLoad::Ok);
  EXPECT_EQ(l.score.HalfPeriod, 4);
  EXPECT_EQ(l.msgs.Texts(), std::vector<std::string>{kTimerPrecisionMessage});
}

TEST(MbtReader, FailureMessagesAndWhatTheyLeave) {
  Score before = SampleScore();
  auto loadOver = [&](const std::string& bytes, CountingHooks& hooks) {
    Loaded l;
    l.score = before;
    l.result = ReadMbtBytes(l.score, bytes, l.msgs, hooks);
    return l;
  };
  const std::vector<std::string> io{"入出力エラーが起こりました。"};
  const std::vector<std::string> bad{"データが正しくありません。"};

  CountingHooks h1;
  Loaded zero = loadOver("New\r\n+Line1\r\nMBT_DATA\r\n750\r\n0\r\n4\r\n77\r\nAB\r\nO\r\n", h1);
  EXPECT_EQ(zero.result, MbtLoad::BadData);
  EXPECT_EQ(zero.msgs.Texts(), bad);
  EXPECT_EQ(zero.score.Title, "New");
  EXPECT_EQ(zero.score.PreRows, 1);
  EXPECT_EQ(zero.score.LetterLine, u"AB");
  EXPECT_EQ(zero.score.RowCount, before.RowCount);  // rows untouched
  EXPECT_EQ(zero.score.ColumnCount, before.ColumnCount);
  EXPECT_EQ(h1.dataErrors, 0);

  for (const char* body : {"-750\r\n4\r\n4\r\n", "750\r\n-4\r\n4\r\n", "750\r\n4\r\n0\r\n"}) {
    CountingHooks h;
    EXPECT_EQ(loadOver(std::string("T\r\nMBT_DATA\r\n") + body + "5\r\nC\r\n", h).msgs.Texts(), bad);
  }

  const char* ioCases[] = {
      "T\r\nMBT_DATA\r\n7x0\r\n4\r\n4\r\n5\r\nC\r\n",         // bad number
      "T\r\nMBT_DATA\r\n750\r\n4\r\n",                        // file ends in the header
      "T\r\n+LineX\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\n",  // bad pre-rows
      "T\r\n%PL1    x\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\n",  // bad value
      "T\r\n%PL123456    -2\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\n",  // six-digit bar
      "T\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nCD\r\n",        // octave line too short
      "T\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5x\r\nCD\r\n",       // octave not a digit
      "T\r\nMBT_DATA\r\n99999999999\r\n4\r\n4\r\n5\r\nC\r\n",  // out of range
  };
  for (const char* bytes : ioCases) {
    CountingHooks h;
    Loaded l = loadOver(bytes, h);
    EXPECT_EQ(l.result, MbtLoad::IoError) << bytes;
    EXPECT_EQ(l.msgs.Texts(), io) << bytes;
    EXPECT_EQ(h.dataErrors, 1) << bytes;
    EXPECT_EQ(l.score.RowCount, before.RowCount);
    EXPECT_EQ(l.score.RowNotes.size(), before.RowNotes.size());
  }

  // A missing file is a read error.
  Score s;
  s.FileName = "/nonexistent/song.mbt";
  RecordingMessages msgs;
  CountingHooks h;
  EXPECT_EQ(ReadMbt(s, msgs, h), MbtLoad::IoError);
  EXPECT_EQ(msgs.Texts(), io);
}

TEST(MbtReader, PipesDevicesAndHugeFilesAreReadErrorsAtOnce) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("pipe.mbt").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", dir.File("zero.mbt").c_str()), 0);
  WriteBytes(dir.File("huge.mbt"), "");
  ASSERT_EQ(truncate(dir.File("huge.mbt").c_str(), off_t{3} << 30), 0);  // sparse
  for (const char* name : {"pipe.mbt", "zero.mbt", "huge.mbt"}) {
    Score s;
    s.FileName = dir.File(name);
    RecordingMessages msgs;
    CountingHooks h;
    EXPECT_EQ(ReadMbt(s, msgs, h), MbtLoad::IoError) << name;
    EXPECT_EQ(msgs.Texts(), std::vector<std::string>{kMbtIoErrorMessage}) << name;
    EXPECT_EQ(h.dataErrors, 1) << name;
  }
}

// Hooks that run out of memory while the rows are drawn.
class FailingHooks : public CountingHooks {
 public:
  void DrawDot(int32_t, int32_t) override { throw std::bad_alloc(); }
};

TEST(MbtReader, RunningOutOfMemoryIsAReadError) {
  Score s = SampleScore();
  RecordingMessages msgs;
  FailingHooks h;
  EXPECT_EQ(ReadMbtBytes(s, Header() + "O\r\n\r\nO\r\n", msgs, h), MbtLoad::IoError);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{kMbtIoErrorMessage});
  EXPECT_EQ(h.dataErrors, 1);
  EXPECT_EQ(s.RowNotes.size(), static_cast<size_t>(s.RowCount) + 1);
  EXPECT_EQ(s.ColumnPitch.size(), static_cast<size_t>(s.ColumnCount) + 1);
}

TEST(MbtReader, LeadAndTrailBytesAtTheCodePageEdges) {
  // Each row line is one byte, then "OO": a lead byte takes the first "O" as
  // its second byte, any other byte stands alone.
  const std::vector<int32_t> alone{2, 3}, lead{2};
  const struct {
    const char* bytes;
    std::vector<int32_t> columns;
  } cases[] = {
      {"\x80OO", alone}, {"\x81OO", lead},  {"\x9FOO", lead},  {"\xA0OO", alone},
      {"\xDFOO", alone}, {"\xE0OO", lead},  {"\xF0OO", lead},  {"\xFAOO", lead},  // FA 4F is "Ⅵ"
      {"\xFC\x40O", lead}, {"\xFDOO", alone}, {"\x88\xFCO", lead},  // FC, the last trail byte
  };
  for (const auto& c : cases) {
    Loaded l = Load(Header() + c.bytes + "\r\n");
    ASSERT_EQ(l.result, MbtLoad::Ok);
    EXPECT_EQ(ColumnsOf(l.score.RowNotes[1]), c.columns) << ::testing::PrintToString(c.bytes);
  }
}

TEST(MbtReader, NoMarkerClearsTitleAndPreRowsOnly) {
  Score s = SampleScore();
  s.PreRows = 2;
  RecordingMessages msgs;
  LoadHooks hooks;
  EXPECT_EQ(ReadMbtBytes(s, "just text\r\n", msgs, hooks), MbtLoad::NoMarker);
  EXPECT_EQ(s.PreRows, 0);
  EXPECT_EQ(s.Title, "just text");
  EXPECT_EQ(s.RowCount, 20);
}

TEST(MbtReader, MoreThanAHundredThousandRows) {
  std::string bytes = Header();
  bytes.reserve(bytes.size() + 100005 * 3);
  for (int i = 0; i < 100003; ++i) bytes += "O\r\n";
  Loaded l = Load(bytes);
  ASSERT_EQ(l.result, MbtLoad::Ok);
  EXPECT_EQ(l.score.RowCount, 100000);
  EXPECT_EQ(l.msgs.Texts(), std::vector<std::string>{"１０００００行を越えるデータは無視しました。"});
}

class FakeLoading : public LoadProgress {
 public:
  void Open(const std::string& c) override { caption = c, opened = true; }
  int Position() const override { return pos; }
  void StepIt() override {
    ++pos;
    ++steps;
  }
  void SetToMax() override { pos = 120; }
  void Close() override { closed = true; }
  std::string caption;
  bool opened = false, closed = false;
  int pos = 0, steps = 0;
};

class LoadingHooks : public CountingHooks {
 public:
  FakeLoading window;
  LoadProgress* Loading() override { return &window; }
};

TEST(MbtReader, LoadingWindowAboveThirtyFiveHundredRows) {
  std::string rows;
  for (int i = 0; i < 3500; ++i) rows += "O\r\n";
  LoadingHooks small;
  Loaded a;
  a.score.FileName = "/some/folder/small.mbt";
  ReadMbtBytes(a.score, Header() + rows, a.msgs, small);
  EXPECT_FALSE(small.window.opened);
  EXPECT_EQ(small.dots, 3500);
  EXPECT_EQ(small.focus, 1);

  LoadingHooks big;
  Loaded b;
  b.score.FileName = "/some/folder/big.mbt";
  ReadMbtBytes(b.score, Header() + rows + "O\r\n", b.msgs, big);
  EXPECT_TRUE(big.window.opened);
  EXPECT_EQ(big.window.caption, "big.mbt");
  EXPECT_EQ(big.window.steps, 110);
  EXPECT_TRUE(big.window.closed);
}

TEST(MbtReader, BarAdjustmentsOutsideTheTableAreIgnored) {
  Loaded l = Load("T\r\n%PL500    1\r\n%PL2    -1\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\nO\r\nO\r\n");
  ASSERT_EQ(l.result, MbtLoad::Ok);
  // (2 rows + 0 pre-rows - 0 sum) div 4 + 2 entries
  EXPECT_EQ(l.score.BarAdjust.size(), 2u);
  Loaded h = Load("T\r\n%PL1    -30000\r\n%PL1    -2000000000\r\n%PL1    -30000\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\nO\r\n");
  ASSERT_EQ(h.result, MbtLoad::Ok);
  // A huge negative sum does not make a huge table.
  EXPECT_LE(h.score.BarAdjust.size(), 400000u);
  EXPECT_EQ(h.score.BarAdjust[1], -30000);
}

TEST(MbtReader, MultiByteRowLinesCountCharacters) {
  // "あ" is two bytes but one character: the O after it is column 2.
  Loaded l = Load(Header() + Utf8ToCp932("あO") + "\r\n");
  ASSERT_EQ(l.result, MbtLoad::Ok);
  EXPECT_EQ(ColumnsOf(l.score.RowNotes[1]), std::vector<int32_t>{2});
}

TEST(MbtReader, ArbitraryBytesNeverCrash) {
  std::string base = MbtBytes(SampleScore());
  uint32_t seed = 12345;
  auto rnd = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int i = 0; i < 400; ++i) {
    std::string b = base.substr(0, rnd() % (base.size() + 1));  // truncated
    int flips = rnd() % 8;
    for (int k = 0; k < flips && !b.empty(); ++k) b[rnd() % b.size()] = static_cast<char>(rnd());
    Loaded l = Load(b);
    if (l.result == MbtLoad::Ok) {
      for (int r = 1; r <= l.score.RowCount; ++r)
        ForEachNote(l.score.RowNotes[r], [&](int, int32_t c) {
          EXPECT_GE(c, 1);
          EXPECT_LE(c, l.score.ColumnCount);
        });
      EXPECT_EQ(static_cast<int32_t>(l.score.RowNotes.size()), l.score.RowCount + 1);
    }
  }
}

}  // namespace
}  // namespace poronka
