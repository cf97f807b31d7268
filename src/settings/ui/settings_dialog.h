// The sound settings dialog "各種設定": instrument and variation tone, key
// shift, effect levels, pan, repeat count, stop delay and the options of MIDI
// file conversion. Created once at start-up and shown modally with exec();
// its OK copies the controls into the run's SoundSettings record, its Cancel
// puts the record back into the controls. It sends nothing to a device: the
// player reacts to its signals.
#pragma once

#include <QDialog>
#include <array>

#include "settings/settings_form.h"
#include "settings/sound_settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace poronka {

// A pair of arrow buttons stepping a number within a range (no text of its
// own; a label beside it shows the number).
class UpDown : public QWidget {
  Q_OBJECT
 public:
  UpDown(int minimum, int maximum, int value, QWidget* parent = nullptr);
  int value() const { return value_; }
  void setValue(int v);  // does not emit clicked
  QToolButton* upButton() const { return up_; }
  QToolButton* downButton() const { return down_; }
 signals:
  void clicked(int value);  // after a click on either arrow
 private:
  void Step(int by);
  int min_, max_, value_;
  QToolButton* up_;
  QToolButton* down_;
};

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  // `settings` is the run's record; the dialog keeps a reference and sets
  // its defaults into the controls.
  explicit SettingsDialog(SoundSettings& settings, QWidget* parent = nullptr);

  // The key shift changed outside the dialog (the MIDI import's pitch
  // adjustment, or 0 when a song is prepared): moves HScrPich and sets
  // KeyShift and PendingKeyShift. The caller updates Transpose and lblPich.
  void SetKeyShift(int semitones);

  // Controls, named as the form describes them (objectName too).
  QComboBox* cmbPrgChan;
  QComboBox* cmbBnkChan;
  QSlider* HScrPich;
  QSlider* HScrRev;
  QSlider* HScrCho;
  QSlider* HScrMod;
  QSlider* HScrPan;
  UpDown* VScrRept;
  UpDown* VScrStop;
  QLabel* lblPKey;
  QLabel* lblReverb;
  QLabel* lblChorus;
  QLabel* lblModul;
  QLabel* lblPan;
  QLabel* lblRept;
  QLabel* lblStopDel;
  QGroupBox* GroupBox1;
  std::array<QCheckBox*, 16> Chanel;  // Chanel[0] is "1Ch"
  QCheckBox* cbMID;
  QCheckBox* cbSMFpt;
  QPushButton* cmSetOK;
  QPushButton* cmSetCan;

  // The controls' state as plain values.
  SettingsControls Controls() const;

 public slots:
  void cmSetOKClick();
  void cmSetCanClick();
  void cmbPrgChanChange();
  void cbMIDClick();
  void reject() override;  // Escape works as Cancel

 signals:
  // OK changed the key shift: Transpose becomes semitones * 256 and the
  // player's lblPich shows pitchText.
  void keyShiftConfirmed(int semitones, const QString& pitchText);
  // OK changed the instrument or variation: the player's Label4 and lblSound.
  void soundLabelChanged(const QString& label4, const QString& soundName);
  // After every OK, once SoundSettings holds the new values.
  void confirmed();

 private:
  void ShowControls(const SettingsControls& c);
  void ShowBankList(const SettingsControls& c);
  void UpdateLabels();
  SoundSettings& settings_;
};

}  // namespace poronka
