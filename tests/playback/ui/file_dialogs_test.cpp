// Every file dialog of the program, opened the way its command opens it,
// with Qt's Japanese texts loaded as at start-up: what it shows and which
// files each filter lists.
#include "playback/ui/file_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QListView>
#include <QLocale>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>

#include "editor/ui/box_tools.h"
#include "editor/ui/editor_window.h"
#include "editor/ui/strip_preview.h"
#include "library/ui/playlist_window.h"
#include "playback/ui/audio_export.h"
#include "playback/ui/player_window.h"
#include "support/player_rig.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

class QuietPlayer : public EditorPlayer {
 public:
  bool RunOpenCommand() override { return false; }
  void PrepareSong() override {}
  void OpenMidiForEditor() override {}
  void SendShortMessage(uint32_t) override {}
  bool MediaActive() const override { return false; }
  void ReleaseMidiForMedia() override {}
  void ShowPlayer() override {}
  void ExitApplication() override {}
  void ShowHelp() override {}
  void ShowAbout() override {}
};

// What the user reads on a dialog and the files each filter lists.
struct Seen {
  QString caption;
  QStringList texts;    // labels, buttons, button hints, column titles
  QStringList filters;  // as the filter box shows them
  std::vector<QStringList> listed;
};

QStringList Listed(QFileDialog* d) {
  auto* view = d->findChild<QListView*>("listView");
  QAbstractItemModel* m = view->model();
  EXPECT_TRUE(QTest::qWaitFor([&] { return m->rowCount(view->rootIndex()) > 0; }, 3000));
  QTest::qWait(100);
  QStringList names;
  for (int r = 0; r < m->rowCount(view->rootIndex()); ++r) names << m->index(r, 0, view->rootIndex()).data().toString();
  names.sort();
  return names;
}

// Opens the dialog with `open`, looks at it (listing `folder` under each
// filter when given) and cancels it.
Seen Look(const std::function<void()>& open, const QString& folder = {}) {
  Seen s;
  bool seen = false;
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [&, poll] {
    auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!d || !d->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    s.caption = d->windowTitle();
    for (auto* l : d->findChildren<QLabel*>())
      if (l->isVisible() && !l->text().isEmpty()) s.texts << l->text();
    for (auto* b : d->findChildren<QAbstractButton*>()) {
      if (!b->isVisible()) continue;
      if (!b->text().isEmpty()) s.texts << b->text();
      if (!b->toolTip().isEmpty()) s.texts << b->toolTip();
    }
    // Column titles and what the columns besides the name show.
    if (auto* tree = d->findChild<QTreeView*>("treeView"); tree && tree->isVisible()) {
      QAbstractItemModel* m = tree->model();
      for (int c = 0; c < m->columnCount(); ++c) {
        if (tree->isColumnHidden(c)) continue;
        s.texts << m->headerData(c, Qt::Horizontal).toString();
        for (int r = 0; c > 0 && r < m->rowCount(tree->rootIndex()); ++r)
          s.texts << m->index(r, c, tree->rootIndex()).data().toString();
      }
    }
    auto* types = d->findChild<QComboBox*>("fileTypeCombo");
    for (int i = 0; i < types->count(); ++i) s.filters << types->itemText(i);
    if (!folder.isEmpty()) {
      d->setDirectory(folder);
      for (const QString& f : d->nameFilters()) {
        d->selectNameFilter(f);
        s.listed.push_back(Listed(d));
      }
    }
    seen = true;
    d->reject();
  });
  poll->start(20);
  open();
  EXPECT_TRUE(seen);
  return s;
}

// Latin letters outside file patterns, format names and hot keys.
bool ReadsEnglish(QString t) {
  t.remove(QRegularExpression("\\([^)]*\\)"));
  for (const char* name : {"MIDI", "WAV", "FLAC", "Ogg Vorbis", "PDF", "SVG"}) t.remove(Q(name));
  return t.contains(QRegularExpression("[A-Za-z]"));
}

