#include "core/ui/loading_window.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace poronka {

namespace {
constexpr int kBarMax = 120;
}  // namespace

LoadingWindow::LoadingWindow(QWidget* parent) : QWidget(parent, Qt::Dialog) {
  setObjectName("TfrmSort");
  label_ = new QLabel(QStringLiteral("ファイルを読み込んでいます・・・"), this);
  label_->setObjectName("Label1");
  bar_ = new QProgressBar(this);
  bar_->setObjectName("BarDisp");
  bar_->setRange(0, kBarMax);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 12, 16, 12);
  layout->setSpacing(8);
  layout->addWidget(label_);
  layout->addWidget(bar_);
  setFixedSize(sizeHint().expandedTo(QSize(320, 0)));
}

void LoadingWindow::Open(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
  position_ = 0;
  bar_->setValue(position_);
  show();
  raise();
  // Paint the window before the load takes the thread.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int LoadingWindow::Position() const { return position_; }

void LoadingWindow::StepIt() {
  if (position_ < kBarMax) bar_->setValue(++position_);
}

void LoadingWindow::SetToMax() {
  position_ = kBarMax;
  bar_->setValue(position_);
}

void LoadingWindow::Close() { hide(); }

void LoadEventPump::operator()() {
  if (timer_.isValid() && timer_.elapsed() < intervalMs_) return;
  timer_.start();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace poronka
