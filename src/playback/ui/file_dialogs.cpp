#include "playback/ui/file_dialogs.h"

#include <QFileInfo>

namespace poronka::ui {

namespace {

// "Name (*.A *.B)", or "Name (*)" for every file. Qt matches the patterns
// without regard to letter case and, with the details hidden, shows only
// the name.
QString QtFilter(const FileFilter& f) {
  QStringList patterns;
  for (const QString& e : f.extensions) patterns << "*." + e;
  if (patterns.isEmpty()) patterns << "*";
  return f.name + " (" + patterns.join(' ') + ")";
}

}  // namespace

FileFilter AllFilesFilter() { return {QString::fromUtf8("全てのファイル"), {}}; }

ProgramFileDialog::ProgramFileDialog(QWidget* parent, Kind kind, const QString& caption,
                                     std::vector<FileFilter> filters, const QString& fallbackSuffix)
    : QFileDialog(parent, caption), filters_(std::move(filters)), fallbackSuffix_(fallbackSuffix) {
  setOption(QFileDialog::DontUseNativeDialog, true);
  setOption(QFileDialog::HideNameFilterDetails, true);
  // Files by name only: the detail columns (kind, size, date) come from the
  // system locale, not from the Japanese texts.
  setViewMode(QFileDialog::List);
  for (const char* name : {"listModeButton", "detailModeButton"})
    if (QWidget* b = findChild<QWidget*>(name)) b->hide();
  switch (kind) {
    case Kind::Open:
      setFileMode(QFileDialog::ExistingFile);
      break;
    case Kind::OpenSeveral:
      setFileMode(QFileDialog::ExistingFiles);
      break;
    case Kind::Save:
      setAcceptMode(QFileDialog::AcceptSave);
      setFileMode(QFileDialog::AnyFile);
      break;
  }
  for (const FileFilter& f : filters_) qtFilters_ << QtFilter(f);
  setNameFilters(qtFilters_);
  chooseFilter(0);
}

int ProgramFileDialog::chosenFilter() const {
  // With the details hidden the dialog answers with the name alone.
  const QString chosen = selectedNameFilter();
  for (size_t i = 0; i < filters_.size(); ++i)
    if (chosen == qtFilters_[static_cast<qsizetype>(i)] || chosen == filters_[i].name.simplified())
      return static_cast<int>(i);
  return 0;
}

void ProgramFileDialog::chooseFilter(int index) {
  if (index >= 0 && index < qtFilters_.size()) selectNameFilter(qtFilters_[index]);
}

QString ProgramFileDialog::chosenFile() const {
  const QStringList files = selectedFiles();
  return files.isEmpty() ? QString() : files.front();
}

void ProgramFileDialog::accept() {
  // The suffix follows the filter chosen now, however it was chosen.
  if (acceptMode() == QFileDialog::AcceptSave && !filters_.empty()) {
    const FileFilter& f = filters_[static_cast<size_t>(chosenFilter())];
    setDefaultSuffix(f.extensions.isEmpty() ? fallbackSuffix_ : f.extensions.front());
  }
  QFileDialog::accept();
}

}  // namespace poronka::ui
