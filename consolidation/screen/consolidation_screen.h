#pragma once

#include <QDateTime>
#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "consolidation/consolidation_commands.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace agrimor {

class DataAccess;
class Prompter;
class RateGridView;

// The consolidation screen: the tab control BasesTab with the processing tab ("Processamento":
// period, companies, run, check-up, cancellation, rates import) and one tab per company of the
// group with its settings row of zeb_CNS_DadosIniciais and the rate grid of its currency.
//
// The processing commands call runConsolidation, runCheckUp and runCancellation with the shared
// connection, the prompter, the data folder and the clock; the run rebuilds the processing tab
// afterwards. A company tab shows the stored settings each time it is selected; "Confirmar"
// stores the settings row (created when missing, an empty series as "0") and then the rate grid,
// unless a changed grid row has a date and no rate (the settings are stored all the same);
// "Cancelar" reloads them. A database error while loading or storing is shown and the screen
// stays as it was. Every message goes through the prompter.
//
// Input fields are named as the array they belong to: campo0 the year, campo<i*10+k> field k of
// company i (1 Setor, 2 TpDoc, 3 Serie, 4 UltimoMes, 5 Moeda, 6 ContaArred).
class ConsolidationScreen : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCompanies = 6;

    enum Field { Setor = 1, TpDoc, Serie, UltimoMes, Moeda, ContaArred };

    ConsolidationScreen(DataAccess& shared, Prompter& prompter, QString dataFolder,
                        QWidget* parent = nullptr);

    // The clock for the processing tab's year and month, today's dates and the anomalies files.
    void setClock(std::function<QDateTime()> clock);
    // How the screens opened from here (rates import, connection parameters) are shown: modally
    // by default; tests look at them instead.
    void setDialogRunner(std::function<void(QDialog&)> run) { runDialog_ = std::move(run); }
    // Makes the screen "Câmbios" opens, over `parent`. The rate import is another job's screen,
    // so the program's wiring hands it in; without one the button does nothing.
    using ScreenFactory = std::function<std::unique_ptr<QDialog>(QWidget* parent)>;
    void setRateImport(ScreenFactory make) { makeRateImport_ = std::move(make); }

    QTabWidget* tabs() const { return tabs_; }
    QLineEdit* yearField() const { return year_; }
    QComboBox* monthList() const { return month_; }
    // Company check box `bd` (1..6) of the processing tab.
    QCheckBox* companyCheck(int bd) const;
    QLineEdit* field(int bd, Field field) const;
    QDateEdit* dataMov(int bd) const;
    QCheckBox* ateMes(int bd) const;
    RateGridView* rateGrid(int bd) const;

    // Rebuilds the processing tab: this year and month, no company ticked.
    void clearProcessingTab();
    // Fills company tab `bd` from its settings row, and its grid from the rates of its currency.
    void readCompany(int bd);

    void runConsolidationCommand();  // btProcessar
    void runCheckUpCommand();        // btCheckUp
    void runCancellationCommand();   // btAnular
    void openRateImport();           // btCambios
    void confirmCompany(int bd);     // btConfirmar
    void cancelCompany(int bd);      // btCancelar
    void openParameters(int bd);     // btParametros

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct CompanyPanel {
        std::array<QLineEdit*, 7> fields{};  // by Field; 0 unused
        QDateEdit* dataMov = nullptr;
        QCheckBox* ateMes = nullptr;
        RateGridView* grid = nullptr;
        QString gridCurrency;  // the currency the grid holds
    };

    QWidget* buildProcessingTab();
    QWidget* buildCompanyTab(int bd);
    void tabChanged(int index);
    void currencyEntered(int bd);
    void showGrid(int bd, const QString& currency);
    ProcessingInput processingInput() const;
    void runCommand(CommandResult (*command)(ConsolidationEnvironment&, const ProcessingInput&));
    const CompanyPanel& panel(int bd) const { return panels_.at(static_cast<std::size_t>(bd)); }
    CompanyPanel& panel(int bd) { return panels_.at(static_cast<std::size_t>(bd)); }

    DataAccess& shared_;
    Prompter& prompter_;
    QString dataFolder_;
    std::function<QDateTime()> clock_ = [] { return QDateTime::currentDateTime(); };
    std::function<void(QDialog&)> runDialog_ = [](QDialog& dialog) { dialog.exec(); };
    ScreenFactory makeRateImport_;

    QTabWidget* tabs_ = nullptr;
    QLineEdit* year_ = nullptr;
    QComboBox* month_ = nullptr;
    QWidget* checkArea_ = nullptr;
    std::array<QCheckBox*, kCompanies + 1> checks_{};  // 0: the hidden template
    QPushButton* btProcessar_ = nullptr;
    std::array<CompanyPanel, kCompanies + 1> panels_{};  // 0 unused
    int selectedTab_ = 0;
    QString selectedCaption_;
};

}  // namespace agrimor
