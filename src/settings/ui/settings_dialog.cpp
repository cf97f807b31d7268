#include "settings/ui/settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include "settings/gs_variations.h"

namespace poronka {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QSlider* TrackBar(QWidget* parent, const char* name, int lo, int hi, int value, int tick) {
  auto* s = new QSlider(Qt::Horizontal, parent);
  s->setObjectName(name);
  s->setRange(lo, hi);
  s->setValue(value);
  s->setTickPosition(QSlider::TicksBelow);
  s->setTickInterval(tick);
  s->setPageStep(tick);
  s->setMinimumWidth(220);
  return s;
}

QLabel* ValueLabel(QWidget* parent, const char* name) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setMinimumWidth(48);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return l;
}

}  // namespace

UpDown::UpDown(int minimum, int maximum, int value, QWidget* parent)
    : QWidget(parent), min_(minimum), max_(maximum), value_(value) {
  auto* box = new QVBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  up_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  down_ = new QToolButton(this);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setFixedSize(18, 12);
    b->setAutoRepeat(true);
    box->addWidget(b);
  }
  connect(up_, &QToolButton::clicked, this, [this] { step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDown::setValue(int v) { value_ = std::clamp(v, min_, max_); }

void UpDown::step(int by) {
  value_ = std::clamp(value_ + by, min_, max_);
  emit clicked(value_);
}

SettingsDialog::SettingsDialog(SoundSettings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setObjectName("frmSet");
  setWindowTitle(QStringLiteral("各種設定"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);

  auto* grid = new QGridLayout;
  int row = 0;
  auto caption = [&](const QString& text) {
    auto* l = new QLabel(text, this);
    grid->addWidget(l, row, 0);
    return l;
  };

  caption(QStringLiteral("音色の設定"));
  programBox_ = new QComboBox(this);
  programBox_->setObjectName("cmbPrgChan");
  for (int p = 0; p < kInstrumentCount; ++p) programBox_->addItem(Q(InstrumentName(p)));
  programBox_->setMaxVisibleItems(20);
  grid->addWidget(programBox_, row++, 1, 1, 2);

  caption(QStringLiteral("ＧＳ音色"));
  variationBox_ = new QComboBox(this);
  variationBox_->setObjectName("cmbBnkChan");
  variationBox_->setMinimumContentsLength(18);
  grid->addWidget(variationBox_, row++, 1, 1, 2);

  auto barRow = [&](const QString& text, QSlider* bar, QLabel* label) {
    caption(text);
    grid->addWidget(bar, row, 1);
    grid->addWidget(label, row++, 2);
  };
  keyShiftBar_ = TrackBar(this, "HScrPich", kKeyShiftMin, kKeyShiftMax, 0, 3);
  keyShiftLabel_ = ValueLabel(this, "lblPKey");
  barRow(QStringLiteral("音程（キー）の移動"), keyShiftBar_, keyShiftLabel_);
  reverbBar_ = TrackBar(this, "HScrRev", kLevelMin, kLevelMax, 40, 8);
  reverbLabel_ = ValueLabel(this, "lblReverb");
  barRow(QStringLiteral("リバーブレベル"), reverbBar_, reverbLabel_);
  chorusBar_ = TrackBar(this, "HScrCho", kLevelMin, kLevelMax, 0, 8);
  chorusLabel_ = ValueLabel(this, "lblChorus");
  barRow(QStringLiteral("コーラスレベル"), chorusBar_, chorusLabel_);
  modulationBar_ = TrackBar(this, "HScrMod", kLevelMin, kLevelMax, 0, 8);
  modulationLabel_ = ValueLabel(this, "lblModul");
  barRow(QStringLiteral("モジュレーション"), modulationBar_, modulationLabel_);
  panBar_ = TrackBar(this, "HScrPan", kLevelMin, kLevelMax, 64, 8);
  panLabel_ = ValueLabel(this, "lblPan");
  barRow(QStringLiteral("パンポット"), panBar_, panLabel_);

  auto upDownRow = [&](const QString& text, UpDown* ud, QLabel* label) {
    caption(text);
    auto* h = new QHBoxLayout;
    h->addWidget(label);
    h->addWidget(ud);
    h->addStretch();
    grid->addLayout(h, row++, 1, 1, 2);
  };
  repeatStepper_ = new UpDown(kRepeatMin, kRepeatMax, 1, this);
  repeatStepper_->setObjectName("VScrRept");
  repeatLabel_ = ValueLabel(this, "lblRept");
  repeatLabel_->setMinimumWidth(24);
  upDownRow(QStringLiteral("一曲の繰返し回数"), repeatStepper_, repeatLabel_);
  stopDelayStepper_ = new UpDown(kStopDelayMin, kStopDelayMax, 0, this);
  stopDelayStepper_->setObjectName("VScrStop");
  stopDelayLabel_ = ValueLabel(this, "lblStopDel");
  stopDelayLabel_->setMinimumWidth(24);
  upDownRow(QStringLiteral("消音までの進行行数"), stopDelayStepper_, stopDelayLabel_);

  channelGroup_ = new QGroupBox(QStringLiteral("変換対象のＭＩＤＩチャンネル"), this);
  channelGroup_->setObjectName("GroupBox1");
  channelGroup_->setAutoFillBackground(true);
  auto* channels = new QGridLayout(channelGroup_);
  for (int k = 0; k < 16; ++k) {
    auto* box = new QCheckBox(QStringLiteral("%1Ch").arg(k + 1), channelGroup_);
    box->setObjectName(QStringLiteral("Chanel%1").arg(k + 1));
    box->setChecked(k != 9);
    if (k == 9) {
      box->setAutoFillBackground(true);
      QPalette p = box->palette();
      p.setColor(QPalette::Window, QColor(224, 192, 192));
      p.setColor(QPalette::Button, QColor(224, 192, 192));
      box->setPalette(p);
    }
    channelBoxes_[k] = box;
    channels->addWidget(box, k / 8, k % 8);
  }

  noConversionBox_ = new QCheckBox(QStringLiteral("ＭＩＤ変換なし"), this);
  noConversionBox_->setObjectName("cbMID");
  pitchAdjustBox_ = new QCheckBox(QStringLiteral("MID変換の音程調整"), this);
  pitchAdjustBox_->setObjectName("cbSMFpt");
  pitchAdjustBox_->setChecked(true);

  okButton_ = new QPushButton(QStringLiteral("Ｏ Ｋ"), this);
  okButton_->setObjectName("cmSetOK");
  okButton_->setDefault(true);
  cancelButton_ = new QPushButton(QStringLiteral("キャンセル"), this);
  cancelButton_->setObjectName("cmSetCan");

  auto* options = new QHBoxLayout;
  options->addWidget(noConversionBox_);
  options->addWidget(pitchAdjustBox_);
  options->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  auto* main = new QVBoxLayout(this);
  main->setSizeConstraint(QLayout::SetFixedSize);  // fixed size, nothing to maximise
  main->addLayout(grid);
  main->addWidget(channelGroup_);
  main->addLayout(options);
  main->addLayout(buttons);

  // The instrument list rebuilds the variation list only when the user picks.
  connect(programBox_, &QComboBox::activated, this, &SettingsDialog::showProgramVariations);
  connect(keyShiftBar_, &QSlider::valueChanged, this, [this](int v) {
    settings_.PendingKeyShift = v;
    updateValueLabels();
  });
  for (QSlider* s : {reverbBar_, chorusBar_, modulationBar_, panBar_})
    connect(s, &QSlider::valueChanged, this, &SettingsDialog::updateValueLabels);
  connect(repeatStepper_, &UpDown::clicked, this, &SettingsDialog::updateValueLabels);
  connect(stopDelayStepper_, &UpDown::clicked, this, &SettingsDialog::updateValueLabels);
  connect(noConversionBox_, &QCheckBox::toggled, this, &SettingsDialog::updateConversionOptions);
  connect(okButton_, &QPushButton::clicked, this, &SettingsDialog::confirm);
  connect(cancelButton_, &QPushButton::clicked, this, &SettingsDialog::reject);

  // Creation: the defaults of the record, shown by every control.
  settings_ = SoundSettings{};
  showControls(ControlsFor(settings_));
  updateConversionOptions();
}

void SettingsDialog::showVariationList(const SettingsControls& c) {
  variations_ = c.bankEntries;
  variationsEnabled_ = c.bankEnabled;
  variationBox_->clear();
  for (const std::string& e : c.bankEntries) variationBox_->addItem(Q(e));
  variationBox_->setEnabled(c.bankEnabled);
  variationBox_->setCurrentIndex(c.bankEntries.empty() ? -1 : c.bankIndex);
}

void SettingsDialog::showControls(const SettingsControls& c) {
  programBox_->setCurrentIndex(c.programIndex);
  showVariationList(c);
  keyShiftBar_->setValue(c.keyShift);
  reverbBar_->setValue(c.reverb);
  chorusBar_->setValue(c.chorus);
  modulationBar_->setValue(c.modulation);
  panBar_->setValue(c.pan);
  repeatStepper_->setValue(c.repeat);
  stopDelayStepper_->setValue(c.stopDelay);
  noConversionBox_->setChecked(c.noMidConversion);
  pitchAdjustBox_->setChecked(c.smfPitchAdjust);
  for (int k = 0; k < 16; ++k) channelBoxes_[k]->setChecked(c.channels[k]);
  updateValueLabels();
}

void SettingsDialog::updateValueLabels() {
  keyShiftLabel_->setText(Q(KeyShiftText(keyShiftBar_->value())));
  reverbLabel_->setText(QString::number(reverbBar_->value()));
  chorusLabel_->setText(QString::number(chorusBar_->value()));
  modulationLabel_->setText(QString::number(modulationBar_->value()));
  panLabel_->setText(Q(PanText(panBar_->value())));
  repeatLabel_->setText(QString::number(repeatStepper_->value()));
  stopDelayLabel_->setText(QString::number(stopDelayStepper_->value()));
}

SettingsControls SettingsDialog::controls() const {
  SettingsControls c;
  c.programIndex = programBox_->currentIndex();
  c.bankEntries = variations_;
  c.bankEnabled = variationsEnabled_;
  c.bankIndex = variationBox_->currentIndex();
  c.keyShift = keyShiftBar_->value();
  c.reverb = reverbBar_->value();
  c.chorus = chorusBar_->value();
  c.modulation = modulationBar_->value();
  c.pan = panBar_->value();
  c.repeat = repeatStepper_->value();
  c.stopDelay = stopDelayStepper_->value();
  c.noMidConversion = noConversionBox_->isChecked();
  c.smfPitchAdjust = pitchAdjustBox_->isChecked();
  for (int k = 0; k < 16; ++k) c.channels[k] = channelBoxes_[k]->isChecked();
  return c;
}

void SettingsDialog::showProgramVariations() {
  SettingsControls c = controls();
  FillVariationList(c, c.programIndex);
  showVariationList(c);
}

void SettingsDialog::updateConversionOptions() {
  const bool on = noConversionBox_->isChecked();
  channelGroup_->setEnabled(!on);
  pitchAdjustBox_->setEnabled(!on);
  QPalette p = channelGroup_->palette();
  p.setColor(QPalette::Window, palette().color(on ? QPalette::Dark : QPalette::Button));
  channelGroup_->setPalette(p);
}

void SettingsDialog::setKeyShift(int semitones) {
  semitones = std::clamp(semitones, kKeyShiftMin, kKeyShiftMax);
  settings_.KeyShift = semitones;
  keyShiftBar_->setValue(semitones);
  settings_.PendingKeyShift = semitones;
  updateValueLabels();
}

void SettingsDialog::confirm() {
  OkOutcome o = ApplyOk(controls(), settings_);
  if (o.keyShiftChanged) emit keyShiftConfirmed(o.keyShift, Q(o.pitchText));
  if (o.soundChanged) emit soundLabelChanged(Q(o.sound.kind), Q(o.sound.name));
  emit confirmed();
  accept();
}

void SettingsDialog::reject() {
  SettingsControls c = controls();
  ApplyCancel(c, settings_);
  showControls(c);
  QDialog::reject();
}

}  // namespace poronka
