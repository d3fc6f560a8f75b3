#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QListWidget;
class QWidget;

namespace agrimor {

// The file dialogs and the desktop's "open with", as the screens use them. Tests replace them.
struct FileDialogs {
    // Returns the chosen path, or "" when the user cancels.
    using Chooser =
        std::function<QString(QWidget* parent, const QString& folder, const QString& filter)>;
    Chooser open;
    Chooser save;
    // Opens a file with the desktop's default application for it; false when that fails.
    std::function<bool(const QString& path)> openWithDefaultApplication;

    // QFileDialog and QDesktopServices (xdg-open on Linux).
    static FileDialogs system();
};

// The remembered folder and file name of the workbook chooser, kept while its screen is open.
struct FileChoice {
    QString folder;    // ends with the separator; empty at first
    QString fileName;  // without its folder

    // Remembers the folder and name of `path`; a path without a folder changes nothing.
    void remember(const QString& path);
};

// The workbook file chooser: an open dialog filtered on "Excel (*.xls*)" that starts in the
// remembered folder. Returns the chosen full path, or "" when cancelled (the remembered folder
// and name then keep their values).
QString chooseWorkbook(QWidget* parent, FileChoice& choice, const FileDialogs& dialogs);

// Fills a sheet list with the sheet names in workbook order and selects the first one (none when
// the list is empty).
void fillSheetList(QListWidget* list, const QStringList& sheets);

}  // namespace agrimor
