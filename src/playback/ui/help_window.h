// The program's own help window: the HTML help of the install folder in a
// browser window titled "ポロンカ(V3.3)のヘルプ".
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace poronka::ui {

extern const char* const kHelpWindowTitle;

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  // false when the file does not exist.
  bool openHelpFile(const QString& helpFile);
  QTextBrowser* browser() { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace poronka::ui
