#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "movimport/import_checkup.h"
#include "movimport/import_tables.h"
#include "workbook/dialogs/workbook_dialogs.h"

class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;

namespace agrimor {

class AnomalyRowsModel;
class DataAccess;
class Prompter;
struct ImportTotals;

// The movement import screen: choose the company (cb1) and the workbook (btFx: its first sheet is
// read into the grid), review and edit the lines, and confirm (btConf): the check-up and, after the
// totals and a question, the writing in one transaction on the company's database. A check-up with
// anomalies shades the lines they point at and lists them below the grid; choosing one selects
// its line. btCancelar clears the screen, btParametros opens the company's connection parameters,
// btSair closes the window. Every message goes through the prompter; the file dialog through
// `dialogs`.
//
// The window is not modal. Its grid and buttons follow its size: the grid from 1700 twips down to
// 800 twips above the bottom, the confirm, cancel and leave buttons 400 twips above the bottom and
// btParametros at the right, 600 twips above it.
class MovementImportScreen : public QWidget {
    Q_OBJECT
public:
    // `companies`: the group's companies in their order (a company's position plus one is its
    // number); `dataFolder`: where the anomalies files go.
    MovementImportScreen(DataAccess& shared, Prompter& prompter, QStringList companies,
                         QString dataFolder, FileDialogs dialogs = FileDialogs::system(),
                         QWidget* parent = nullptr);
    ~MovementImportScreen() override;

    // The clock for the anomalies files' names and the written lines' dates.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
    // How the dialogs opened from here (connection parameters, totals) are shown: modally by
    // default; tests look at them instead.
    void setDialogRunner(std::function<void(QDialog&)> run) { runDialog_ = std::move(run); }

    QLabel* titleLabel() const { return title_; }
    QComboBox* companyList() const { return cb1_; }
    QLineEdit* fileField() const { return file_; }
    QListWidget* sheetList() const { return sheets_; }
    QTableView* grid() const { return grid_; }
    QListWidget* anomalyList() const { return anomalies_; }
    QProgressBar* progressBar() const { return pb_; }
    QPushButton* button(const QString& name) const;
    ImportLinesTable& lines() { return lines_; }
    const AnomalyRowsModel& gridModel() const { return *shaded_; }
    // The chosen company's database; null when it could not be opened.
    DataAccess* company() const { return company_.get(); }

    void selectCompany();                  // cb1_Click
    void chooseFile();                     // btFx
    void readSheet(const QString& sheet);  // the sheet named in the list, from the chosen file
    void confirm();                        // btConf
    void clearForm();                      // LimparForm, btCancelar
    void openParameters();                 // btParametros
    // Selects the line (or first line of the document) of anomaly `index` in the grid.
    void showAnomaly(int index);

signals:
    // The window was closed (btSair or its frame).
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;  // Form_Resize
    void closeEvent(QCloseEvent* event) override;

private:
    void applyGridColumns();  // Act_Grelha, Act_Grelha_Campos
    // Empties the lines, documents and anomalies and hides the grid: nothing to confirm.
    void dropLines();
    void showAnomalies(const std::vector<ImportAnomaly>& anomalies);
    void showTotals(const ImportTotals& totals);
    void progress(int done, int total);
    QString companyName() const;

    DataAccess& shared_;
    Prompter& prompter_;
    QStringList companies_;
    QString dataFolder_;
    FileDialogs dialogs_;
    FileChoice choice_;
    std::function<QDateTime()> clock_;
    std::function<void(QDialog&)> runDialog_;
    std::unique_ptr<DataAccess> company_;
    ImportLinesTable lines_;
    ImportDocumentsTable documents_;
    std::vector<ImportAnomaly> shown_;

    QLabel* title_ = nullptr;
    QLabel* companyLabel_ = nullptr;
    QComboBox* cb1_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QLineEdit* file_ = nullptr;
    QPushButton* btFx_ = nullptr;
    QListWidget* sheets_ = nullptr;
    QProgressBar* pb_ = nullptr;
    QSplitter* splitter_ = nullptr;  // the grid above, the anomaly list below
    QTableView* grid_ = nullptr;
    AnomalyRowsModel* shaded_ = nullptr;
    QListWidget* anomalies_ = nullptr;
    QPushButton* btParametros_ = nullptr;
    QPushButton* btConf_ = nullptr;
    QPushButton* btCancelar_ = nullptr;
    QPushButton* btSair_ = nullptr;
};

}  // namespace agrimor
