#include "playback/ui/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <cstring>

namespace poronka::ui {

namespace {

// Texts of the file dialogs that Qt's Japanese translation leaves in
// English; it owns that translation as its child.
class MissingQtTexts : public QTranslator {
 public:
  QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                    int /*n*/) const override {
    if (!context || !source || std::strcmp(context, "QAbstractFileIconProvider") != 0) return {};
    static const struct {
      const char* source;
      const char* japanese;
    } kTexts[] = {{"Folder", "フォルダー"}, {"Drive", "ドライブ"}, {"Alias", "エイリアス"}, {"Shortcut", "ショートカット"}};
    for (const auto& t : kTexts)
      if (std::strcmp(source, t.source) == 0) return QString::fromUtf8(t.japanese);
    return {};
  }
  bool isEmpty() const override { return false; }
};

}  // namespace

std::unique_ptr<QTranslator> InstallQtJapaneseTexts() {
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  auto texts = std::make_unique<MissingQtTexts>();
  auto* qt = new QTranslator(texts.get());
  if (!qt->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return nullptr;
  QLocale::setDefault(japanese);
  QCoreApplication::installTranslator(qt);
  QCoreApplication::installTranslator(texts.get());
  return texts;
}

}  // namespace poronka::ui
