#include "class9/screen/class9_screen.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "class9/class9_accounts.h"
#include "class9/class9_settings.h"
#include "class9/screen/account_delegate.h"
#include "class9/screen/account_lookup.h"
#include "core/companies.h"
#include "core/company_opening.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "data/company_connection.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "ui/busy_prompter.h"
#include "ui/controls.h"
#include "ui/focus_navigation.h"
#include "ui/parameters_screen.h"
#include "ui/twips.h"

namespace agrimor {

namespace {

using W = Class9WorkingSet;

const QString kTitle = QStringLiteral("Integração Movimentos Classe 9");

const QStringList& monthNames() {
    static const QStringList names{
        QStringLiteral("Janeiro"), QStringLiteral("Fevereiro"), QStringLiteral("Março"),
        QStringLiteral("Abril"),   QStringLiteral("Maio"),      QStringLiteral("Junho"),
        QStringLiteral("Julho"),   QStringLiteral("Agosto"),    QStringLiteral("Setembro"),
        QStringLiteral("Outubro"), QStringLiteral("Novembro"),  QStringLiteral("Dezembro"),
    };
    return names;
}

// The grid's columns in the working set's order: caption, width in twips, hidden.
struct GridColumn {
    const char* caption;
    int width;
    bool hidden;
};

constexpr GridColumn kColumns[W::ColumnCount] = {
    {"Conta Geral", 1500, false}, {"Conta Classe9", 1500, false}, {"Doc", 2000, false},
    {"Data", 1200, false},        {"Valor", 1000, false},         {"Sinal", 700, false},
    {"Descritivo", 3000, false},  {"Referência", 2500, false},    {"Setor", 1000, false},
    {"Rubrica", 1000, false},     {"C.Custo", 1000, false},       {"Custeio", 1000, false},
    {"TpDoc", 1000, true},        {"Serie", 1000, true},          {"NumDoc", 1000, true},
    {"NumLinha", 1000, true},
};

}  // namespace

Class9Screen::Class9Screen(DataAccess& shared, Prompter& prompter, QWidget* parent)
    : QDialog(parent), shared_(shared), prompter_(prompter) {
    setObjectName(QStringLiteral("frmMovClasse9"));
    setWindowTitle(kTitle);
    setFont(QFont(QStringLiteral("Verdana"), 9));

    auto* layout = new QVBoxLayout(this);
    title_ = new QLabel(kTitle, this);
    title_->setObjectName(QStringLiteral("titulo"));
    title_->setFont(QFont(QStringLiteral("Verdana"), 14, QFont::Bold));
    title_->setAlignment(Qt::AlignCenter);
    layout->addWidget(title_);

    auto* top = new QHBoxLayout;
    auto* form = new QGridLayout;
    const auto label = [&](int index, const QString& text, QWidget* buddy) {
        auto* tit = new QLabel(text, this);
        tit->setObjectName(QStringLiteral("Tit%1").arg(index));
        tit->setBuddy(buddy);
        return tit;
    };
    const auto field = [&](int index, const QString& tip, int maxLength) {
        QLineEdit* edit = makeField(this, index, tip, maxLength);
        fields_.at(static_cast<std::size_t>(index)) = edit;
        return edit;
    };
    companies_ = new QComboBox(this);
    companies_->setObjectName(QStringLiteral("cb1_1"));
    companies_->setToolTip(QStringLiteral("Empresa."));
    companies_->setMinimumWidth(200);
    moveBackOnEscape(companies_);
    months_ = new QComboBox(this);
    months_->setObjectName(QStringLiteral("cb1_0"));
    months_->setToolTip(QStringLiteral("Mês."));
    months_->setMinimumWidth(140);
    moveBackOnEscape(months_);
    // Widths of the columns the values end in: the year, MovCTB's TpDoc, Serie and Diario.
    QLineEdit* year = field(Ano, QStringLiteral("Ano."), 4);
    QLineEdit* type = field(TipoDoc, QStringLiteral("Tipo Documento."), W::kTpDocWidth);
    QLineEdit* serie = field(Serie, QStringLiteral("Série."), W::kSerieWidth);
    QLineEdit* journal = field(Diario, QStringLiteral("Diário."), 3);
    for (QLineEdit* short_ : {year, type, journal})
        short_->setMaximumWidth(80);
    serie->setMaximumWidth(140);

    form->addWidget(label(0, QStringLiteral("Empresa"), companies_), 0, 0);
    form->addWidget(companies_, 0, 1, Qt::AlignLeft);
    form->addWidget(label(1, QStringLiteral("Ano"), year), 1, 0);
    form->addWidget(year, 1, 1, Qt::AlignLeft);
    form->addWidget(label(2, QStringLiteral("Mês"), months_), 2, 0);
    form->addWidget(months_, 2, 1, Qt::AlignLeft);
    form->addWidget(label(3, QStringLiteral("Tipo Doc."), type), 0, 2);
    form->addWidget(type, 0, 3, Qt::AlignLeft);
    form->addWidget(label(4, QStringLiteral("Série"), serie), 1, 2);
    form->addWidget(serie, 1, 3, Qt::AlignLeft);
    form->addWidget(label(5, QStringLiteral("Diário"), journal), 2, 2);
    form->addWidget(journal, 2, 3, Qt::AlignLeft);
    form->setColumnStretch(4, 1);
    top->addLayout(form, 1);

    auto* buttons = new QVBoxLayout;
    QPushButton* parameters =
        makeButton(this, QStringLiteral("btParametros"), QStringLiteral("&Parâmetros"),
                   QStringLiteral("Parâmetros Empresa."));
    btCarga_ = makeButton(this, QStringLiteral("btCarga"), QStringLiteral("&Carregar"),
                          QStringLiteral("Carrega a informação."));
    QPushButton* confirm = makeButton(this, QStringLiteral("btConf"), QStringLiteral("&Confirmar"),
                                      QStringLiteral("Confirmar."));
    QPushButton* cancel = makeButton(this, QStringLiteral("btCancelar"),
                                     QStringLiteral("C&ancelar"), QStringLiteral("Cancelar."));
    QPushButton* leave = makeButton(this, QStringLiteral("btSair"), QStringLiteral("&Sair"),
                                    QStringLiteral("Abandonar."));
    for (QPushButton* button : {parameters, btCarga_, confirm, cancel, leave}) {
        button->setMinimumWidth(120);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    top->addLayout(buttons);
    layout->addLayout(top);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("Grelha"));
    grid_->setModel(&state_.set());
    state_.set().setEditable(true);  // the class-9 column only (Class9WorkingSet::flags)
    state_.set().setDisplayDecimals(W::Valor, 2);
    for (int column = 0; column < W::ColumnCount; ++column)
        state_.set().setCaption(column, QString::fromUtf8(kColumns[column].caption));
    accounts_ = new AccountDelegate([this](const QString& typed) { return acceptAccount(typed); },
                                    [this] { return lookUpAccount(); }, grid_);
    grid_->setItemDelegateForColumn(W::Classe9, accounts_);
    grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(accounts_, &AccountDelegate::refused, grid_, [this] { grid_->setFocus(); });
    // Act_Grelha: the grid's look.
    const QFont gridFont(QStringLiteral("Verdana"), 8);
    grid_->setFont(gridFont);
    grid_->horizontalHeader()->setFont(gridFont);
    grid_->verticalHeader()->setDefaultSectionSize(QFontMetrics(gridFont).height() + 6);
    layout->addWidget(grid_, 1);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("pb"));
    layout->addWidget(progress_);

