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

// The dialog's controls, found by their object names.
struct Form {
  explicit Form(SettingsDialog& d) : dialog(d) {
    for (int k = 0; k < 16; ++k) channels[k] = Find<QCheckBox>(QStringLiteral("Chanel%1").arg(k + 1));
  }
  template <typename T>
  T* Find(const QString& name) const {
    T* w = dialog.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
  }
  SettingsDialog& dialog;
  QComboBox* program = Find<QComboBox>("cmbPrgChan");
  QComboBox* variation = Find<QComboBox>("cmbBnkChan");
  QSlider* keyShift = Find<QSlider>("HScrPich");
  QSlider* reverb = Find<QSlider>("HScrRev");
  QSlider* chorus = Find<QSlider>("HScrCho");
  QSlider* modulation = Find<QSlider>("HScrMod");
  QSlider* pan = Find<QSlider>("HScrPan");
  UpDown* repeat = Find<UpDown>("VScrRept");
  UpDown* stopDelay = Find<UpDown>("VScrStop");
  QLabel* keyShiftLabel = Find<QLabel>("lblPKey");
  QLabel* reverbLabel = Find<QLabel>("lblReverb");
  QLabel* chorusLabel = Find<QLabel>("lblChorus");
  QLabel* modulationLabel = Find<QLabel>("lblModul");
  QLabel* panLabel = Find<QLabel>("lblPan");
  QLabel* repeatLabel = Find<QLabel>("lblRept");
  QLabel* stopDelayLabel = Find<QLabel>("lblStopDel");
  QGroupBox* channelGroup = Find<QGroupBox>("GroupBox1");
  QCheckBox* noConversion = Find<QCheckBox>("cbMID");
  QCheckBox* pitchAdjust = Find<QCheckBox>("cbSMFpt");
  QPushButton* ok = Find<QPushButton>("cmSetOK");
  QPushButton* cancel = Find<QPushButton>("cmSetCan");
  std::array<QCheckBox*, 16> channels{};
};

// Picks an instrument the way a user does.
void PickProgram(SettingsDialog& d, int program) {
  const Form f(d);
  f.program->setCurrentIndex(program);
  emit f.program->activated(program);
}

struct Snapshot {
  SettingsControls controls;
  QStringList labels;
  bool groupEnabled, pitchAdjustEnabled;
};

Snapshot Take(SettingsDialog& d) {
  const Form f(d);
  return {d.controls(),
          {f.keyShiftLabel->text(), f.reverbLabel->text(), f.chorusLabel->text(), f.modulationLabel->text(),
           f.panLabel->text(), f.repeatLabel->text(), f.stopDelayLabel->text(), f.program->currentText(),
           f.variation->currentText()},
          f.channelGroup->isEnabled(),
          f.pitchAdjust->isEnabled()};
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
  const Form f(d);
  EXPECT_EQ(d.windowTitle(), QStringLiteral("各種設定"));
  EXPECT_EQ(s.Pan, 64);
  EXPECT_EQ(f.program->count(), 115);
  EXPECT_EQ(f.program->currentText(), QStringLiteral("オルゴール"));
  EXPECT_EQ(f.variation->count(), 0);
  EXPECT_FALSE(f.variation->isEnabled());
  EXPECT_EQ(f.keyShiftLabel->text(), "0");
  EXPECT_EQ(f.reverbLabel->text(), "40");
  EXPECT_EQ(f.panLabel->text(), QStringLiteral("中央"));
  EXPECT_EQ(f.repeatLabel->text(), "1");
  EXPECT_EQ(f.stopDelayLabel->text(), "0");
  EXPECT_EQ(f.keyShift->minimum(), -24);
  EXPECT_EQ(f.keyShift->maximum(), 24);
  EXPECT_EQ(f.keyShift->tickInterval(), 3);
  EXPECT_EQ(f.reverb->tickInterval(), 8);
  EXPECT_FALSE(f.channels[9]->isChecked());
  EXPECT_EQ(f.channels[9]->text(), "10Ch");
  EXPECT_EQ(f.channels[9]->palette().color(QPalette::Window), QColor(224, 192, 192));
  EXPECT_TRUE(f.channels[0]->isChecked());
  EXPECT_FALSE(f.noConversion->isChecked());
  EXPECT_TRUE(f.pitchAdjust->isChecked());
  EXPECT_EQ(f.ok->text(), QStringLiteral("Ｏ Ｋ"));
  EXPECT_EQ(f.cancel->text(), QStringLiteral("キャンセル"));
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
  const Form f(d);
  f.pan->setValue(0);
  EXPECT_EQ(f.panLabel->text(), "L64");
  f.pan->setValue(127);
  EXPECT_EQ(f.panLabel->text(), "R63");
  f.keyShift->setValue(-3);
  EXPECT_EQ(f.keyShiftLabel->text(), "-3");
  EXPECT_EQ(s.PendingKeyShift, -3);
  EXPECT_EQ(s.KeyShift, 0);
  f.keyShift->setValue(3);
  EXPECT_EQ(f.keyShiftLabel->text(), "+3");
  f.repeat->upButton()->click();
  f.repeat->upButton()->click();
  EXPECT_EQ(f.repeatLabel->text(), "3");
  for (int i = 0; i < 12; ++i) f.repeat->upButton()->click();
  EXPECT_EQ(f.repeatLabel->text(), "10");
  f.stopDelay->downButton()->click();
  EXPECT_EQ(f.stopDelayLabel->text(), "0");
}

