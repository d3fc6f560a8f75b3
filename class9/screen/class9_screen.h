#pragma once

#include <QDateTime>
#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "class9/class9_commands.h"
#include "core/anomaly_list.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;

namespace agrimor {

class AccountDelegate;
class DataAccess;
class Prompter;

// The class-9 integration screen: choose the company, type the year and the class-9 document
// type, series and journal, choose the month, load ("Carregar"), review and correct the class-9
// accounts in the grid, and confirm ("Confirmar").
//
// Choosing a company reads its connection parameters (a company without them is told so and
// cannot be loaded), opens its database and fills the type, series and journal from its stored
// class-9 settings. Loading and confirming call loadClass9 and confirmClass9 with the screen's
// state; the grid shows the working set with the class-9 column editable, each change checked
// against the year's chart (the lookup button lists the year's class-9 accounts). Clearing
// (after every confirmation, and "Cancelar") starts over from the first company and the current
// year and month. Every message goes through the prompter.
//
// Fields: campo0 year, campo1 type, campo2 series, campo3 journal; cb1_0 the month list, cb1_1
// the company list; labels Tit0..Tit5.
class Class9Screen : public QDialog {
    Q_OBJECT
public:
    enum FieldIndex { Ano = 0, TipoDoc = 1, Serie = 2, Diario = 3 };

    Class9Screen(DataAccess& shared, Prompter& prompter, QWidget* parent = nullptr);
    ~Class9Screen() override;

    // The clock for the current year and month; set before clearing to take effect.
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
    // How the screens opened from here (connection parameters, the account lookup list) are
    // shown: modally by default; tests drive them instead.
    void setDialogRunner(std::function<void(QDialog&)> run) { runDialog_ = std::move(run); }

    QComboBox* companyList() const { return companies_; }
    QComboBox* monthList() const { return months_; }
    QLineEdit* field(FieldIndex index) const { return fields_.at(index); }
    QLabel* title() const { return title_; }
    QTableView* grid() const { return grid_; }
    QProgressBar* progressBar() const { return progress_; }
    QPushButton* loadButton() const { return btCarga_; }
    Class9State& state() { return state_; }
    // The database of the chosen company; null when it could not be opened.
    DataAccess* companyDatabase() const { return company_.get(); }

    void clearForm();                  // LimparForm
    void selectCompany(int position);  // cb1_Click, company list
    void openParameters();             // btParametros
    void load();                       // btCarga
    void confirm();                    // btConf

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Class9Input input() const;
    void showGrid();
    void applyColumns();  // Act_Grelha_Campos
    bool acceptAccount(const QString& typed);
    QString lookUpAccount();

    DataAccess& shared_;
    Prompter& prompter_;
    std::function<QDateTime()> clock_ = [] { return QDateTime::currentDateTime(); };
    std::function<void(QDialog&)> runDialog_ = [](QDialog& dialog) { dialog.exec(); };

    Class9State state_;
    std::unique_ptr<DataAccess> company_;
    bool parametersFound_ = false;
    AnomalyList anomalies_;  // what opening the company database reported

    QLabel* title_ = nullptr;
    QComboBox* companies_ = nullptr;
    QComboBox* months_ = nullptr;
    std::array<QLineEdit*, 4> fields_{};
    QPushButton* btCarga_ = nullptr;
    QTableView* grid_ = nullptr;
    AccountDelegate* accounts_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

}  // namespace agrimor
