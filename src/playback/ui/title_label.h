// The player's title label lblTitle: the whole song title, wrapped, with as
// many whole lines as the label's height holds. When the title goes on
// further, the last line shown ends with "…"; no line is cut through its
// glyphs. text() stays the whole title.
#pragma once

#include <QLabel>

namespace poronka::ui {

class TitleLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent* e) override;
};

}  // namespace poronka::ui
