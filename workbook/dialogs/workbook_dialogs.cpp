#include "workbook/dialogs/workbook_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QListWidget>
#include <QUrl>

namespace agrimor {

FileDialogs FileDialogs::system() {
    FileDialogs dialogs;
    dialogs.open = [](QWidget* parent, const QString& folder, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, {}, folder, filter, nullptr,
                                            QFileDialog::ReadOnly);
    };
    dialogs.save = [](QWidget* parent, const QString& folder, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, {}, folder, filter);
    };
    dialogs.openWithDefaultApplication = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return dialogs;
}

void FileChoice::remember(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return;
    folder = path.left(slash + 1);
    fileName = path.mid(slash + 1);
}

QString chooseWorkbook(QWidget* parent, FileChoice& choice, const FileDialogs& dialogs) {
    const QString path = dialogs.open
                             ? dialogs.open(parent, choice.folder, QStringLiteral("Excel (*.xls*)"))
                             : QString();
    if (!path.isEmpty())
        choice.remember(path);
    return path;
}

void fillSheetList(QListWidget* list, const QStringList& sheets) {
    list->clear();
    list->addItems(sheets);
    list->setCurrentRow(-1);
    if (!sheets.isEmpty())
        list->setCurrentRow(0);
}

}  // namespace agrimor
