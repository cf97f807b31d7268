#include "playback/ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "playback/ui/artwork.h"

namespace poronka::ui {

AboutDialog::AboutDialog(QWidget* player, std::function<void(bool)> setHold)
    : QDialog(player), setHold_(std::move(setHold)) {
  setObjectName("TfrmAbout");
  setWindowTitle(QString::fromUtf8("バージョン情報"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  if (setHold_) {
    setHold_(true);
    holding_ = true;
  }
  auto* grid = new QGridLayout(this);
  auto* picture = new QLabel(this);
  picture->setObjectName("ProgramIcon");
  picture->setPixmap(MusicBoxPicture(64));
  auto* product = new QLabel(QString::fromUtf8("ポロンカ"), this);
  product->setObjectName("ProductName");
  QFont big = product->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  product->setFont(big);
  auto* version = new QLabel(QString::fromUtf8("バージョン：３．３５"), this);
  version->setObjectName("Version");
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName("OKButton");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  grid->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(product, 0, 1);
  grid->addWidget(version, 1, 1);
  grid->addWidget(ok, 2, 0, 1, 2, Qt::AlignHCenter);
  grid->setContentsMargins(24, 20, 24, 16);
  grid->setHorizontalSpacing(24);
  grid->setVerticalSpacing(10);
  setFixedSize(sizeHint().expandedTo(QSize(300, 160)));
  connect(this, &QDialog::finished, this, [this] { release(); });
  if (player) {
    const QRect pg = player->frameGeometry();
    move(pg.center() - QPoint(width() / 2, height() / 2));
  }
}

AboutDialog::~AboutDialog() { release(); }

void AboutDialog::release() {
  if (holding_ && setHold_) setHold_(false);
  holding_ = false;
}

}  // namespace poronka::ui
