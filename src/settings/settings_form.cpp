#include "settings/settings_form.h"

#include <algorithm>

#include "settings/gs_variations.h"

namespace poronka {

void FillVariationList(SettingsControls& c, int program) {
  c.bankEntries.clear();
  std::vector<std::string_view> list = VariationsOf(program);
  if (list.empty()) {
    c.bankEnabled = false;
    c.bankIndex = -1;
    return;
  }
  for (std::string_view e : list) c.bankEntries.emplace_back(e);
  c.bankEnabled = true;
  c.bankIndex = 0;
}

OkOutcome ApplyOk(const SettingsControls& c, SoundSettings& s) {
  OkOutcome out;
  s.PendingKeyShift = c.keyShift;
  if (s.PendingKeyShift != s.KeyShift) {
    out.keyShiftChanged = true;
    out.keyShift = s.PendingKeyShift;
    out.pitchText = KeyShiftText(s.PendingKeyShift);
    s.KeyShift = s.PendingKeyShift;
  }
  int bank = c.bankEntries.empty() ? -1 : c.bankIndex;
  if (c.programIndex != s.Program || bank != s.BankIndex) {
    out.soundChanged = true;
    out.sound = SoundLabelOf(c.programIndex, bank);
    s.Program = c.programIndex;
    s.BankIndex = bank;
  }
  s.Pan = c.pan;
  s.Reverb = c.reverb;
  s.Chorus = c.chorus;
  s.Modulation = c.modulation;
  s.StopDelayRows = c.stopDelay;
  s.RepeatSetting = c.repeat;
  s.NoMidConversion = c.noMidConversion;
  s.ChannelEnabled = c.channels;
  s.SmfPitchAdjust = c.smfPitchAdjust;
  return out;
}

void ApplyCancel(SettingsControls& c, SoundSettings& s) {
  s.PendingKeyShift = s.KeyShift;
  c.keyShift = s.KeyShift;
  c.programIndex = s.Program;
  FillVariationList(c, s.Program);
  if (c.bankIndex >= 0 && s.BankIndex >= 0 && s.BankIndex < static_cast<int>(c.bankEntries.size()))
    c.bankIndex = s.BankIndex;
  c.pan = s.Pan;
  c.reverb = s.Reverb;
  c.chorus = s.Chorus;
  c.modulation = s.Modulation;
  c.stopDelay = s.StopDelayRows;
  c.repeat = s.RepeatSetting;
  c.noMidConversion = s.NoMidConversion;
  c.channels = s.ChannelEnabled;
  c.smfPitchAdjust = s.SmfPitchAdjust;
}

SettingsControls ControlsFor(const SoundSettings& s) {
  SettingsControls c;
  SoundSettings copy = s;
  ApplyCancel(c, copy);
  return c;
}

}  // namespace poronka
