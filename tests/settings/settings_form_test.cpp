#include <gtest/gtest.h>

#include "settings/settings_form.h"
#include "settings/sound_settings.h"

namespace poronka {
namespace {

TEST(SoundSettingsText, PanAndKeyShiftLabels) {
  EXPECT_EQ(PanText(0), "L64");
  EXPECT_EQ(PanText(63), "L1");
  EXPECT_EQ(PanText(64), "中央");
  EXPECT_EQ(PanText(127), "R63");
  EXPECT_EQ(KeyShiftText(-3), "-3");
  EXPECT_EQ(KeyShiftText(0), "0");
  EXPECT_EQ(KeyShiftText(3), "+3");
  EXPECT_EQ(KeyShiftText(24), "+24");
}

TEST(SoundSettingsText, SoundLabels) {
  EXPECT_EQ(SoundLabelOf(10, -1).kind, "ＧＭ音色");
  EXPECT_EQ(SoundLabelOf(10, -1).name, "オルゴール");
  SoundLabel ep = SoundLabelOf(4, 3);
  EXPECT_EQ(ep.kind, "ＧＳ音色");
  EXPECT_EQ(ep.name, "６０年代Ｅピアノ");
  // The capital tone counts as no variation, so the instrument's own name shows.
  EXPECT_EQ(SoundLabelOf(88, 0).kind, "ＧＭ音色");
  EXPECT_EQ(SoundLabelOf(88, 0).name, "ニューエイジ");
  EXPECT_EQ(SoundLabelOf(101, 2).name, "５０'S Ｓｃｉ-Ｆｉ");
}

TEST(SettingsForm, StartShowsDefaults) {
  SoundSettings s;
  SettingsControls c = ControlsFor(s);
  EXPECT_EQ(c.programIndex, 10);
  EXPECT_TRUE(c.bankEntries.empty());
  EXPECT_FALSE(c.bankEnabled);
  EXPECT_EQ(c.bankIndex, -1);
  EXPECT_EQ(c.pan, 64);
  EXPECT_EQ(c.reverb, 40);
  EXPECT_EQ(c.repeat, 1);
  EXPECT_FALSE(c.channels[9]);
  EXPECT_TRUE(c.channels[0]);
  EXPECT_TRUE(c.smfPitchAdjust);
}

TEST(SettingsForm, FillingTheVariationList) {
  SettingsControls c;
  FillVariationList(c, 48);
  ASSERT_EQ(c.bankEntries.size(), 8u);
  EXPECT_TRUE(c.bankEnabled);
  EXPECT_EQ(c.bankIndex, 0);
  EXPECT_EQ(c.bankEntries[0], "00ストリングス");
  FillVariationList(c, 10);
  EXPECT_TRUE(c.bankEntries.empty());
  EXPECT_FALSE(c.bankEnabled);
  EXPECT_EQ(c.bankIndex, -1);
}

TEST(SettingsForm, FirstOkWithoutChangesRewritesTheSoundLabel) {
  SoundSettings s;
  SettingsControls c = ControlsFor(s);
  OkOutcome o = ApplyOk(c, s);
  EXPECT_FALSE(o.keyShiftChanged);
  EXPECT_TRUE(o.soundChanged);
  EXPECT_EQ(o.sound.kind, "ＧＭ音色");
  EXPECT_EQ(o.sound.name, "オルゴール");
  EXPECT_EQ(s.BankIndex, -1);
  EXPECT_EQ(s.Program, 10);
  // A second OK changes nothing on the player.
  o = ApplyOk(c, s);
  EXPECT_FALSE(o.soundChanged);
}

TEST(SettingsForm, OkCopiesEveryControl) {
  SoundSettings s;
  SettingsControls c = ControlsFor(s);
  c.programIndex = 4;
  FillVariationList(c, 4);
  c.bankIndex = 3;
  c.keyShift = -3;
  c.pan = 0;
  c.reverb = 100;
  c.chorus = 5;
  c.modulation = 6;
  c.stopDelay = 2;
  c.repeat = 7;
  c.noMidConversion = true;
  c.channels[0] = false;
  c.channels[9] = true;
  c.smfPitchAdjust = false;
  OkOutcome o = ApplyOk(c, s);
  EXPECT_TRUE(o.keyShiftChanged);
  EXPECT_EQ(o.keyShift, -3);
  EXPECT_EQ(o.pitchText, "-3");
  EXPECT_TRUE(o.soundChanged);
  EXPECT_EQ(o.sound.kind, "ＧＳ音色");
  EXPECT_EQ(o.sound.name, "６０年代Ｅピアノ");
  EXPECT_EQ(s.Program, 4);
  EXPECT_EQ(s.BankIndex, 3);
  EXPECT_EQ(BankNumberOf(s.Program, s.BankIndex), 24);
  EXPECT_EQ(s.KeyShift, -3);
  EXPECT_EQ(s.PendingKeyShift, -3);
  EXPECT_EQ(s.Pan, 0);
  EXPECT_EQ(s.Reverb, 100);
  EXPECT_EQ(s.Chorus, 5);
  EXPECT_EQ(s.Modulation, 6);
  EXPECT_EQ(s.StopDelayRows, 2);
  EXPECT_EQ(s.RepeatSetting, 7);
  EXPECT_TRUE(s.NoMidConversion);
  EXPECT_FALSE(s.ChannelEnabled[0]);
  EXPECT_TRUE(s.ChannelEnabled[9]);
  EXPECT_FALSE(s.SmfPitchAdjust);
}

TEST(SettingsForm, ProgramWithVariationsButCapitalToneStaysGm) {
  SoundSettings s;
  SettingsControls c = ControlsFor(s);
  c.programIndex = 48;
  FillVariationList(c, 48);
  OkOutcome o = ApplyOk(c, s);
  EXPECT_EQ(o.sound.kind, "ＧＭ音色");
  EXPECT_EQ(o.sound.name, "ストリングス");
  EXPECT_EQ(s.BankIndex, 0);
  EXPECT_EQ(BankNumberOf(s.Program, s.BankIndex), 0);
}

TEST(SettingsForm, CancelAfterMovingEverythingRestoresControlsAndSettings) {
  SoundSettings s;
  SettingsControls c = ControlsFor(s);
  // Confirm a variation first, so Cancel has a list to restore.
  c.programIndex = 4;
  FillVariationList(c, 4);
  c.bankIndex = 3;
  c.keyShift = 5;
  ApplyOk(c, s);
  const SoundSettings confirmed = s;
  const SettingsControls before = c;

  c.programIndex = 48;  // only browsed
  FillVariationList(c, 48);
  c.bankIndex = 6;
  c.keyShift = -20;
  s.PendingKeyShift = -20;
  c.pan = 1;
  c.reverb = 2;
  c.chorus = 3;
  c.modulation = 4;
  c.stopDelay = 5;
  c.repeat = 10;
  c.noMidConversion = true;
  c.smfPitchAdjust = false;
  c.channels.fill(false);
  ApplyCancel(c, s);

  EXPECT_EQ(c.programIndex, before.programIndex);
  EXPECT_EQ(c.bankEntries, before.bankEntries);
  EXPECT_EQ(c.bankEnabled, before.bankEnabled);
  EXPECT_EQ(c.bankIndex, 3);
  EXPECT_EQ(c.keyShift, 5);
  EXPECT_EQ(c.pan, before.pan);
  EXPECT_EQ(c.reverb, before.reverb);
  EXPECT_EQ(c.chorus, before.chorus);
  EXPECT_EQ(c.modulation, before.modulation);
  EXPECT_EQ(c.stopDelay, before.stopDelay);
  EXPECT_EQ(c.repeat, before.repeat);
  EXPECT_EQ(c.noMidConversion, before.noMidConversion);
  EXPECT_EQ(c.smfPitchAdjust, before.smfPitchAdjust);
  EXPECT_EQ(c.channels, before.channels);
  EXPECT_EQ(s.PendingKeyShift, 5);
  EXPECT_EQ(s.Program, confirmed.Program);
  EXPECT_EQ(s.BankIndex, confirmed.BankIndex);
  EXPECT_EQ(s.KeyShift, confirmed.KeyShift);
  EXPECT_EQ(s.Pan, confirmed.Pan);
  EXPECT_EQ(s.ChannelEnabled, confirmed.ChannelEnabled);
  EXPECT_EQ(s.SmfPitchAdjust, confirmed.SmfPitchAdjust);
  // OK right after Cancel changes nothing on the player.
  OkOutcome o = ApplyOk(c, s);
  EXPECT_FALSE(o.keyShiftChanged);
  EXPECT_FALSE(o.soundChanged);
}

}  // namespace
}  // namespace poronka
