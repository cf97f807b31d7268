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
  connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDown::setValue(int v) { value_ = std::clamp(v, min_, max_); }

void UpDown::Step(int by) {
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
  cmbPrgChan = new QComboBox(this);
  cmbPrgChan->setObjectName("cmbPrgChan");
  for (int p = 0; p < kInstrumentCount; ++p) cmbPrgChan->addItem(Q(InstrumentName(p)));
  cmbPrgChan->setMaxVisibleItems(20);
  grid->addWidget(cmbPrgChan, row++, 1, 1, 2);

  caption(QStringLiteral("ＧＳ音色"));
  cmbBnkChan = new QComboBox(this);
  cmbBnkChan->setObjectName("cmbBnkChan");
  cmbBnkChan->setMinimumContentsLength(18);
  grid->addWidget(cmbBnkChan, row++, 1, 1, 2);

  auto barRow = [&](const QString& text, QSlider* bar, QLabel* label) {
    caption(text);
    grid->addWidget(bar, row, 1);
    grid->addWidget(label, row++, 2);
  };
  HScrPich = TrackBar(this, "HScrPich", kKeyShiftMin, kKeyShiftMax, 0, 3);
  lblPKey = ValueLabel(this, "lblPKey");
  barRow(QStringLiteral("音程（キー）の移動"), HScrPich, lblPKey);
  HScrRev = TrackBar(this, "HScrRev", kLevelMin, kLevelMax, 40, 8);
  lblReverb = ValueLabel(this, "lblReverb");
  barRow(QStringLiteral("リバーブレベル"), HScrRev, lblReverb);
  HScrCho = TrackBar(this, "HScrCho", kLevelMin, kLevelMax, 0, 8);
  lblChorus = ValueLabel(this, "lblChorus");
  barRow(QStringLiteral("コーラスレベル"), HScrCho, lblChorus);
  HScrMod = TrackBar(this, "HScrMod", kLevelMin, kLevelMax, 0, 8);
  lblModul = ValueLabel(this, "lblModul");
  barRow(QStringLiteral("モジュレーション"), HScrMod, lblModul);
  HScrPan = TrackBar(this, "HScrPan", kLevelMin, kLevelMax, 64, 8);
  lblPan = ValueLabel(this, "lblPan");
  barRow(QStringLiteral("パンポット"), HScrPan, lblPan);

  auto upDownRow = [&](const QString& text, UpDown* ud, QLabel* label) {
    caption(text);
    auto* h = new QHBoxLayout;
    h->addWidget(label);
    h->addWidget(ud);
    h->addStretch();
    grid->addLayout(h, row++, 1, 1, 2);
  };
  VScrRept = new UpDown(kRepeatMin, kRepeatMax, 1, this);
  VScrRept->setObjectName("VScrRept");
  lblRept = ValueLabel(this, "lblRept");
  lblRept->setMinimumWidth(24);
  upDownRow(QStringLiteral("一曲の繰返し回数"), VScrRept, lblRept);
  VScrStop = new UpDown(kStopDelayMin, kStopDelayMax, 0, this);
  VScrStop->setObjectName("VScrStop");
  lblStopDel = ValueLabel(this, "lblStopDel");
  lblStopDel->setMinimumWidth(24);
  upDownRow(QStringLiteral("消音までの進行行数"), VScrStop, lblStopDel);

  GroupBox1 = new QGroupBox(QStringLiteral("変換対象のＭＩＤＩチャンネル"), this);
  GroupBox1->setObjectName("GroupBox1");
  GroupBox1->setAutoFillBackground(true);
  auto* channels = new QGridLayout(GroupBox1);
  for (int k = 0; k < 16; ++k) {
    auto* box = new QCheckBox(QStringLiteral("%1Ch").arg(k + 1), GroupBox1);
    box->setObjectName(QStringLiteral("Chanel%1").arg(k + 1));
    box->setChecked(k != 9);
    if (k == 9) {
      box->setAutoFillBackground(true);
      QPalette p = box->palette();
      p.setColor(QPalette::Window, QColor(224, 192, 192));
      p.setColor(QPalette::Button, QColor(224, 192, 192));
      box->setPalette(p);
    }
    Chanel[k] = box;
    channels->addWidget(box, k / 8, k % 8);
  }

  cbMID = new QCheckBox(QStringLiteral("ＭＩＤ変換なし"), this);
  cbMID->setObjectName("cbMID");
  cbSMFpt = new QCheckBox(QStringLiteral("MID変換の音程調整"), this);
  cbSMFpt->setObjectName("cbSMFpt");
  cbSMFpt->setChecked(true);

  cmSetOK = new QPushButton(QStringLiteral("Ｏ Ｋ"), this);
  cmSetOK->setObjectName("cmSetOK");
  cmSetOK->setDefault(true);
  cmSetCan = new QPushButton(QStringLiteral("キャンセル"), this);
  cmSetCan->setObjectName("cmSetCan");

  auto* options = new QHBoxLayout;
  options->addWidget(cbMID);
  options->addWidget(cbSMFpt);
  options->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmSetOK);
  buttons->addWidget(cmSetCan);
  auto* main = new QVBoxLayout(this);
  main->setSizeConstraint(QLayout::SetFixedSize);  // fixed size, nothing to maximise
  main->addLayout(grid);
  main->addWidget(GroupBox1);
  main->addLayout(options);
  main->addLayout(buttons);

  // The instrument list rebuilds the variation list only when the user picks.
  connect(cmbPrgChan, &QComboBox::activated, this, &SettingsDialog::cmbPrgChanChange);
  connect(HScrPich, &QSlider::valueChanged, this, [this](int v) {
    settings_.PendingKeyShift = v;
    UpdateLabels();
  });
  for (QSlider* s : {HScrRev, HScrCho, HScrMod, HScrPan})
    connect(s, &QSlider::valueChanged, this, &SettingsDialog::UpdateLabels);
  connect(VScrRept, &UpDown::clicked, this, &SettingsDialog::UpdateLabels);
  connect(VScrStop, &UpDown::clicked, this, &SettingsDialog::UpdateLabels);
  connect(cbMID, &QCheckBox::toggled, this, &SettingsDialog::cbMIDClick);
  connect(cmSetOK, &QPushButton::clicked, this, &SettingsDialog::cmSetOKClick);
  connect(cmSetCan, &QPushButton::clicked, this, &SettingsDialog::cmSetCanClick);

  // Creation: the defaults of the record, shown by every control.
  settings_ = SoundSettings{};
  ShowControls(ControlsFor(settings_));
  cbMIDClick();
}

