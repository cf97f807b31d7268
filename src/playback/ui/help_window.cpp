#include "playback/ui/help_window.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "playback/ui/artwork.h"

namespace poronka::ui {

const char* const kHelpWindowTitle = "ポロンカ(V3.3)のヘルプ";

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpWindow");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(kHelpWindowTitle));
  setWindowIcon(AppIcon());
  auto* v = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  auto* back = new QPushButton(QString::fromUtf8("戻る"), this);
  auto* home = new QPushButton(QString::fromUtf8("目次"), this);
  bar->addWidget(back);
  bar->addWidget(home);
  bar->addStretch();
  v->addLayout(bar);
  browser_ = new QTextBrowser(this);
  browser_->setOpenExternalLinks(true);
  v->addWidget(browser_);
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(home, &QPushButton::clicked, browser_, &QTextBrowser::home);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  back->setEnabled(false);
  resize(720, 600);
}

bool HelpWindow::openHelpFile(const QString& helpFile) {
  if (!QFileInfo(helpFile).isFile()) return false;
  browser_->setSource(QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath()));
  return true;
}

}  // namespace poronka::ui
