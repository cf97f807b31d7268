#include "playback/ui/qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace poronka::ui {

std::unique_ptr<QTranslator> InstallQtJapaneseTexts() {
  auto texts = std::make_unique<QTranslator>();
  if (!texts->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return nullptr;
  if (!QCoreApplication::installTranslator(texts.get())) return nullptr;
  return texts;
}

}  // namespace poronka::ui
