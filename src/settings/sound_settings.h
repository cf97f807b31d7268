// The sound settings of the run: instrument, variation tone, pan, effects,
// key shift, stop delay, repeat count and the options of MIDI file
// conversion. One record for the whole run, replaced by the settings
// dialog's OK; nothing is stored between runs.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace poronka {

struct SoundSettings {
  int Program = 10;       // General MIDI program (10 = music box)
  int BankIndex = 0;      // position in the program's variation list; 0 = no bank select
  int Pan = 64;
  int Reverb = 40;
  int Chorus = 0;
  int Modulation = 0;
  int StopDelayRows = 0;  // 0: notes ring; n: released n rows after they sound
  int RepeatSetting = 1;  // how many times a song plays before the playlist moves on
  int KeyShift = 0;       // semitones
  int PendingKeyShift = 0;  // position of the key shift bar; becomes KeyShift at OK
  // MIDI channels (0..15) that the MIDI import takes; all but 10 (index 9).
  std::array<bool, 16> ChannelEnabled{true, true, true, true, true, true, true, true,
                                      true, false, true, true, true, true, true, true};
  bool NoMidConversion = false;
  bool SmfPitchAdjust = true;  // the import's pitch adjustment ("MID変換の音程調整")
};

// Bank number (MSB) of the variation tone chosen by BankIndex for a program:
// the first two characters of that entry of the variation list, or 0.
// Below 1 (capital tone or no list), or past the end of the list, gives 0.
int BankNumberOf(int program, int bankIndex);

// Label texts of the settings: pan "中央", "L" + (64 - pan) or "R" + (pan - 64);
// key shift "+n" above 0, else the plain number.
std::string PanText(int pan);
std::string KeyShiftText(int keyShift);

// What the player shows for the confirmed instrument: "ＧＭ音色" and the
// instrument name, or "ＧＳ音色" and the variation's name without its number.
struct SoundLabel {
  std::string kind;  // "ＧＭ音色" or "ＧＳ音色"
  std::string name;  // the instrument's or the variation's name
};
SoundLabel SoundLabelOf(int program, int bankIndex);

}  // namespace poronka