    connect(companies_, &QComboBox::currentIndexChanged, this,
            [this](int position) { selectCompany(position); });
    connect(parameters, &QPushButton::clicked, this, &Class9Screen::openParameters);
    connect(btCarga_, &QPushButton::clicked, this, &Class9Screen::load);
    connect(confirm, &QPushButton::clicked, this, &Class9Screen::confirm);
    connect(cancel, &QPushButton::clicked, this, &Class9Screen::clearForm);
    connect(leave, &QPushButton::clicked, this, &QWidget::close);

    // Form_Load: the lists, then a clear screen.
    {
        const QSignalBlocker blocker(companies_);
        companies_->addItems(groupCompanyNames());
    }
    months_->addItems(monthNames());
    months_->setCurrentIndex(clock_().date().month() - 1);
    clearForm();
    resize(1000, 640);
}

Class9Screen::~Class9Screen() = default;

void Class9Screen::clearForm() {
    const QDate today = clock_().date();
    fields_[Ano]->setText(QString::number(today.year()));
    grid_->hide();
    state_.loaded = false;
    for (const FieldIndex index : {TipoDoc, Serie, Diario})
        fields_.at(index)->clear();
    {
        const QSignalBlocker blocker(companies_);
        companies_->setCurrentIndex(0);
    }
    selectCompany(0);
    months_->setCurrentIndex(today.month() - 1);
    progress_->hide();
}

