#pragma once

#include <QDialog>
#include <QString>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace agrimor {

class DataAccess;
class Prompter;
struct CompanyParameters;

// The connection parameters of one company: edits its row of zeb_CNS_Parametros and tests the
// connection before storing it.
//
// The opener creates the screen, sets the company number and the title (the company's name as
// the opener shows it), calls readParameters() and shows it modally. Fields campo0..campo3 hold
// Servidor, Utilizador, Password (masked unless "Mostrar" is ticked) and Empresa. Confirm
// (btConfirmar) tests the connection and stores the four values as typed; the screen stays open.
// Check (btVerificar) checks, with the values as typed, that the company database opens and holds
// the ERP tables and columns the program needs (ledger/server_check.h), one line per check; nothing
// is stored. Leave (btSair) hides it. Every message goes through the prompter.
class ParametersScreen : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFields = 4;

    ParametersScreen(DataAccess& shared, Prompter& prompter, QWidget* parent = nullptr);

    void setBd(int bd) { bd_ = bd; }
    int bd() const { return bd_; }
    // Shown in the title label.
    void setTitle(const QString& title);

    // Fills the fields from the company's stored row; empty fields when it has none. A failure of
    // the shared database is shown and leaves the fields empty.
    void readParameters();

    QLineEdit* field(int index) const { return fields_.at(static_cast<size_t>(index)); }

private:
    void confirm();
    void check();
    CompanyParameters typedParameters() const;

    DataAccess& shared_;
    Prompter& prompter_;
    int bd_ = 0;
    std::array<QLineEdit*, kFields> fields_{};
    QLabel* title_ = nullptr;
    QCheckBox* showPassword_ = nullptr;
    QPushButton* confirm_ = nullptr;
    QPushButton* check_ = nullptr;
    QPushButton* leave_ = nullptr;
};

}  // namespace agrimor
