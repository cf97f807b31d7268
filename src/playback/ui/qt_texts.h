// Qt's own texts (standard buttons of message boxes, the file dialogs) in
// Japanese, whatever the system's locale: Qt's Japanese translation from the
// folder that QLibraryInfo names, the few texts of the file dialogs that it
// lacks, and Japanese as the default locale (the file dialogs' type names).
#pragma once

#include <QTranslator>
#include <memory>

namespace poronka::ui {

// Installs the texts into the application; nullptr when Qt's translation
// cannot be found. Destroying the returned translator takes them out again
// (the default locale stays Japanese).
std::unique_ptr<QTranslator> InstallQtJapaneseTexts();

}  // namespace poronka::ui
