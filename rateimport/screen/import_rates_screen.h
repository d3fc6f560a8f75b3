#pragma once

#include <QDialog>

#include "rateimport/rates_table.h"
#include "workbook/dialogs/workbook_dialogs.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;

namespace agrimor {

class DataAccess;
class GridPreview;
class Prompter;

// The exchange-rate import screen: chooses a workbook (btFx), reads its first sheet's rates into
// the grid, stores them in zeb_CNS_Cambios on confirmation (btConf) in one transaction on the
// shared connection, exports the grid to Excel (btExcel) and toggles a print preview over it
// (btImp). Every message goes through the prompter; the dialogs through `dialogs`.
class RateImportScreen : public QDialog {
    Q_OBJECT
public:
    RateImportScreen(DataAccess& shared, Prompter& prompter,
                     FileDialogs dialogs = FileDialogs::system(), QWidget* parent = nullptr);

    QLineEdit* fileField() const { return file_; }
    QTableView* grid() const { return grid_; }
    GridPreview* viewer() const { return viewer_; }
    QListWidget* sheetList() const { return sheets_; }
    const RatesTable& rates() const { return rates_; }
    const FileChoice& fileChoice() const { return choice_; }

    void chooseFile();     // btFx
    void confirm();        // btConf
    void clearForm();      // LimparForm, btCancelar
    void exportToExcel();  // btExcel
    void togglePrint();    // btImp

private:
    void bindGrid();
    void setButtonsEnabled(bool enabled);

    DataAccess& shared_;
    Prompter& prompter_;
    FileDialogs dialogs_;
    FileChoice choice_;
    RatesTable rates_;

    QLineEdit* file_ = nullptr;
    QLabel* title_ = nullptr;
    QListWidget* sheets_ = nullptr;
    QTableView* grid_ = nullptr;
    GridPreview* viewer_ = nullptr;
    QPushButton* btFx_ = nullptr;
    QPushButton* btConf_ = nullptr;
    QPushButton* btCancelar_ = nullptr;
    QPushButton* btImp_ = nullptr;
    QPushButton* btExcel_ = nullptr;
    QPushButton* btSair_ = nullptr;
};

}  // namespace agrimor
