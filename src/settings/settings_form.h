// The state of the sound settings dialog's controls and what its OK and
// Cancel buttons do with it, apart from any widget: the dialog copies its
// widgets into a SettingsControls, calls these functions and shows the result.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "settings/sound_settings.h"

namespace poronka {

struct SettingsControls {
  int programIndex = kDefaultProgramIndex;     // the instrument list's choice
  std::vector<std::string> bankEntries;        // the variation list's entries
  bool bankEnabled = false;
  int bankIndex = -1;                          // -1: nothing selected
  int keyShift = 0;                            // semitones, -24..24
  int reverb = 40;                             // 0..127
  int chorus = 0;                              // 0..127
  int modulation = 0;                          // 0..127
  int pan = 64;                                // 0..127, 64 the centre
  int repeat = 1;                              // plays of a song, 1..10
  int stopDelay = 0;                           // rows before silence, 0..5
  bool noMidConversion = false;                // "ＭＩＤ変換なし"
  bool smfPitchAdjust = true;                  // "MID変換の音程調整"
  std::array<bool, 16> channels{true, true, true, true, true, true, true, true,
                                true, false, true, true, true, true, true, true};

  static constexpr int kDefaultProgramIndex = 10;
};

// Ranges of the controls.
constexpr int kKeyShiftMin = -24, kKeyShiftMax = 24;
constexpr int kLevelMin = 0, kLevelMax = 127;
constexpr int kRepeatMin = 1, kRepeatMax = 10;
constexpr int kStopDelayMin = 0, kStopDelayMax = 5;

// Rebuilds the variation list for a program: filled, enabled and its first
// entry selected when the program has variations, else empty and disabled.
void FillVariationList(SettingsControls& c, int program);

// The group of channel boxes and the pitch adjustment box are usable only
// while "ＭＩＤ変換なし" is clear.
inline bool ConversionOptionsEnabled(const SettingsControls& c) { return !c.noMidConversion; }

// What OK changed in the player's display.
struct OkOutcome {
  bool keyShiftChanged = false;
  int keyShift = 0;
  std::string pitchText;  // the player's pitch label, when keyShiftChanged
  bool soundChanged = false;
  SoundLabel sound;       // the player's tone labels, when soundChanged
};

// OK: copies the controls into the settings in the dialog's order.
OkOutcome ApplyOk(const SettingsControls& c, SoundSettings& s);

// Cancel: puts the confirmed settings back into every control (the
// variation list is rebuilt for the confirmed program), the pitch
// adjustment box included, so Cancel never changes what a conversion does.
void ApplyCancel(SettingsControls& c, SoundSettings& s);

// Controls showing the given settings (start-up).
SettingsControls ControlsFor(const SoundSettings& s);

}  // namespace poronka