void Class9Screen::selectCompany(int position) {
    if (position < 0)
        return;
    const QString name = companies_->itemText(position);
    const int bd = position + 1;
    parametersFound_ = false;
    company_.reset();
    anomalies_.clear();
    CompanyParameters parameters;
    try {
        parameters = readCompanyParameters(shared_, bd);
    } catch (const DbError& error) {
        inform(prompter_, error.message());
    }
    if (parameters.found) {
        parametersFound_ = true;
        company_ =
            connectCompany(shared_, parameters, CompanyOpenFailureReport::toAnomalies(anomalies_));
        try {
            const Class9Settings settings = readClass9Settings(shared_, bd);
            fields_[TipoDoc]->setText(settings.tpDoc);
            fields_[Serie]->setText(settings.serie);
            fields_[Diario]->setText(settings.diario);
        } catch (const DbError& error) {
            inform(prompter_, error.message());
        }
        btCarga_->setEnabled(true);
    } else {
        inform(prompter_, companyParametersMissing(name));
        btCarga_->setEnabled(false);
    }
    const QString title = kTitle + QStringLiteral(" --- ") + name;
    title_->setText(title);
    setWindowTitle(title);
}

void Class9Screen::openParameters() {
    ParametersScreen parameters(shared_, prompter_, this);
    parameters.setBd(companies_->currentIndex() + 1);
    parameters.setTitle(companies_->currentText());
    parameters.readParameters();
    runDialog_(parameters);
}

Class9Input Class9Screen::input() const {
    Class9Input input;
    if (companies_->currentIndex() >= 0) {
        input.bd = companies_->currentIndex() + 1;
        input.companyName = companies_->currentText();
    }
    input.yearText = fields_[Ano]->text();
    input.month = months_->currentIndex() >= 0 ? months_->currentIndex() + 1 : 0;
    input.tpDoc = fields_[TipoDoc]->text();
    input.serie = fields_[Serie]->text();
    input.diario = fields_[Diario]->text();
    return input;
}

void Class9Screen::load() {
    const Class9Input typed = input();
    {
        BusyPrompter busy(prompter_);
        Class9Environment environment{shared_, company_.get(), busy};
        try {
            if (loadClass9(environment, typed, state_) == Class9Outcome::Done) {
                showGrid();
                return;
            }
        } catch (const std::exception& error) {
            // The command reports its own failures; this is the last resort.
            state_.loaded = false;
            titledMessage(busy, errorText(error), 2);
        }
    }
    if (state_.set().size() == 0)
        grid_->hide();
}

void Class9Screen::showGrid() {
    grid_->show();
    applyColumns();
    grid_->reset();
    grid_->setCurrentIndex(state_.set().index(0, W::Classe9));
}

void Class9Screen::applyColumns() {
    for (int column = 0; column < W::ColumnCount; ++column) {
        grid_->setColumnWidth(column, twipsToPixels(kColumns[column].width));
        grid_->setColumnHidden(column, kColumns[column].hidden);
    }
    // Reloaded lines carry their class-9 account as their general one: not shown twice.
    grid_->setColumnHidden(W::ContaG, state_.mode == Class9LoadMode::Reloaded);
}

void Class9Screen::confirm() {
    const Class9Input typed = input();
    Class9Outcome outcome = Class9Outcome::NothingToDo;
    {
        BusyPrompter busy(prompter_);
        Class9Environment environment{shared_, company_.get(), busy};
        const auto progress = [this](int value, int maximum) {
            progress_->setRange(0, maximum);
            progress_->setValue(value);
            progress_->show();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        };
        try {
            outcome = confirmClass9(environment, typed, state_, progress).outcome;
        } catch (const std::exception& error) {
            state_.loaded = false;
            titledMessage(busy, errorText(error), 2);
            outcome = Class9Outcome::Failed;
        }
    }
    if (outcome == Class9Outcome::Done || outcome == Class9Outcome::Failed)
        clearForm();
}

bool Class9Screen::acceptAccount(const QString& typed) {
    if (!company_) {
        inform(prompter_, kCompanyParametersIncorrect);
        return false;
    }
    try {
        return validateClass9Account(*company_, prompter_, fields_[Ano]->text(), typed);
    } catch (const std::exception& error) {
        titledMessage(prompter_, errorText(error), 2);
        return false;
    }
}

QString Class9Screen::lookUpAccount() {
    if (!company_) {
        inform(prompter_, kCompanyParametersIncorrect);
        return {};
    }
    std::vector<Class9Account> accounts;
    try {
        accounts = listClass9Accounts(*company_, fields_[Ano]->text());
    } catch (const std::exception& error) {
        titledMessage(prompter_, errorText(error), 2);
        return {};
    }
    AccountLookup lookup(accounts, this);
    runDialog_(lookup);
    return lookup.chosen();
}

void Class9Screen::keyPressEvent(QKeyEvent* event) {
    // Esc moves back from a field; elsewhere it does nothing, the screen closes with "Sair".
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace agrimor
