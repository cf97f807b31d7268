// The about box AboutDialog: the application picture, the product name and
// the version. While it exists the playing song repeats instead of moving on.
#pragma once

#include <QDialog>
#include <functional>

namespace poronka::ui {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  // setHold(true) on creation, setHold(false) when the box closes.
  AboutDialog(QWidget* player, std::function<void(bool)> setHold);
  ~AboutDialog() override;

 private:
  std::function<void(bool)> setHold_;
  bool holding_ = false;
  void Release();
};

}  // namespace poronka::ui
