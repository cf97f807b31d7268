// Qt's own texts (standard buttons of message boxes, the file dialogs) in
// Japanese, whatever the system's locale: Qt's Japanese translation from the
// folder that QLibraryInfo names.
#pragma once

#include <QTranslator>
#include <memory>

namespace poronka::ui {

// Installs the translation into the application; nullptr when it cannot be
// found. Destroying the translator takes it out again.
std::unique_ptr<QTranslator> InstallQtJapaneseTexts();

}  // namespace poronka::ui
