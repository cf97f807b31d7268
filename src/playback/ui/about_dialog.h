// The about box: the application picture, the product name and
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
  // Gives the hold back once (the box closed or is destroyed).
  void release();

  std::function<void(bool)> setHold_;
  bool holding_ = false;
};

}  // namespace poronka::ui
