// The sound settings dialog "各種設定": instrument and variation tone, key
// shift, effect levels, pan, repeat count, stop delay and the options of MIDI
// file conversion. Created once at start-up and shown modally with exec();
// its OK (confirm()) copies the controls into the run's SoundSettings record
// and accepts, its Cancel (reject()) puts the record back into the controls. It sends nothing to a device: the
// player reacts to its signals.
#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <vector>

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
  void step(int by);
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
  // adjustment, or 0 when a song is prepared): moves the key shift slider and
  // sets KeyShift and PendingKeyShift. The caller updates the transposition
  // and the player's pitch label.
  void setKeyShift(int semitones);

  // The controls' state as plain values.
  SettingsControls controls() const;

 public slots:
  // OK: copies the controls into the settings record, tells the player what
  // changed, then accept().
  void confirm();
  // Cancel and Escape: puts the confirmed settings back into the controls,
  // then closes.
  void reject() override;

 signals:
  // OK changed the key shift: the transposition becomes semitones * 256 and
  // the player's pitch label shows pitchText.
  void keyShiftConfirmed(int semitones, const QString& pitchText);
  // OK changed the instrument or variation: the player's tone labels (the
  // kind of tone and its name).
  void soundLabelChanged(const QString& kind, const QString& soundName);
  // After every OK, once SoundSettings holds the new values.
  void confirmed();

 private:
  // The user picked an instrument: its variations fill the variation list.
  void showProgramVariations();
  // The conversion options are usable only while "ＭＩＤ変換なし" is clear.
  void updateConversionOptions();
  void showControls(const SettingsControls& c);
  void showVariationList(const SettingsControls& c);
  void updateValueLabels();

  SoundSettings& settings_;
  // What the variation list holds and whether it can be used, as last shown.
  std::vector<std::string> variations_;
  bool variationsEnabled_ = false;

  QComboBox* programBox_;
  QComboBox* variationBox_;
  QSlider* keyShiftBar_;
  QSlider* reverbBar_;
  QSlider* chorusBar_;
  QSlider* modulationBar_;
  QSlider* panBar_;
  UpDown* repeatStepper_;
  UpDown* stopDelayStepper_;
  QLabel* keyShiftLabel_;
  QLabel* reverbLabel_;
  QLabel* chorusLabel_;
  QLabel* modulationLabel_;
  QLabel* panLabel_;
  QLabel* repeatLabel_;
  QLabel* stopDelayLabel_;
  QGroupBox* channelGroup_;
  std::array<QCheckBox*, 16> channelBoxes_;  // channelBoxes_[0] is "1Ch"
  QCheckBox* noConversionBox_;
  QCheckBox* pitchAdjustBox_;
  QPushButton* okButton_;
  QPushButton* cancelButton_;
};

}  // namespace poronka