void SettingsDialog::ShowBankList(const SettingsControls& c) {
  cmbBnkChan->clear();
  for (const std::string& e : c.bankEntries) cmbBnkChan->addItem(Q(e));
  cmbBnkChan->setEnabled(c.bankEnabled);
  cmbBnkChan->setCurrentIndex(c.bankEntries.empty() ? -1 : c.bankIndex);
}

void SettingsDialog::ShowControls(const SettingsControls& c) {
  cmbPrgChan->setCurrentIndex(c.programIndex);
  ShowBankList(c);
  HScrPich->setValue(c.keyShift);
  HScrRev->setValue(c.reverb);
  HScrCho->setValue(c.chorus);
  HScrMod->setValue(c.modulation);
  HScrPan->setValue(c.pan);
  VScrRept->setValue(c.repeat);
  VScrStop->setValue(c.stopDelay);
  cbMID->setChecked(c.noMidConversion);
  cbSMFpt->setChecked(c.smfPitchAdjust);
  for (int k = 0; k < 16; ++k) Chanel[k]->setChecked(c.channels[k]);
  UpdateLabels();
}

void SettingsDialog::UpdateLabels() {
  lblPKey->setText(Q(KeyShiftText(HScrPich->value())));
  lblReverb->setText(QString::number(HScrRev->value()));
  lblChorus->setText(QString::number(HScrCho->value()));
  lblModul->setText(QString::number(HScrMod->value()));
  lblPan->setText(Q(PanText(HScrPan->value())));
  lblRept->setText(QString::number(VScrRept->value()));
  lblStopDel->setText(QString::number(VScrStop->value()));
}

SettingsControls SettingsDialog::Controls() const {
  SettingsControls c;
  c.programIndex = cmbPrgChan->currentIndex();
  for (int i = 0; i < cmbBnkChan->count(); ++i)
    c.bankEntries.push_back(cmbBnkChan->itemText(i).toStdString());
  c.bankEnabled = cmbBnkChan->isEnabled();
  c.bankIndex = cmbBnkChan->currentIndex();
  c.keyShift = HScrPich->value();
  c.reverb = HScrRev->value();
  c.chorus = HScrCho->value();
  c.modulation = HScrMod->value();
  c.pan = HScrPan->value();
  c.repeat = VScrRept->value();
  c.stopDelay = VScrStop->value();
  c.noMidConversion = cbMID->isChecked();
  c.smfPitchAdjust = cbSMFpt->isChecked();
  for (int k = 0; k < 16; ++k) c.channels[k] = Chanel[k]->isChecked();
  return c;
}

void SettingsDialog::cmbPrgChanChange() {
  SettingsControls c = Controls();
  FillVariationList(c, c.programIndex);
  ShowBankList(c);
}

void SettingsDialog::cbMIDClick() {
  const bool on = cbMID->isChecked();
  GroupBox1->setEnabled(!on);
  cbSMFpt->setEnabled(!on);
  QPalette p = GroupBox1->palette();
  p.setColor(QPalette::Window, palette().color(on ? QPalette::Dark : QPalette::Button));
  GroupBox1->setPalette(p);
}

void SettingsDialog::SetKeyShift(int semitones) {
  semitones = std::clamp(semitones, kKeyShiftMin, kKeyShiftMax);
  settings_.KeyShift = semitones;
  HScrPich->setValue(semitones);
  settings_.PendingKeyShift = semitones;
  UpdateLabels();
}

void SettingsDialog::cmSetOKClick() {
  OkOutcome o = ApplyOk(Controls(), settings_);
  if (o.keyShiftChanged) emit keyShiftConfirmed(o.keyShift, Q(o.pitchText));
  if (o.soundChanged) emit soundLabelChanged(Q(o.sound.kind), Q(o.sound.name));
  emit confirmed();
  accept();
}

void SettingsDialog::cmSetCanClick() {
  SettingsControls c = Controls();
  ApplyCancel(c, settings_);
  ShowControls(c);
  QDialog::reject();
}

void SettingsDialog::reject() { cmSetCanClick(); }

}  // namespace poronka