void ExpectJapanese(const Seen& s) {
  EXPECT_FALSE(s.caption.isEmpty());
  EXPECT_FALSE(ReadsEnglish(s.caption)) << s.caption.toStdString();
  EXPECT_GE(s.texts.size(), 4);
  for (const QString& t : s.texts) EXPECT_FALSE(ReadsEnglish(t)) << t.toStdString();
  for (const QString& f : s.filters) {
    EXPECT_FALSE(ReadsEnglish(f)) << f.toStdString();
    EXPECT_LE(f.count('('), 1) << "patterns shown twice: " << f.toStdString();
  }
}

class FileDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    translator = new QTranslator;
    ASSERT_TRUE(translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QApplication::installTranslator(translator);
  }
  static void TearDownTestSuite() {
    QApplication::removeTranslator(translator);
    delete translator;
  }
  void SetUp() override {
    for (const char* name : {"a.MBT", "b.mbt", "c.Mid", "d.mld", "e.PKL", "f.mbl", "README", "g.mp3"})
      testing::WriteBytes(dir.File(name), "x");
  }
  static inline QTranslator* translator = nullptr;
  testing::TempDir dir;
};

TEST_F(FileDialogs, PlayerAndPlaylistFiltersListByNameInAnyCase) {
  testing::PlayerRecords<> rig;
  PlayerWindow player(rig.Services());
  const QString folder = QString::fromStdString(dir.path());
  const QStringList every = {"README", "a.MBT", "b.mbt", "c.Mid", "d.mld", "e.PKL", "f.mbl", "g.mp3"};

  Seen open = Look([&] { EXPECT_FALSE(player.openSong()); }, folder);
  ExpectJapanese(open);
  EXPECT_EQ(open.caption, Q("開く"));
  ASSERT_EQ(open.listed.size(), 2u);
  EXPECT_EQ(open.listed[0], (QStringList{"a.MBT", "b.mbt", "c.Mid"}));
  EXPECT_EQ(open.listed[1], every);

  FilePlaylistDialogs lists;
  Seen add = Look([&] { EXPECT_TRUE(lists.ChooseFilesToAdd(&player).empty()); }, folder);
  ExpectJapanese(add);
  EXPECT_EQ(add.listed.back(), every);
  Seen list = Look([&] { EXPECT_TRUE(lists.ChoosePlaylistToOpen(&player).empty()); }, folder);
  ExpectJapanese(list);
  ASSERT_EQ(list.listed.size(), 2u);
  EXPECT_EQ(list.listed[0], (QStringList{"e.PKL", "f.mbl"}));
  Seen save = Look([&] { EXPECT_TRUE(lists.ChooseSaveFile(&player, "").empty()); }, folder);
  ExpectJapanese(save);
  EXPECT_EQ(save.listed[0], (QStringList{"e.PKL"}));
}

TEST_F(FileDialogs, EditorDialogsReadJapanese) {
  Score score;
  MakeNewSong(score);
  editor::EditorSession session;
  SoundSettings settings;
  RecordingMessages messages;
  QuietPlayer player;
  EditorWindow win(score, session, settings, &messages, player);
  win.setAttribute(Qt::WA_DeleteOnClose, false);
  win.show();
  QApplication::processEvents();

  Seen saveAs = Look([&] { win.saveAs(); }, QString::fromStdString(dir.path()));
  ExpectJapanese(saveAs);
  EXPECT_EQ(saveAs.filters.size(), 4);
  EXPECT_EQ(saveAs.listed[0], (QStringList{"a.MBT", "b.mbt"}));
  EXPECT_EQ(saveAs.listed[3].size(), 8);

  auto* tools = win.findChild<BoxTools*>();
  ASSERT_NE(tools, nullptr);
  ExpectJapanese(Look([&] { EXPECT_FALSE(tools->boxFileDialog()); }));
  ExpectJapanese(Look([&] { EXPECT_FALSE(tools->exporter()->saveAudio()); }));
  win.findChild<QAction*>("SMBKind_15")->trigger();
  win.findChild<QAction*>("SMBStrip")->trigger();
  auto* strip = win.findChild<StripPreviewDialog*>();
  ASSERT_NE(strip, nullptr);
  ExpectJapanese(Look([&] { EXPECT_FALSE(strip->saveDialog("strip.pdf")); }));
}

}  // namespace
}  // namespace poronka::ui
