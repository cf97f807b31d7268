// The playlist window on the offscreen platform with answered dialogs.
#include "library/ui/playlist_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

#include "core/text_codec.h"
#include "library/media_title.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

class AnsweredDialogs : public PlaylistDialogs {
 public:
  std::vector<std::string> ChooseFilesToAdd(QWidget*) override { return add; }
  std::string ChoosePlaylistToOpen(QWidget*) override { return open; }
  std::string ChooseSaveFile(QWidget*, const std::string& p) override {
    proposed = p;
    return save;
  }
  std::vector<std::string> add;
  std::string open, save, proposed;
};

class FakeHost : public PlaylistHost {
 public:
  std::string FileName() const override { return fileName; }
  void SetFileName(const std::string& p) override { fileName = p; }
  bool Modified() const override { return false; }
  bool NoMidConversion() const override { return false; }
  bool DataError() const override { return false; }
  void SetHoldSong(bool) override {}
  void LoadFirstPlaylistEntry() override {
    state->MarkFirstEntry();
    fileName = state->PlaylistPaths()[0];
  }
  void PlayEntry(int n) override { played.push_back(n); }
  PlaylistState* state = nullptr;
  std::string fileName = "/playing.mbt";
  std::vector<int> played;
};

class PlaylistWindowTest : public ::testing::Test {
 protected:
  PlaylistWindowTest() {
    host.state = &state;
    auto d = std::make_unique<AnsweredDialogs>();
    dialogs = d.get();
    player.setGeometry(100, 120, 400, 300);
    window = std::make_unique<PlaylistWindow>(state, msgs, host, &player, std::move(d));
  }
  template <typename T>
  T* Control(const char* name) {
    return window->findChild<T*>(name);
  }
  QStringList Items() {
    QStringList out;
    for (int i = 0; i < window->listWidget()->count(); ++i) out << window->listWidget()->item(i)->text();
    return out;
  }

  PlaylistState state;
  RecordingMessages msgs;
  FakeHost host;
  QWidget player;
  AnsweredDialogs* dialogs = nullptr;
  std::unique_ptr<PlaylistWindow> window;
  testing::TempDir dir;
};

TEST_F(PlaylistWindowTest, ControlsCaptionsAndHints) {
  EXPECT_EQ(window->windowTitle(), "PlayList");
  EXPECT_EQ(Control<QPushButton>("cmdAdd")->text(), "追加");
  EXPECT_EQ(Control<QPushButton>("cmdDell")->text(), "削除");
  EXPECT_EQ(Control<QPushButton>("cmdClear")->text(), "クリア");
  EXPECT_EQ(Control<QPushButton>("cmdHide")->text(), "閉じる");
  EXPECT_EQ(Control<QToolButton>("cmListOpen")->toolTip(), "プレイリストを開く");
  EXPECT_EQ(Control<QToolButton>("cmListSave")->toolTip(), "プレイリストを保存");
  EXPECT_EQ(Control<QToolButton>("cmUP")->toolTip(), "上に移動");
  EXPECT_EQ(Control<QToolButton>("cmDN")->toolTip(), "下に移動");
  EXPECT_EQ(Control<QToolButton>("cmSHFL")->toolTip(), "シャッフル");
  EXPECT_EQ(window->listWidget()->palette().color(QPalette::Base), QColor(0, 255, 255));
  EXPECT_TRUE(window->acceptDrops());
  // Beside the player; the rounded shape cuts off the caption band.
  EXPECT_EQ(window->pos(), QPoint(player.frameGeometry().left() + player.frameGeometry().width() - 3,
                                  player.frameGeometry().top() - 5));
  EXPECT_FALSE(window->mask().contains(QPoint(window->width() / 2, 20)));
  EXPECT_TRUE(window->mask().contains(QPoint(window->width() / 2, window->height() / 2)));
  EXPECT_FALSE(window->mask().contains(QPoint(9, 37)));  // a rounded corner
}

TEST_F(PlaylistWindowTest, AddDeleteMoveAndMarker) {
  dialogs->add = {"/m/a.ogg", "/m/b.ogg", "/m/c.ogg"};
  Control<QPushButton>("cmdAdd")->click();
  EXPECT_EQ(Items(), (QStringList{"a.ogg", "b.ogg", "c.ogg"}));
  state.MoveCurrentMarker(1);
  EXPECT_EQ(Items()[1], "＊b.ogg");
  window->selectIndex(0);
  Control<QPushButton>("cmdDell")->click();
  EXPECT_EQ(Items(), (QStringList{"＊b.ogg", "c.ogg"}));
  EXPECT_EQ(state.CurrentEntry(), 0);
  EXPECT_EQ(window->selectedIndex(), 0);
  Control<QToolButton>("cmDN")->click();
  EXPECT_EQ(Items(), (QStringList{"c.ogg", "＊b.ogg"}));
  EXPECT_EQ(state.CurrentEntry(), 1);
  EXPECT_EQ(window->selectedIndex(), 1);
  Control<QToolButton>("cmUP")->click();
  EXPECT_EQ(window->selectedIndex(), 0);
  // Nothing selected: delete does nothing.
  window->listWidget()->clearSelection();
  Control<QPushButton>("cmdDell")->click();
  EXPECT_EQ(state.Count(), 2);
  Control<QPushButton>("cmdClear")->click();
  EXPECT_EQ(window->listWidget()->count(), 0);
  EXPECT_EQ(state.CurrentEntry(), -1);
}

