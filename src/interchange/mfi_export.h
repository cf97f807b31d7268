// Writes the score as an MFi ringtone ("melo", extension MLD): Ver1 with one
// track of four voices when no row holds more than four notes, else Ver2
// with up to four tracks of four voices.
#pragma once

#include <string>

#include "core/messages.h"
#include "core/score.h"
#include "settings/sound_settings.h"

namespace poronka {

inline constexpr char kMfiVer1Saved[] = "４和音対応ファイル(MFi Ver1)\r\nで保存しました";
inline constexpr char kMfiVer2Saved[] = "１６和音対応ファイル(MFi Ver2)\r\nで保存しました";
inline constexpr char kMfiRangeAdjusted[] = "\r\nなお、範囲外の音程を調整しました";
inline constexpr char kMfiSaveError[] =
    "ファイルの保存中にエラーが起こりました。\r\nファイルが破損している可能性があります。";

struct MfiFile {
  std::string bytes;
  bool version2 = false;
  bool rangeAdjusted = false;  // some note lay outside the writable range
};

// The whole file. `date` is the eight digits of the "date" block
// (yyyymmdd); an empty one means today.
MfiFile BuildMfi(const Score& s, const SoundSettings& settings, const std::string& date = "");

// Writes BuildMfi to s.FileName (temporary file, then rename) and shows the
// success message (with the range remark when notes were moved), or
// kMfiSaveError leaving any previous file as it was.
bool SaveMfi(const Score& s, const SoundSettings& settings, Messages& messages,
             const std::string& date = "");

// Today's date as "yyyymmdd" (local time).
std::string TodayYyyymmdd();

}  // namespace poronka
