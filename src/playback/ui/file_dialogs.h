// The program's file dialogs: Qt's own dialog (its buttons and labels come
// from Qt's Japanese translation), a Japanese caption, and filters shown by
// their names only that match file names in any letter case. A save dialog
// adds the extension of the chosen filter to a name typed without one, so
// the overwrite question names the file that is really written.
#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <vector>

namespace poronka::ui {

struct FileFilter {
  QString name;            // what the dialog shows, e.g. "オルゴール"
  QStringList extensions;  // without the dot, e.g. {"MBT", "MID"}; none: every file
};

// "全てのファイル": every file, names without a dot included.
FileFilter AllFilesFilter();

class ProgramFileDialog : public QFileDialog {
 public:
  // Open dialogs choose existing files (`several`: more than one at once).
  enum class Kind { Open, OpenSeveral, Save };
  // `fallbackSuffix`: the extension a save adds while a filter of every
  // file is chosen (none when empty).
  ProgramFileDialog(QWidget* parent, Kind kind, const QString& caption, std::vector<FileFilter> filters,
                    const QString& fallbackSuffix = {});

  // The index in the filters of the one chosen (0 when none is).
  int chosenFilter() const;
  void chooseFilter(int index);
  // The chosen file, empty when there is none.
  QString chosenFile() const;

 protected:
  void accept() override;

 private:
  std::vector<FileFilter> filters_;
  QStringList qtFilters_;
  QString fallbackSuffix_;
};

}  // namespace poronka::ui
