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
  bar_->setValue(0);
  show();
  raise();
  // Paint the window before the load takes the thread.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

int LoadingWindow::Position() const { return bar_->value(); }

void LoadingWindow::StepIt() {
  if (bar_->value() < kBarMax) bar_->setValue(bar_->value() + 1);
}

void LoadingWindow::SetToMax() { bar_->setValue(kBarMax); }

void LoadingWindow::Close() { hide(); }

void LoadEventPump::operator()() {
  if (timer_.isValid() && timer_.elapsed() < intervalMs_) return;
  timer_.start();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace poronka
