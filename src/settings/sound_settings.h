// The sound settings of the run: instrument, variation tone, pan, effects,
// key shift, stop delay, repeat count and the options of MIDI file
// conversion. One record for the whole run, replaced by the settings
// dialog's OK; nothing is stored between runs.
#pragma once

#include <array>
#include <cstdint>

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
  // MIDI channels (0..15) that the MIDI import takes; all but 10 (index 9).
  std::array<bool, 16> ChannelEnabled{true, true, true, true, true, true, true, true,
                                      true, false, true, true, true, true, true, true};
  bool NoMidConversion = false;
  bool SmfPitchAdjust = true;  // the import's pitch adjustment (cbSMFpt)
};

// Bank number (MSB) of the variation tone chosen by BankIndex for a program:
// the first two characters of that entry of the variation list, or 0.
int BankNumberOf(int program, int bankIndex);

}  // namespace poronka
