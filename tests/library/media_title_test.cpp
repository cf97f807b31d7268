#include "library/media_title.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <random>

#include "core/text_codec.h"
#include "support/test_support.h"

namespace poronka {
namespace {

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
std::string Le16(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Le64(uint64_t v) {
  std::string s;
  for (int i = 0; i < 8; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
std::string Utf16Le(const std::u16string& t) {
  std::string s;
  for (char16_t u : t) s += Le16(u);
  return s;
}
std::string Utf16Be(const std::u16string& t) {
  std::string s;
  for (char16_t u : t) {
    s += static_cast<char>(u >> 8);
    s += static_cast<char>(u & 0xFF);
  }
  return s;
}

// An ID3v2.3 frame: ID, plain size, two flag bytes, content.
std::string Frame(const std::string& id, const std::string& content) {
  return id + Be32(static_cast<uint32_t>(content.size())) + std::string(2, '\0') + content;
}
std::string TextFrame(const std::string& id, uint8_t encoding, const std::string& bytes) {
  return Frame(id, std::string(1, static_cast<char>(encoding)) + bytes);
}
std::string Id3v2(const std::string& frames, char version = 3) {
  return std::string("ID3") + version + std::string(6, '\0') + frames + std::string(64, '\0');
}
std::string Id3v1(const std::string& title, const std::string& artist) {
  std::string tag = "TAG" + title;
  tag.resize(33, '\0');
  tag += artist;
  tag.resize(128, '\0');
  return tag;
}
std::string Audio(size_t n) { return std::string(n, '\xAA'); }

MediaTitle Mp3(const std::string& bytes, bool longForm) {
  BufferByteSource src(bytes);
  return ReadMp3Title(src, longForm);
}

TEST(Mp3TitleTest, ArtistBeforeTitleInBothForms) {
  std::string file = Id3v2(TextFrame("TPE1", 0, Utf8ToCp932("歌手")) + TextFrame("TIT2", 0, Utf8ToCp932("曲名"))) +
                     Audio(300);
  MediaTitle l = Mp3(file, true);
  EXPECT_EQ(l.title, "曲名");
  EXPECT_EQ(l.artist, "歌手");
  MediaTitle s = Mp3(file, false);
  EXPECT_EQ(s.title, "曲名");
  EXPECT_EQ(s.artist, "");
}

TEST(Mp3TitleTest, ShortFormStopsAtTheTitle) {
  std::string file = Id3v2(TextFrame("TIT2", 0, "T") + TextFrame("TPE1", 0, "A")) + Audio(200);
  EXPECT_EQ(Mp3(file, false).artist, "");
  EXPECT_EQ(Mp3(file, true).artist, "A");
}

TEST(Mp3TitleTest, OtherFramesAreSkippedAndOnlyTwelveAreRead) {
  std::string frames;
  for (int i = 0; i < 11; ++i) frames += Frame("TALB", "xxxx");
  std::string file = Id3v2(frames + TextFrame("TIT2", 0, "twelfth") + TextFrame("TPE1", 0, "thirteenth")) + Audio(10);
  MediaTitle t = Mp3(file, true);
  EXPECT_EQ(t.title, "twelfth");
  EXPECT_EQ(t.artist, "");
}

TEST(Mp3TitleTest, TextEncodings) {
  struct Case {
    uint8_t encoding;
    std::string bytes;
    std::string expected;
  } cases[] = {
      {0, Utf8ToCp932("ｵﾙｺﾞｰﾙ"), "ｵﾙｺﾞｰﾙ"},
      {1, "\xFF\xFE" + Utf16Le(u"星に願いを") + std::string(2, '\0'), "星に願いを"},
      {1, "\xFE\xFF" + Utf16Be(u"星"), "星"},  // big-endian mark
      {1, "\xFF\xFE" + Utf16Le(u"ab") + "c", "abc"},  // odd count: completed with a 0 byte
      {2, Utf16Be(u"月の光"), "月の光"},
      {3, "\xEF\xBB\xBF" "子守歌", "子守歌"},
      {3, "子守歌", "子守歌"},
      {4, "anything", ""},
      {0, std::string("abc\0def", 7), "abc"},
  };
  for (const auto& c : cases) {
    std::string file = Id3v2(TextFrame("TIT2", c.encoding, c.bytes)) + Audio(200);
    EXPECT_EQ(Mp3(file, false).title, c.expected) << int(c.encoding) << " " << c.bytes;
  }
}

TEST(Mp3TitleTest, LongTextIsReadWhole) {
  std::string text(1000, 'x');
  std::string file = Id3v2(TextFrame("TIT2", 0, text)) + Audio(200);
  EXPECT_EQ(Mp3(file, false).title, text);
}

TEST(Mp3TitleTest, Version4UsesSevenBitSizes) {
  // A 200-byte frame before the title: its size is 0x01 0x48 in seven-bit bytes.
  std::string pic = std::string(1, '\0') + std::string(199, 'p');
  std::string big = std::string("APIC") + std::string("\0\0\x01\x48", 4) + std::string(2, '\0') + pic;
  std::string file = Id3v2(big + TextFrame("TIT2", 3, "v4"), 4) + Audio(200);
  EXPECT_EQ(Mp3(file, false).title, "v4");
}

TEST(Mp3TitleTest, ExtendedHeaderIsSkipped) {
  // Version 3: a 4-byte size that does not count itself; version 4: a
  // seven-bit size that does.
  std::string v3 = std::string("ID3\x03\x00\x40", 6) + std::string(4, '\0') + Be32(6) + std::string(6, '\0') +
                   TextFrame("TIT2", 0, "three") + Audio(200);
  EXPECT_EQ(Mp3(v3, false).title, "three");
  std::string v4 = std::string("ID3\x04\x00\x40", 6) + std::string(4, '\0') + std::string("\0\0\0\x06\x01\x00", 6) +
                   TextFrame("TIT2", 0, "four") + Audio(200);
  EXPECT_EQ(Mp3(v4, false).title, "four");
  // A size past the end of the file: no frames.
  std::string bad = std::string("ID3\x03\x00\x40", 6) + std::string(4, '\0') + Be32(0xFFFFFFF0) + Audio(20);
  EXPECT_EQ(Mp3(bad, false).title, "");
}

// Unsynchronisation as a writer applies it: a zero byte after every FF.
std::string Unsynchronise(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    out += c;
    if (c == '\xFF') out += '\0';
  }
  return out;
}

TEST(Mp3TitleTest, UnsynchronisationIsUndoneBeforeFramesAreRead) {
  // UTF-16 with its byte-order mark FF FE; "ÿ" is FF 00 itself.
  const std::string title = TextFrame("TIT2", 1, "\xFF\xFE" + Utf16Le(u"題ÿ"));
  const std::string artist = TextFrame("TPE1", 0, "A\xFF");
  // Version 3: the whole tag, frame headers and sizes included.
  std::string v3 = std::string("ID3\x03\x00\x80", 6) + std::string(4, '\0') + Unsynchronise(artist + title);
  EXPECT_EQ(Mp3(v3 + Audio(200), true).title, "題ÿ");
  // Version 4: per frame, by the tag's flag or the frame's own; sizes count
  // the stored bytes.
  auto v4Frame = [](const std::string& id, const std::string& content, char flags) {
    const std::string stored = Unsynchronise(content);
    const auto n = static_cast<uint32_t>(stored.size());
    return id + std::string{static_cast<char>(n >> 21 & 0x7F), static_cast<char>(n >> 14 & 0x7F),
                            static_cast<char>(n >> 7 & 0x7F), static_cast<char>(n & 0x7F), '\0', flags} + stored;
  };
  const std::string content = "\x01\xFF\xFE" + Utf16Le(u"題ÿ");
  EXPECT_EQ(Mp3(Id3v2(v4Frame("TPE1", "\0A\xFF", '\x02') + v4Frame("TIT2", content, '\x02'), 4), true).title,
            "題ÿ");
  std::string tagFlag = std::string("ID3\x04\x00\x80", 6) + std::string(4, '\0') + v4Frame("TIT2", content, '\0');
  EXPECT_EQ(Mp3(tagFlag + Audio(20), false).title, "題ÿ");
}

TEST(Mp3TitleTest, Id3v1Fallback) {
  std::string v1 = Id3v1(Utf8ToCp932("古い題"), "Someone");
  EXPECT_EQ(Mp3(Audio(500) + v1, false).title, "古い題");
  MediaTitle l = Mp3(Audio(500) + v1, false);
  EXPECT_EQ(l.artist, "Someone");  // also in the short form
  // An ID3v2 tag without a title falls back too; an empty TIT2 counts as empty.
  std::string both = Id3v2(TextFrame("TIT2", 0, std::string(3, '\0'))) + Audio(300) + v1;
  EXPECT_EQ(Mp3(both, false).title, "古い題");
  // Neither tag: no title.
  EXPECT_EQ(Mp3(Audio(500), true).title, "");
  EXPECT_EQ(Mp3("", true).title, "");
}

TEST(Mp3TitleTest, FrameRunningPastTheEndKeepsWhatWasFound) {
  std::string file = Id3v2(TextFrame("TPE1", 0, "A")) ;
  file.resize(file.size() - 64);  // drop padding
  file += "TIT2" + Be32(5000) + std::string(2, '\0') + "\0short";
  MediaTitle t = Mp3(file, true);
  EXPECT_EQ(t.title, "");
  EXPECT_EQ(t.artist, "A");
}

TEST(Mp3TitleTest, TruncatedAndHostileInputNeverReadsPastTheEnd) {
  std::string file = Id3v2(TextFrame("TPE1", 1, "\xFF\xFE" + Utf16Le(u"歌手")) +
                           TextFrame("TIT2", 3, "\xEF\xBB\xBF" "曲")) +
                     Audio(100) + Id3v1("t", "a");
  for (size_t n = 0; n <= file.size(); ++n) {
    std::string cut = file.substr(0, n);
    Mp3(cut, true);
    Mp3(cut, false);
  }
  std::mt19937 rng(7);
  for (int i = 0; i < 2000; ++i) {
    std::string junk = "ID3\x03" + std::string(6, '\0');
    size_t len = rng() % 200;
    for (size_t k = 0; k < len; ++k) junk += static_cast<char>(rng());
    // Frame IDs worth acting on now and then.
    if (i % 3 == 0 && junk.size() > 20) junk.replace(10, 4, (i % 2) ? "TIT2" : "TPE1");
    Mp3(junk, true);
  }
}

// A WMA header: header object, one other object, the content description.
std::string Wma(const std::u16string& title, const std::u16string& author, size_t fillerSize = 50) {
  std::string titleBytes = Utf16Le(title + u'\0');
  std::string authorBytes = Utf16Le(author + u'\0');
  std::string cd = std::string("\x33\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
  std::string cdBody = Le16(static_cast<uint16_t>(titleBytes.size())) + Le16(static_cast<uint16_t>(authorBytes.size())) +
                       Le16(0) + Le16(0) + Le16(0) + titleBytes + authorBytes;
  cd += Le64(24 + cdBody.size()) + cdBody;
  std::string filler = std::string("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);
  filler += Le64(24 + fillerSize) + std::string(fillerSize, 'f');
  std::string objects = filler + cd;
  std::string header = std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
  header += Le64(30 + objects.size()) + std::string("\x02\x00\x00\x00\x01\x02", 6);
  return header + objects + std::string(100, 'd');
}

MediaTitle WmaOf(const std::string& bytes, bool longForm) {
  BufferByteSource src(bytes);
  return ReadWmaTitle(src, longForm);
}

TEST(WmaTitleTest, TitleAndAuthor) {
  std::string file = Wma(u"冬の歌", u"作者");
  MediaTitle l = WmaOf(file, true);
  EXPECT_EQ(l.title, "冬の歌");
  EXPECT_EQ(l.artist, "作者");
  MediaTitle s = WmaOf(file, false);
  EXPECT_EQ(s.title, "冬の歌");
  EXPECT_EQ(s.artist, "");
  EXPECT_EQ(WmaOf(Wma(u"t", u""), true).artist, "");
}

TEST(WmaTitleTest, HeaderObjectsOf64KilobytesAndMore) {
  std::string file = Wma(u"big", u"a", 70000);
  EXPECT_EQ(WmaOf(file, true).title, "big");
  // From a file, read through its buffer: the objects and the title cross
  // the buffer's block boundaries.
  testing::TempDir dir;
  for (size_t filler : {65400u, 65500u, 131000u, 200000u}) {
    testing::WriteBytes(dir.File("big.wma"), Wma(std::u16string(120, u'題'), u"a", filler));
    EXPECT_EQ(ReadTitle(dir.File("big.wma"), false), Utf16ToUtf8(std::u16string(120, u'題'))) << filler;
  }
}

TEST(WmaTitleTest, TitleIsCutAt256Bytes) {
  std::u16string longTitle(300, u'x');
  MediaTitle t = WmaOf(Wma(longTitle, u"a"), true);
  EXPECT_EQ(t.title, std::string(127, 'x'));
}

TEST(WmaTitleTest, TruncatedAndHostileInput) {
  std::string file = Wma(u"冬の歌", u"作者");
  for (size_t n = 0; n <= file.size(); ++n) WmaOf(file.substr(0, n), true);
  // An object smaller than 24 bytes ends the walk.
  std::string bad = file;
  bad.replace(30 + 16, 8, Le64(3));
  EXPECT_EQ(WmaOf(bad, true).title, "");
  // Huge sizes never wrap around.
  bad.replace(30 + 16, 8, Le64(~uint64_t{0} - 5));
  EXPECT_EQ(WmaOf(bad, true).title, "");
  std::mt19937 rng(11);
  for (int i = 0; i < 2000; ++i) {
    std::string junk = file;
    for (int k = 0; k < 4; ++k) junk[rng() % junk.size()] = static_cast<char>(rng());
    WmaOf(junk, true);
  }
}

std::string Midi(const std::string& metaAt22) {
  std::string head = std::string("MThd") + Be32(6) + std::string("\0\x01\0\x01\x01\xE0", 6) + "MTrk" + Be32(100);
  // head is 22 bytes; the first event's delta time sits at 22.
  return head + std::string(1, '\0') + metaAt22 + std::string("\x00\xFF\x2F\x00", 4);
}

MediaTitle MidiOf(const std::string& bytes) {
  BufferByteSource src(bytes);
  return ReadMidiTitle(src);
}

TEST(MidiTitleTest, FirstNameOrTextEvent) {
  std::string name = Utf8ToCp932(" 　エリーゼのために\t ");
  std::string file = Midi(std::string("\xFF\x03", 2) + static_cast<char>(name.size()) + name);
  EXPECT_EQ(MidiOf(file).title, "　エリーゼのために");  // full-width blank stays
  std::string text = Midi(std::string("\xFF\x01\x05", 3) + "hello" + std::string("\x00\xFF\x03\x02", 4) + "no");
  EXPECT_EQ(MidiOf(text).title, "hello");
  // No event within the first 100 bytes.
  EXPECT_EQ(MidiOf(Midi(std::string("\xFF\x58\x04\x04\x02\x18\x08", 7))).title, "");
}

TEST(MidiTitleTest, LengthIsVariableAndCappedAt128) {
  std::string body(200, 'n');
  std::string file = Midi(std::string("\xFF\x03\x81\x48", 4) + body);  // 200
  EXPECT_EQ(MidiOf(file).title, std::string(128, 'n'));
}

TEST(MidiTitleTest, ShortFilesHaveNoTitle) {
  EXPECT_EQ(MidiOf("").title, "");
  EXPECT_EQ(MidiOf(std::string(24, '\0') + "\xFF").title, "");
  std::string file = Midi(std::string("\xFF\x03\x10", 3) + "abc");
  for (size_t n = 0; n <= file.size(); ++n) MidiOf(file.substr(0, n));
  std::string cut = file.substr(0, 23 + 3) + "ab";
  EXPECT_EQ(MidiOf(cut).title, "ab");
  EXPECT_EQ(MidiOf(file.substr(0, 24)).title, "");
}

TEST(ReadTitleTest, ByPathKind) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("a.MP3"), Id3v2(TextFrame("TIT2", 0, "T") + TextFrame("TPE1", 0, "A")) + Audio(10));
  std::string artist = "old";
  EXPECT_EQ(ReadTitle(dir.File("a.MP3"), true, &artist), "T");
  EXPECT_EQ(artist, "A");
  EXPECT_EQ(ReadTitle(dir.File("a.MP3"), false, &artist), "T");
  EXPECT_EQ(artist, "");
  testing::WriteBytes(dir.File("a.ogg"), Id3v2(TextFrame("TIT2", 0, "T")));
  EXPECT_EQ(ReadTitle(dir.File("a.ogg"), true), "");
  EXPECT_EQ(ReadTitle(dir.File("gone.mp3"), true), "");
  EXPECT_EQ(ReadTitle(dir.File("gone.wma"), true), "");
  EXPECT_EQ(ReadTitle(dir.File("gone.mid"), true), kTitleErrorMarker);
  EXPECT_EQ(ReadTitle(dir.path() + "/folder.mid", false), kTitleErrorMarker);
  // Folders and pipes are unreadable files, whatever their names.
  for (const char* name : {"x.mid", "x.mp3", "x.wma"}) std::filesystem::create_directory(dir.File(name));
  ASSERT_EQ(::mkfifo(dir.File("p.mid").c_str(), 0600), 0);
  EXPECT_EQ(ReadTitle(dir.File("x.mid"), false), kTitleErrorMarker);
  EXPECT_EQ(ReadTitle(dir.File("p.mid"), false), kTitleErrorMarker);
  EXPECT_EQ(ReadTitle(dir.File("x.mp3"), false), "");
  EXPECT_EQ(ReadTitle(dir.File("x.wma"), false), "");
  testing::WriteBytes(dir.File("w.wma"), Wma(u"W", u"X"));
  EXPECT_EQ(ReadTitle(dir.File("w.wma"), true, &artist), "W");
  EXPECT_EQ(artist, "X");
}

}  // namespace
}  // namespace poronka
