#include "ui/parameters_screen.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/error_text.h"
#include "core/message_box.h"
#include "data/company_connection.h"
#include "data/error.h"
#include "ledger/server_check.h"
#include "ui/controls.h"
#include "ui/wait_cursor.h"

namespace agrimor {

namespace {

constexpr int kServer = 0;
constexpr int kUser = 1;
constexpr int kPassword = 2;
constexpr int kDatabase = 3;

const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

ParametersScreen::ParametersScreen(DataAccess& shared, Prompter& prompter, QWidget* parent)
    : QDialog(parent), shared_(shared), prompter_(prompter) {
    setObjectName(QStringLiteral("frmParametros"));
    setWindowTitle(QStringLiteral("Parâmetros Empresa."));

    auto* grid = new QGridLayout(this);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("titulo4"));
    grid->addWidget(title_, 0, 0, 1, 3);

    // Created in tab order: the fields, the reveal box, then the buttons, so Esc in a field
    // steps back to the field above it.
    const std::array<QString, kFields> captions = {
        QStringLiteral("Servidor"), QStringLiteral("Utilizador"), QStringLiteral("Password"),
        QStringLiteral("Empresa")};
    for (int i = 0; i < kFields; ++i) {
        auto* label = new QLabel(captions[static_cast<size_t>(i)], this);
        label->setObjectName(QStringLiteral("titulo%1").arg(i));
        QLineEdit* edit = makeField(this, i, {}, kCompanyParameterLength);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 24);
        label->setBuddy(edit);
        grid->addWidget(label, i + 1, 0);
        grid->addWidget(edit, i + 1, 1);
        fields_[static_cast<size_t>(i)] = edit;
    }
    field(kPassword)->setEchoMode(QLineEdit::Password);

    showPassword_ = new QCheckBox(QStringLiteral("Mostrar"), this);
    showPassword_->setObjectName(QStringLiteral("mostrarPassword"));
    showPassword_->setToolTip(QStringLiteral("Mostrar a password digitada"));
    grid->addWidget(showPassword_, kPassword + 1, 2);
    connect(showPassword_, &QCheckBox::toggled, this, [this](bool shown) {
        field(kPassword)->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    });

    confirm_ = makeButton(this, QStringLiteral("btConfirmar"), QStringLiteral("&Confirmar"),
                          QStringLiteral("Confirmar a informação digitada"));
    check_ = makeButton(this, QStringLiteral("btVerificar"), QStringLiteral("&Verificar"),
                        QStringLiteral("Verificar a base de dados da empresa sem a alterar"));
    leave_ = makeButton(this, QStringLiteral("btSair"), QStringLiteral("&Sair"),
                        QStringLiteral("Abandonar."));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(check_);
    buttons->addWidget(leave_);
    grid->addLayout(buttons, kFields + 1, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(confirm_, &QPushButton::clicked, this, &ParametersScreen::confirm);
    connect(check_, &QPushButton::clicked, this, &ParametersScreen::check);
    connect(leave_, &QPushButton::clicked, this, &QDialog::reject);
}

void ParametersScreen::setTitle(const QString& title) {
    title_->setText(title);
}

void ParametersScreen::readParameters() {
    CompanyParameters stored;
    try {
        stored = readCompanyParameters(shared_, bd_);
    } catch (const Error& error) {
        inform(prompter_, QStringLiteral("Erro: ") + errorText(error));
    }
    field(kServer)->setText(stored.server);
    field(kUser)->setText(stored.user);
    field(kPassword)->setText(stored.password);
    field(kDatabase)->setText(stored.database);
}

CompanyParameters ParametersScreen::typedParameters() const {
    CompanyParameters typed;
    typed.server = field(kServer)->text();
    typed.user = field(kUser)->text();
    typed.password = field(kPassword)->text();
    typed.database = field(kDatabase)->text();
    return typed;
}

void ParametersScreen::confirm() {
    const CompanyParameters typed = typedParameters();
    if (typed.isEmpty()) {
        inform(prompter_, QStringLiteral("Parâmetros não preenchidos!"));
        return;
    }

    try {
        WaitCursor wait;
        testCompanyConnection(shared_, typed);
    } catch (const Error&) {
        inform(prompter_, QStringLiteral("Não foi possivel abrir a Empresa indicada !") + kCrLf +
                              QStringLiteral(" Servidor =") + typed.server + kCrLf +
                              QStringLiteral(" Empresa =") + typed.database);
        return;
    }

    try {
        WaitCursor wait;
        storeCompanyParameters(shared_, bd_, typed);
    } catch (const Error& error) {
        inform(prompter_, QStringLiteral("Erro: ") + errorText(error));
        return;
    }
    inform(prompter_, QStringLiteral("Parâmetros gravados e teste de ligação à Empresa efetuado!"));
}

void ParametersScreen::check() {
    const CompanyParameters typed = typedParameters();
    if (typed.isEmpty()) {
        inform(prompter_, QStringLiteral("Parâmetros não preenchidos!"));
        return;
    }
    ServerCheck serverCheck(shared_);
    {
        WaitCursor wait;
        serverCheck.checkCompany(bd_, typed);
    }
    QStringList lines;
    for (const CheckLine& line : serverCheck.lines())
        lines << line.text();
    inform(prompter_, lines.join(kCrLf));
}

}  // namespace agrimor
