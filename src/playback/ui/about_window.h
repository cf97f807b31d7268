// The about box TfrmAbout: the application picture, the product name and
// the version. While it exists the playing song repeats instead of moving on.
#pragma once

#include <QDialog>
#include <functional>

namespace poronka::ui {

class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  // setHold(true) on creation, setHold(false) when the box closes.
  TfrmAbout(QWidget* player, std::function<void(bool)> setHold);
  ~TfrmAbout() override;

 private:
  std::function<void(bool)> setHold_;
  bool holding_ = false;
  void Release();
};

}  // namespace poronka::ui