TEST_F(PlaylistWindowTest, DoubleClickPlaysAndKeepsTheScroll) {
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) paths.push_back("/m/" + std::to_string(i) + ".ogg");
  window->show();
  window->appendFiles(paths);
  QScrollBar* bar = window->listWidget()->verticalScrollBar();
  state.MoveCurrentMarker(30);
  // n - 4, or as far as the list can scroll.
  EXPECT_EQ(state.TopIndex(), std::min(26, bar->maximum()));
  EXPECT_GT(state.TopIndex(), 0);
  EXPECT_EQ(bar->value(), state.TopIndex());
  const int top = state.TopIndex();
  window->selectIndex(28);
  // A double click on the entry, as the window system delivers it.
  QWidget* viewport = window->listWidget()->viewport();
  const QPoint at = window->listWidget()->visualItemRect(window->listWidget()->item(28)).center();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
  QTest::mousePress(viewport, Qt::LeftButton, {}, at);
  QMouseEvent second(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
  QApplication::sendEvent(viewport, &second);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
  EXPECT_EQ(host.played, std::vector<int>{28});
  EXPECT_EQ(Items()[28], "＊28.ogg");
  EXPECT_EQ(Items()[30], "30.ogg");
  EXPECT_EQ(bar->value(), top);
  // The user scrolls: the marker's scrolling starts from there.
  bar->setValue(5);
  EXPECT_EQ(state.TopIndex(), 5);
}

TEST_F(PlaylistWindowTest, SaveOpenAndHide) {
  dialogs->add = {"/m/曲.ogg"};
  QTest::mouseClick(Control<QPushButton>("cmdAdd"), Qt::LeftButton);
  dialogs->save = dir.File("list.PKL");
  QTest::mouseClick(Control<QToolButton>("cmListSave"), Qt::LeftButton);
  EXPECT_EQ(testing::ReadBytes(dir.File("list.PKL")), Utf8ToCp932("ポロンカのプレイリスト\r\n/m/曲.ogg\r\n"));
  QTest::mouseClick(Control<QPushButton>("cmdClear"), Qt::LeftButton);
  dialogs->open = dir.File("list.PKL");
  QTest::mouseClick(Control<QToolButton>("cmListOpen"), Qt::LeftButton);
  EXPECT_EQ(Items(), QStringList{"曲.ogg"});
  QTest::mouseClick(Control<QToolButton>("cmListSave"), Qt::LeftButton);
  EXPECT_EQ(dialogs->proposed, dir.File("list.PKL"));

  bool hidden = false;
  QObject::connect(window.get(), &PlaylistWindow::hidden, [&] { hidden = true; });
  window->showBesidePlayer();
  window->selectIndex(0);
  Control<QPushButton>("cmdHide")->click();
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(hidden);
  EXPECT_EQ(window->selectedIndex(), -1);
}

TEST_F(PlaylistWindowTest, KeepsBesideThePlayerOnceItIsShownAndMinimisesWithIt) {
  const auto besidePlayer = [&] {
    const QRect f = player.frameGeometry();
    return QPoint(f.left() + f.width() - 3, f.top() - 5);
  };
  player.move(250, 200);
  player.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&player));
  EXPECT_EQ(window->pos(), besidePlayer());
  window->showBesidePlayer();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  EXPECT_LE(player.frameGeometry().intersected(window->frameGeometry()).width(), 3);

  player.showMinimized();
  EXPECT_FALSE(window->isVisible());
  player.showNormal();
  EXPECT_TRUE(window->isVisible());
  // Hidden by its own button, it stays hidden after a restore.
  QTest::mouseClick(Control<QPushButton>("cmdHide"), Qt::LeftButton);
  player.showMinimized();
  player.showNormal();
  EXPECT_FALSE(window->isVisible());

  // Its buttons' hints show while the player is the active window.
  window->showBesidePlayer();
  QApplication::setActiveWindow(&player);
  QToolButton* up = Control<QToolButton>("cmUP");
  QTest::mouseMove(up, QPoint(5, 5));
  QTest::mouseMove(up, up->rect().center());
  EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 3000));
  EXPECT_EQ(QToolTip::text(), "上に移動");
  QToolTip::hideText();
}

TEST_F(PlaylistWindowTest, DroppedFilesKeepTheirOrder) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile("/m/z.ogg"), QUrl::fromLocalFile("/m/a.ogg")});
  window->show();
  QDragEnterEvent enter(QPoint(50, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &drop);
  EXPECT_EQ(Items(), (QStringList{"z.ogg", "a.ogg"}));
  EXPECT_TRUE(msgs.entries.empty());
}

TEST_F(PlaylistWindowTest, ShuffleClearsTheSelection) {
  window->appendFiles({"/m/1.ogg", "/m/2.ogg", "/m/3.ogg", "/m/4.ogg"});
  state.MoveCurrentMarker(2);
  window->selectIndex(1);
  QTest::mouseClick(Control<QToolButton>("cmSHFL"), Qt::LeftButton);
  EXPECT_EQ(window->selectedIndex(), -1);
  ASSERT_GE(state.CurrentEntry(), 0);
  EXPECT_EQ(Items()[state.CurrentEntry()], "＊3.ogg");
}

}  // namespace
}  // namespace poronka::ui