TEST(SettingsDialog, OkWithAVariationTone) {
  SoundSettings s;
  SettingsDialog d(s);
  const Form f(d);
  QSignalSpy sound(&d, &SettingsDialog::soundLabelChanged);
  QSignalSpy key(&d, &SettingsDialog::keyShiftConfirmed);
  QSignalSpy confirmed(&d, &SettingsDialog::confirmed);
  PickProgram(d, 4);
  ASSERT_EQ(f.variation->count(), 6);
  EXPECT_TRUE(f.variation->isEnabled());
  EXPECT_EQ(f.variation->currentIndex(), 0);
  f.variation->setCurrentIndex(3);
  EXPECT_EQ(f.variation->currentText(), QStringLiteral("24６０年代Ｅピアノ"));
  f.keyShift->setValue(-3);
  f.ok->click();
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
  const Form f(d);
  QSignalSpy sound(&d, &SettingsDialog::soundLabelChanged);
  QSignalSpy key(&d, &SettingsDialog::keyShiftConfirmed);
  f.ok->click();
  ASSERT_EQ(sound.count(), 1);
  EXPECT_EQ(sound[0][0].toString(), QStringLiteral("ＧＭ音色"));
  EXPECT_EQ(sound[0][1].toString(), QStringLiteral("オルゴール"));
  EXPECT_EQ(key.count(), 0);
  EXPECT_EQ(s.BankIndex, -1);
}

TEST(SettingsDialog, CancelAfterMovingEverythingRestoresAll) {
  SoundSettings s;
  SettingsDialog d(s);
  const Form f(d);
  // Confirm something other than the defaults first.
  PickProgram(d, 101);
  f.variation->setCurrentIndex(2);
  f.keyShift->setValue(5);
  f.pan->setValue(20);
  f.channels[3]->setChecked(false);
  f.ok->click();
  const SoundSettings confirmed = s;
  const Snapshot before = Take(d);
  EXPECT_EQ(before.labels[8], QStringLiteral("02５０'S Ｓｃｉ-Ｆｉ"));

  QSignalSpy sound(&d, &SettingsDialog::soundLabelChanged);
  PickProgram(d, 48);  // a list that is only browsed
  f.variation->setCurrentIndex(5);
  f.keyShift->setValue(-24);
  f.reverb->setValue(1);
  f.chorus->setValue(2);
  f.modulation->setValue(3);
  f.pan->setValue(127);
  f.repeat->upButton()->click();
  f.stopDelay->upButton()->click();
  for (QCheckBox* c : f.channels) c->setChecked(!c->isChecked());
  f.pitchAdjust->setChecked(false);
  f.noConversion->setChecked(true);
  EXPECT_FALSE(f.channelGroup->isEnabled());
  EXPECT_FALSE(f.pitchAdjust->isEnabled());
  f.cancel->click();

  ExpectSame(Take(d), before);
  EXPECT_TRUE(SameSettings(s, confirmed));
  EXPECT_TRUE(f.channelGroup->isEnabled());
  EXPECT_TRUE(f.pitchAdjust->isEnabled());
  EXPECT_EQ(sound.count(), 0);
  EXPECT_EQ(d.result(), QDialog::Rejected);

  // Escape works the same way.
  f.reverb->setValue(99);
  d.reject();
  EXPECT_EQ(f.reverb->value(), confirmed.Reverb);
}

TEST(SettingsDialog, CapitalToneOfAProgramWithVariationsIsGm) {
  SoundSettings s;
  SettingsDialog d(s);
  const Form f(d);
  QSignalSpy sound(&d, &SettingsDialog::soundLabelChanged);
  PickProgram(d, 88);
  EXPECT_EQ(f.variation->currentText(), QStringLiteral("00ファンタジア"));
  f.ok->click();
  ASSERT_EQ(sound.count(), 1);
  EXPECT_EQ(sound[0][0].toString(), QStringLiteral("ＧＭ音色"));
  EXPECT_EQ(sound[0][1].toString(), QStringLiteral("ニューエイジ"));
  EXPECT_EQ(BankNumberOf(s.Program, s.BankIndex), 0);
  // Back to the music box: the list empties and is disabled.
  PickProgram(d, 10);
  EXPECT_EQ(f.variation->count(), 0);
  EXPECT_FALSE(f.variation->isEnabled());
}

TEST(SettingsDialog, NoConversionLocksTheConversionOptions) {
  SoundSettings s;
  SettingsDialog d(s);
  const Form f(d);
  f.noConversion->setChecked(true);
  EXPECT_FALSE(f.channelGroup->isEnabled());
  EXPECT_FALSE(f.channels[0]->isEnabled());
  EXPECT_FALSE(f.pitchAdjust->isEnabled());
  f.ok->click();
  EXPECT_TRUE(s.NoMidConversion);
  f.noConversion->setChecked(false);
  f.cancel->click();  // back to the confirmed, checked state
  EXPECT_TRUE(f.noConversion->isChecked());
  EXPECT_FALSE(f.channelGroup->isEnabled());
}

TEST(SettingsDialog, KeyShiftFromElsewhere) {
  SoundSettings s;
  SettingsDialog d(s);
  const Form f(d);
  d.setKeyShift(-7);
  EXPECT_EQ(s.KeyShift, -7);
  EXPECT_EQ(s.PendingKeyShift, -7);
  EXPECT_EQ(f.keyShift->value(), -7);
  EXPECT_EQ(f.keyShiftLabel->text(), "-7");
  QSignalSpy key(&d, &SettingsDialog::keyShiftConfirmed);
  f.ok->click();
  EXPECT_EQ(key.count(), 0);  // nothing new to confirm
  d.setKeyShift(0);
  EXPECT_EQ(s.KeyShift, 0);
}

}  // namespace
}  // namespace poronka
