#include "consolidation/screen/consolidation_screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "consolidation/company_tab_settings.h"
#include "consolidation/screen/rate_grid_widget.h"
#include "core/companies.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "data/currency.h"
#include "data/error.h"
#include "ui/busy_prompter.h"
#include "ui/controls.h"
#include "ui/focus_navigation.h"
#include "ui/parameters_screen.h"
#include "ui/twips.h"

namespace agrimor {

namespace {

// The company check boxes stand 400 twips apart.
constexpr int kCheckSpacing = twipsToPixels(400);

const QStringList& monthNames() {
    static const QStringList names{
        QStringLiteral("Janeiro"), QStringLiteral("Fevereiro"), QStringLiteral("Março"),
        QStringLiteral("Abril"),   QStringLiteral("Maio"),      QStringLiteral("Junho"),
        QStringLiteral("Julho"),   QStringLiteral("Agosto"),    QStringLiteral("Setembro"),
        QStringLiteral("Outubro"), QStringLiteral("Novembro"),  QStringLiteral("Dezembro"),
    };
    return names;
}

// The first company's tab caption is padded; every other use of a caption trims it.
QString tabCaption(int bd) {
    const QString name = groupCompanyNames().at(bd - 1);
    return bd == 1 ? QStringLiteral("   ") + name + QStringLiteral("   ") : name;
}

}  // namespace

ConsolidationScreen::ConsolidationScreen(DataAccess& shared, Prompter& prompter, QString dataFolder,
                                         QWidget* parent)
    : QDialog(parent), shared_(shared), prompter_(prompter), dataFolder_(std::move(dataFolder)) {
    setObjectName(QStringLiteral("frmAgrimor"));
    setWindowTitle(QStringLiteral("Agrimor"));
    setFont(QFont(QStringLiteral("Verdana"), 9));

    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Consolidação de Movimentos"), this);
    heading->setObjectName(QStringLiteral("Titulo"));
    QFont headingFont(QStringLiteral("Verdana"), 14, QFont::Bold);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("BasesTab"));
    tabs_->addTab(buildProcessingTab(), QStringLiteral("Processamento"));
    for (int bd = 1; bd <= kCompanies; ++bd)
        tabs_->addTab(buildCompanyTab(bd), tabCaption(bd));
    layout->addWidget(tabs_, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    QPushButton* sair = makeButton(this, QStringLiteral("btSair"), QStringLiteral("&Sair"),
                                   QStringLiteral("Abandonar."));
    bottom->addWidget(sair);
    layout->addLayout(bottom);
    connect(sair, &QPushButton::clicked, this, &QWidget::close);

    // Each selection loads its tab: company 1 once, then the processing tab is shown.
    connect(tabs_, &QTabWidget::currentChanged, this, &ConsolidationScreen::tabChanged);
    tabs_->setCurrentIndex(1);
    tabs_->setCurrentIndex(0);
    clearProcessingTab();

    resize(900, 620);
}

QWidget* ConsolidationScreen::buildProcessingTab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Panel0"));
    auto* grid = new QGridLayout(page);

    auto* yearLabel = new QLabel(QStringLiteral("Ano"), page);
    year_ = makeField(page, 0, QStringLiteral("Ano."), 4);
    year_->setMaximumWidth(80);
    yearLabel->setBuddy(year_);
    auto* monthLabel = new QLabel(QStringLiteral("Mês"), page);
    month_ = new QComboBox(page);
    month_->setObjectName(QStringLiteral("cb1"));
    month_->setToolTip(QStringLiteral("Mês."));
    month_->setMinimumWidth(140);
    moveBackOnEscape(month_);
    monthLabel->setBuddy(month_);
    grid->addWidget(yearLabel, 0, 0);
    grid->addWidget(year_, 0, 1, Qt::AlignLeft);
    grid->addWidget(monthLabel, 1, 0);
    grid->addWidget(month_, 1, 1, Qt::AlignLeft);

