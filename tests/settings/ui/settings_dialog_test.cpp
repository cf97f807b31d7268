#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QToolButton>

#include "settings/settings_form.h"
#include "settings/ui/settings_dialog.h"

namespace poronka {
namespace {

// Picks an instrument the way a user does.
void PickProgram(SettingsDialog& d, int program) {
  d.cmbPrgChan->setCurrentIndex(program);
  emit d.cmbPrgChan->activated(program);
}

struct Snapshot {
  SettingsControls controls;
  QStringList labels;
  bool groupEnabled, pitchAdjustEnabled;
};

Snapshot Take(SettingsDialog& d) {
  return {d.Controls(),
          {d.lblPKey->text(), d.lblReverb->text(), d.lblChorus->text(), d.lblModul->text(),
           d.lblPan->text(), d.lblRept->text(), d.lblStopDel->text(), d.cmbPrgChan->currentText(),
           d.cmbBnkChan->currentText()},
          d.GroupBox1->isEnabled(),
          d.cbSMFpt->isEnabled()};
}

void ExpectSame(const Snapshot& a, const Snapshot& b) {
  EXPECT_EQ(a.controls.programIndex, b.controls.programIndex);
  EXPECT_EQ(a.controls.bankEntries, b.controls.bankEntries);
  EXPECT_EQ(a.controls.bankEnabled, b.controls.bankEnabled);
  EXPECT_EQ(a.controls.bankIndex, b.controls.bankIndex);
  EXPECT_EQ(a.controls.keyShift, b.controls.keyShift);
  EXPECT_EQ(a.controls.reverb, b.controls.reverb);
  EXPECT_EQ(a.controls.chorus, b.controls.chorus);
  EXPECT_EQ(a.controls.modulation, b.controls.modulation);
  EXPECT_EQ(a.controls.pan, b.controls.pan);
  EXPECT_EQ(a.controls.repeat, b.controls.repeat);
  EXPECT_EQ(a.controls.stopDelay, b.controls.stopDelay);
  EXPECT_EQ(a.controls.noMidConversion, b.controls.noMidConversion);
  EXPECT_EQ(a.controls.smfPitchAdjust, b.controls.smfPitchAdjust);
  EXPECT_EQ(a.controls.channels, b.controls.channels);
  EXPECT_EQ(a.labels, b.labels);
  EXPECT_EQ(a.groupEnabled, b.groupEnabled);
  EXPECT_EQ(a.pitchAdjustEnabled, b.pitchAdjustEnabled);
}

bool SameSettings(const SoundSettings& a, const SoundSettings& b) {
  return a.Program == b.Program && a.BankIndex == b.BankIndex && a.Pan == b.Pan &&
         a.Reverb == b.Reverb && a.Chorus == b.Chorus && a.Modulation == b.Modulation &&
         a.StopDelayRows == b.StopDelayRows && a.RepeatSetting == b.RepeatSetting &&
         a.KeyShift == b.KeyShift && a.PendingKeyShift == b.PendingKeyShift &&
         a.ChannelEnabled == b.ChannelEnabled && a.NoMidConversion == b.NoMidConversion &&
         a.SmfPitchAdjust == b.SmfPitchAdjust;
}

TEST(SettingsDialog, CreationShowsTheDefaults) {
  SoundSettings s;
  s.Pan = 3;  // creation sets the defaults
  SettingsDialog d(s);
  EXPECT_EQ(d.windowTitle(), QStringLiteral("各種設定"));
  EXPECT_EQ(s.Pan, 64);
  EXPECT_EQ(d.cmbPrgChan->count(), 115);
  EXPECT_EQ(d.cmbPrgChan->currentText(), QStringLiteral("オルゴール"));
  EXPECT_EQ(d.cmbBnkChan->count(), 0);
  EXPECT_FALSE(d.cmbBnkChan->isEnabled());
  EXPECT_EQ(d.lblPKey->text(), "0");
  EXPECT_EQ(d.lblReverb->text(), "40");
  EXPECT_EQ(d.lblPan->text(), QStringLiteral("中央"));
  EXPECT_EQ(d.lblRept->text(), "1");
  EXPECT_EQ(d.lblStopDel->text(), "0");
  EXPECT_EQ(d.HScrPich->minimum(), -24);
  EXPECT_EQ(d.HScrPich->maximum(), 24);
  EXPECT_EQ(d.HScrPich->tickInterval(), 3);
  EXPECT_EQ(d.HScrRev->tickInterval(), 8);
  EXPECT_FALSE(d.Chanel[9]->isChecked());
  EXPECT_EQ(d.Chanel[9]->text(), "10Ch");
  EXPECT_EQ(d.Chanel[9]->palette().color(QPalette::Window), QColor(224, 192, 192));
  EXPECT_TRUE(d.Chanel[0]->isChecked());
  EXPECT_FALSE(d.cbMID->isChecked());
  EXPECT_TRUE(d.cbSMFpt->isChecked());
  EXPECT_EQ(d.cmSetOK->text(), QStringLiteral("Ｏ Ｋ"));
  EXPECT_EQ(d.cmSetCan->text(), QStringLiteral("キャンセル"));
  EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST(SettingsDialog, FixedSizeWithNothingToMaximise) {
  SoundSettings s;
  SettingsDialog d(s);
  d.show();
  EXPECT_EQ(d.minimumSize(), d.maximumSize());
  EXPECT_EQ(d.size(), d.minimumSize());
  EXPECT_FALSE(d.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST(SettingsDialog, LabelsFollowTheControls) {
  SoundSettings s;
  SettingsDialog d(s);
  d.HScrPan->setValue(0);
  EXPECT_EQ(d.lblPan->text(), "L64");
  d.HScrPan->setValue(127);
  EXPECT_EQ(d.lblPan->text(), "R63");
  d.HScrPich->setValue(-3);
  EXPECT_EQ(d.lblPKey->text(), "-3");
  EXPECT_EQ(s.PendingKeyShift, -3);
  EXPECT_EQ(s.KeyShift, 0);
  d.HScrPich->setValue(3);
  EXPECT_EQ(d.lblPKey->text(), "+3");
  d.VScrRept->upButton()->click();
  d.VScrRept->upButton()->click();
  EXPECT_EQ(d.lblRept->text(), "3");
  for (int i = 0; i < 12; ++i) d.VScrRept->upButton()->click();
  EXPECT_EQ(d.lblRept->text(), "10");
  d.VScrStop->downButton()->click();
  EXPECT_EQ(d.lblStopDel->text(), "0");
}

TEST(SettingsDialog, OkWithAVariationTone) {
  SoundSettings s;
  SettingsDialog d(s);
  QSignalSpy sound(&d, &SettingsDialog::soundLabelChanged);
  QSignalSpy key(&d, &SettingsDialog::keyShiftConfirmed);
  QSignalSpy confirmed(&d, &SettingsDialog::confirmed);
  PickProgram(d, 4);
  ASSERT_EQ(d.cmbBnkChan->count(), 6);
  EXPECT_TRUE(d.cmbBnkChan->isEnabled());
  EXPECT_EQ(d.cmbBnkChan->currentIndex(), 0);
  d.cmbBnkChan->setCurrentIndex(3);
  EXPECT_EQ(d.cmbBnkChan->currentText(), QStringLiteral("24６０年代Ｅピアノ"));
  d.HScrPich->setValue(-3);
  d.cmSetOK->click();
  ASSERT_EQ(sound.count(), 1);
  EXPECT_EQ(sound[0][0].toString(), QStringLiteral("ＧＳ音色"));
  EXPECT_EQ(sound[0][1].toString(), QStringLiteral("６０年代Ｅピアノ"));
  ASSERT_EQ(key.count(), 1);
  EXPECT_EQ(key[0][0].toInt(), -3);
  EXPECT_EQ(key[0][1].toString(), "-3");
  EXPECT_EQ(confirmed.count(), 1);
  EXPECT_EQ(s.Program, 4);
  EXPECT_EQ(s.BankIndex, 3);
  EXPECT_EQ(BankNumberOf(s.Program, s.BankIndex), 24);
  EXPECT_EQ(s.KeyShift, -3);
  EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST(SettingsDialog, FirstOkAfterStartRewritesTheSoundLabel) {
  SoundSettings s;
  SettingsDialog d(s);
  QSignalSpy sound(&d, &SettingsDialog::soundLabelChanged);
  QSignalSpy key(&d, &SettingsDialog::keyShiftConfirmed);
  d.cmSetOK->click();
  ASSERT_EQ(sound.count(), 1);
  EXPECT_EQ(sound[0][0].toString(), QStringLiteral("ＧＭ音色"));
  EXPECT_EQ(sound[0][1].toString(), QStringLiteral("オルゴール"));
  EXPECT_EQ(key.count(), 0);
  EXPECT_EQ(s.BankIndex, -1);
}

TEST(SettingsDialog, CancelAfterMovingEverythingRestoresAll) {
  SoundSettings s;
  SettingsDialog d(s);
  // Confirm something other than the defaults first.
  PickProgram(d, 101);
  d.cmbBnkChan->setCurrentIndex(2);
  d.HScrPich->setValue(5);
  d.HScrPan->setValue(20);
  d.Chanel[3]->setChecked(false);
  d.cmSetOK->click();
  const SoundSettings confirmed = s;
  const Snapshot before = Take(d);
  EXPECT_EQ(before.labels[8], QStringLiteral("02５０'S Ｓｃｉ-Ｆｉ"));

  QSignalSpy sound(&d, &SettingsDialog::soundLabelChanged);
  PickProgram(d, 48);  // a list that is only browsed
  d.cmbBnkChan->setCurrentIndex(5);
  d.HScrPich->setValue(-24);
  d.HScrRev->setValue(1);
  d.HScrCho->setValue(2);
  d.HScrMod->setValue(3);
  d.HScrPan->setValue(127);
  d.VScrRept->upButton()->click();
  d.VScrStop->upButton()->click();
  for (QCheckBox* c : d.Chanel) c->setChecked(!c->isChecked());
  d.cbSMFpt->setChecked(false);
  d.cbMID->setChecked(true);
  EXPECT_FALSE(d.GroupBox1->isEnabled());
  EXPECT_FALSE(d.cbSMFpt->isEnabled());
  d.cmSetCan->click();

  ExpectSame(Take(d), before);
  EXPECT_TRUE(SameSettings(s, confirmed));
  EXPECT_TRUE(d.GroupBox1->isEnabled());
  EXPECT_TRUE(d.cbSMFpt->isEnabled());
  EXPECT_EQ(sound.count(), 0);
  EXPECT_EQ(d.result(), QDialog::Rejected);

  // Escape works the same way.
  d.HScrRev->setValue(99);
  d.reject();
  EXPECT_EQ(d.HScrRev->value(), confirmed.Reverb);
}

TEST(SettingsDialog, CapitalToneOfAProgramWithVariationsIsGm) {
  SoundSettings s;
  SettingsDialog d(s);
  QSignalSpy sound(&d, &SettingsDialog::soundLabelChanged);
  PickProgram(d, 88);
  EXPECT_EQ(d.cmbBnkChan->currentText(), QStringLiteral("00ファンタジア"));
  d.cmSetOK->click();
  ASSERT_EQ(sound.count(), 1);
  EXPECT_EQ(sound[0][0].toString(), QStringLiteral("ＧＭ音色"));
  EXPECT_EQ(sound[0][1].toString(), QStringLiteral("ニューエイジ"));
  EXPECT_EQ(BankNumberOf(s.Program, s.BankIndex), 0);
  // Back to the music box: the list empties and is disabled.
  PickProgram(d, 10);
  EXPECT_EQ(d.cmbBnkChan->count(), 0);
  EXPECT_FALSE(d.cmbBnkChan->isEnabled());
}

TEST(SettingsDialog, NoConversionLocksTheConversionOptions) {
  SoundSettings s;
  SettingsDialog d(s);
  d.cbMID->setChecked(true);
  EXPECT_FALSE(d.GroupBox1->isEnabled());
  EXPECT_FALSE(d.Chanel[0]->isEnabled());
  EXPECT_FALSE(d.cbSMFpt->isEnabled());
  d.cmSetOK->click();
  EXPECT_TRUE(s.NoMidConversion);
  d.cbMID->setChecked(false);
  d.cmSetCan->click();  // back to the confirmed, checked state
  EXPECT_TRUE(d.cbMID->isChecked());
  EXPECT_FALSE(d.GroupBox1->isEnabled());
}

TEST(SettingsDialog, KeyShiftFromElsewhere) {
  SoundSettings s;
  SettingsDialog d(s);
  d.SetKeyShift(-7);
  EXPECT_EQ(s.KeyShift, -7);
  EXPECT_EQ(s.PendingKeyShift, -7);
  EXPECT_EQ(d.HScrPich->value(), -7);
  EXPECT_EQ(d.lblPKey->text(), "-7");
  QSignalSpy key(&d, &SettingsDialog::keyShiftConfirmed);
  d.cmSetOK->click();
  EXPECT_EQ(key.count(), 0);  // nothing new to confirm
  d.SetKeyShift(0);
  EXPECT_EQ(s.KeyShift, 0);
}

}  // namespace
}  // namespace poronka