    checkArea_ = new QWidget(page);
    checkArea_->setObjectName(QStringLiteral("Empresas"));
    checkArea_->setMinimumSize(260, kCheckSpacing * (kCompanies + 1));
    checks_[0] = new QCheckBox(checkArea_);
    checks_[0]->setObjectName(QStringLiteral("Check1_0"));
    checks_[0]->hide();
    grid->addWidget(checkArea_, 2, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    btProcessar_ = makeButton(page, QStringLiteral("btProcessar"), QStringLiteral("&Integrar"),
                              QStringLiteral("Integração de movimentos."));
    QPushButton* checkUp =
        makeButton(page, QStringLiteral("btCheckUp"), QStringLiteral("&Check Up"),
                   QStringLiteral("Teste aos dados das Empresas."));
    QPushButton* anular = makeButton(page, QStringLiteral("btAnular"), QStringLiteral("&Anular"),
                                     QStringLiteral("Anular integração de movimentos."));
    QPushButton* cambios = makeButton(page, QStringLiteral("btCambios"), QStringLiteral("&Câmbios"),
                                      QStringLiteral("Importar Câmbios"));
    for (QPushButton* button : {btProcessar_, checkUp, anular, cambios}) {
        button->setMinimumWidth(140);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    connect(btProcessar_, &QPushButton::clicked, this,
            &ConsolidationScreen::runConsolidationCommand);
    connect(checkUp, &QPushButton::clicked, this, &ConsolidationScreen::runCheckUpCommand);
    connect(anular, &QPushButton::clicked, this, &ConsolidationScreen::runCancellationCommand);
    connect(cambios, &QPushButton::clicked, this, &ConsolidationScreen::openRateImport);
    return page;
}

QWidget* ConsolidationScreen::buildCompanyTab(int bd) {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Panel%1").arg(bd));
    CompanyPanel& p = panel(bd);
    auto* layout = new QHBoxLayout(page);
    auto* form = new QFormLayout;
    const auto addField = [&](Field k, const QString& label, const QString& tip, int maxLength) {
        QLineEdit* field = makeField(page, bd * 10 + k, tip, maxLength);
        p.fields[static_cast<std::size_t>(k)] = field;
        form->addRow(label, field);
    };
    // Widths follow the columns of zeb_CNS_DadosIniciais, so a typed value always fits.
    addField(Setor, QStringLiteral("Setor"), QStringLiteral("Setor."), 3);
    addField(TpDoc, QStringLiteral("Tipo Doc."), QStringLiteral("Tipo Documento."), 3);
    addField(Serie, QStringLiteral("Série"), QStringLiteral("Série."), 10);
    p.dataMov = new QDateEdit(QDate::currentDate(), page);
    p.dataMov->setObjectName(QStringLiteral("DataMov%1").arg(bd));
    p.dataMov->setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
    p.dataMov->setCalendarPopup(true);
    p.dataMov->setToolTip(QStringLiteral("Data do próximo processamento."));
    moveBackOnEscape(p.dataMov);
    form->addRow(QStringLiteral("Data Mov."), p.dataMov);
    addField(UltimoMes, QStringLiteral("Último Mês"), QStringLiteral("Último mês processado."), 20);
    addField(Moeda, QStringLiteral("Moeda"), QStringLiteral("Moeda."), 3);
    addField(ContaArred, QStringLiteral("Conta Arred."), QStringLiteral("Conta Arredondamento."),
             15);
    p.ateMes = new QCheckBox(QStringLiteral("Até Mês"), page);
    p.ateMes->setObjectName(QStringLiteral("Check2_%1").arg(bd - 1));
    p.ateMes->setToolTip(QStringLiteral("Tipo de período."));
    form->addRow(QString(), p.ateMes);

    auto* buttons = new QHBoxLayout;
    QPushButton* confirm =
        makeButton(page, QStringLiteral("btConfirmar%1").arg(bd), QStringLiteral("&Confirmar"),
                   QStringLiteral("Confirmar a informação digitada"));
    QPushButton* cancel = makeButton(page, QStringLiteral("btCancelar%1").arg(bd),
                                     QStringLiteral("&Cancelar"), QStringLiteral("Cancelar."));
    QPushButton* parameters =
        makeButton(page, QStringLiteral("btParametros%1").arg(bd), QStringLiteral("&Parâmetros"),
                   QStringLiteral("Parâmetros Empresa."));
    for (QPushButton* button : {confirm, cancel, parameters})
        buttons->addWidget(button);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addStretch(1);
    left->addLayout(buttons);
    layout->addLayout(left, 1);

    p.grid = new RateGridView(prompter_, page);
    p.grid->setObjectName(QStringLiteral("GrelhaCambio%1").arg(bd));
    p.grid->setToday([this] { return clock_().date(); });
    p.grid->setMinimumWidth(260);
    p.grid->setMaximumWidth(340);
    p.grid->hide();
    layout->addWidget(p.grid, 1);

    // The visual order: the fields, the grid, then the buttons.
    setTabOrder(p.ateMes, p.grid);
    setTabOrder(p.grid, confirm);

    connect(p.fields[Moeda], &QLineEdit::editingFinished, this,
            [this, bd] { currencyEntered(bd); });
    connect(confirm, &QPushButton::clicked, this, [this, bd] { confirmCompany(bd); });
    connect(cancel, &QPushButton::clicked, this, [this, bd] { cancelCompany(bd); });
    connect(parameters, &QPushButton::clicked, this, [this, bd] { openParameters(bd); });
    return page;
}

void ConsolidationScreen::setClock(std::function<QDateTime()> clock) {
    clock_ = std::move(clock);
}

QCheckBox* ConsolidationScreen::companyCheck(int bd) const {
    return bd >= 1 && bd <= kCompanies ? checks_.at(static_cast<std::size_t>(bd)) : nullptr;
}

QLineEdit* ConsolidationScreen::field(int bd, Field k) const {
    return panel(bd).fields.at(static_cast<std::size_t>(k));
}

QDateEdit* ConsolidationScreen::dataMov(int bd) const {
    return panel(bd).dataMov;
}

QCheckBox* ConsolidationScreen::ateMes(int bd) const {
    return panel(bd).ateMes;
}

RateGridView* ConsolidationScreen::rateGrid(int bd) const {
    return panel(bd).grid;
}

void ConsolidationScreen::clearProcessingTab() {
    const QDate today = clock_().date();
    year_->setText(QString::number(today.year()));
    month_->clear();
    month_->addItems(monthNames());
    month_->setCurrentIndex(today.month() - 1);

    // The check boxes are made anew, each below the one before, the template staying hidden.
    QWidget* previous = month_;
    for (int bd = 1; bd <= kCompanies; ++bd) {
        delete checks_[static_cast<std::size_t>(bd)];
        auto* check = new QCheckBox(tabs_->tabText(bd).trimmed(), checkArea_);
        check->setObjectName(QStringLiteral("Check1_%1").arg(bd));
        check->setToolTip(QStringLiteral("Empresa selecionada."));
        check->move(checks_[0]->x(), checks_[0]->y() + bd * kCheckSpacing);
        check->adjustSize();
        check->setChecked(false);
        check->show();
        checks_[static_cast<std::size_t>(bd)] = check;
        setTabOrder(previous, check);
        previous = check;
    }
    setTabOrder(previous, btProcessar_);
}

void ConsolidationScreen::tabChanged(int index) {
    selectedTab_ = index;
    if (index <= 0)
        return;
    selectedCaption_ = tabs_->tabText(index);
    readCompany(index);
}

void ConsolidationScreen::readCompany(int bd) {
    CompanyPanel& p = panel(bd);
    try {
        const std::optional<CompanyTabSettings> settings = readCompanyTab(shared_, bd);
        if (!settings)
            return;
        p.fields[Setor]->setText(settings->setor);
        p.fields[TpDoc]->setText(settings->tpDoc);
        p.fields[Serie]->setText(settings->serie);
        p.fields[UltimoMes]->setText(settings->ultimoMes);
        p.fields[Moeda]->setText(settings->moeda);
        p.fields[ContaArred]->setText(settings->contaArred);
        if (settings->dataMov.isValid())
            p.dataMov->setDate(settings->dataMov);
        p.ateMes->setChecked(settings->ateMes);
        if (needsNoRate(settings->moeda)) {
            // Euros need no rates: no grid, and none left over from another currency.
            p.grid->clear();
            p.grid->hide();
            p.gridCurrency.clear();
        } else {
            showGrid(bd, settings->moeda);
        }
    } catch (const Error& error) {
        titledMessage(prompter_,
                      QStringLiteral("Não foi possível ler os dados da empresa %1.\r\n%2")
                          .arg(tabs_->tabText(bd).trimmed(), errorText(error)),
                      2);
    }
}

void ConsolidationScreen::showGrid(int bd, const QString& currency) {
    CompanyPanel& p = panel(bd);
    p.grid->load(shared_, currency);
    p.gridCurrency = currency;
    p.grid->show();
}

void ConsolidationScreen::currencyEntered(int bd) {
    CompanyPanel& p = panel(bd);
    const QString entry = p.fields[Moeda]->text();
    // Leaving the field without changing it keeps the grid and what was typed into it.
    if (entry == p.gridCurrency && (!p.grid->isHidden() || entry.trimmed().isEmpty()))
        return;
    if (entry.trimmed().isEmpty()) {
        p.grid->hide();
        p.gridCurrency.clear();
        return;
    }
    try {
        showGrid(bd, entry);
    } catch (const Error& error) {
        titledMessage(prompter_,
                      QStringLiteral("Não foi possível ler os câmbios de %1.\r\n%2")
                          .arg(entry, errorText(error)),
                      2);
    }
}

void ConsolidationScreen::confirmCompany(int bd) {
    CompanyPanel& p = panel(bd);
    const QString currency = p.fields[Moeda]->text();
    const bool storesGrid = !needsNoRate(currency);
    CompanyTabSettings settings;
    settings.setor = p.fields[Setor]->text();
    settings.tpDoc = p.fields[TpDoc]->text();
    settings.serie = p.fields[Serie]->text();
    settings.ultimoMes = p.fields[UltimoMes]->text();
    settings.moeda = currency;
    settings.contaArred = p.fields[ContaArred]->text();
    settings.dataMov = p.dataMov->date();
    settings.ateMes = p.ateMes->isChecked();
    try {
        storeCompanyTab(shared_, bd, settings);
        if (storesGrid) {
            // A rate row without its rate would enter the month's mean as nothing: the grid waits
            // until it has one or the row is removed; the settings above are stored regardless.
            if (!p.grid->changedRowsWithoutRate().isEmpty()) {
                mandatoryField(prompter_, QStringLiteral("Câmbio"));
                return;
            }
            p.grid->store(shared_, currency);
            p.gridCurrency = currency;
        }
    } catch (const Error& error) {
        titledMessage(prompter_,
                      QStringLiteral("Não foi possível gravar os dados da empresa %1.\r\n%2")
                          .arg(tabs_->tabText(bd).trimmed(), errorText(error)),
                      2);
    }
}

void ConsolidationScreen::cancelCompany(int bd) {
    CompanyPanel& p = panel(bd);
    for (const Field k : {Setor, TpDoc, Serie, UltimoMes, Moeda})
        p.fields[static_cast<std::size_t>(k)]->clear();
    p.dataMov->setDate(clock_().date());
    // No grid is left standing for the currency: stored settings show theirs again, and a
    // currency typed afterwards, the same one too, loads its rates afresh.
    p.grid->clear();
    p.grid->hide();
    p.gridCurrency.clear();
    readCompany(bd);
}

void ConsolidationScreen::openParameters(int bd) {
    ParametersScreen parameters(shared_, prompter_, this);
    parameters.setBd(bd);
    parameters.setTitle(tabs_->tabText(bd).trimmed());
    parameters.readParameters();
    runDialog_(parameters);
}

void ConsolidationScreen::openRateImport() {
    if (!makeRateImport_)
        return;
    const std::unique_ptr<QDialog> rates = makeRateImport_(this);
    runDialog_(*rates);
}

ProcessingInput ConsolidationScreen::processingInput() const {
    ProcessingInput input;
    input.yearText = year_->text();
    input.month = month_->currentIndex() + 1;
    for (int bd = 1; bd <= kCompanies; ++bd)
        if (checks_.at(static_cast<std::size_t>(bd))->isChecked())
            input.companies.append(CompanyTab{bd, tabs_->tabText(bd)});
    return input;
}

void ConsolidationScreen::runCommand(CommandResult (*command)(ConsolidationEnvironment&,
                                                              const ProcessingInput&)) {
    const ProcessingInput input = processingInput();
    BusyPrompter busy(prompter_);
    ConsolidationEnvironment environment(shared_, busy, dataFolder_);
    environment.clock = clock_;
    try {
        command(environment, input);
    } catch (const Error& error) {
        titledMessage(busy, errorText(error), 2);
    }
}

void ConsolidationScreen::runConsolidationCommand() {
    runCommand(&runConsolidation);
    clearProcessingTab();
}

void ConsolidationScreen::runCheckUpCommand() {
    runCommand(&runCheckUp);
}

void ConsolidationScreen::runCancellationCommand() {
    runCommand(&runCancellation);
}

void ConsolidationScreen::keyPressEvent(QKeyEvent* event) {
    // Esc moves back from a field; elsewhere it does nothing, the screen closes with "Sair".
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace agrimor
