#include "rateimport/screen/import_rates_screen.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

#include "core/error_text.h"
#include "core/message_box.h"
#include "data/error.h"
#include "ledger/run_log.h"
#include "rateimport/grid_export.h"
#include "rateimport/screen/grid_report.h"
#include "ui/controls.h"
#include "ui/twips.h"
#include "ui/wait_cursor.h"
#include "workbook/workbook.h"

namespace agrimor {

namespace {

// Column widths of the grid and the report, in twips (1/1440 inch) as the layout gives them.
const std::vector<int> kWidthsTwips = {2450, 2900, 3450};

}  // namespace

RateImportScreen::RateImportScreen(DataAccess& shared, Prompter& prompter, FileDialogs dialogs,
                                   QWidget* parent)
    : QDialog(parent), shared_(shared), prompter_(prompter), dialogs_(std::move(dialogs)) {
    setObjectName(QStringLiteral("frmImportar"));
    setWindowTitle(QStringLiteral("Importar Câmbios"));

    auto* layout = new QGridLayout(this);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("Titulo0"));
    layout->addWidget(title_, 0, 0, 1, 4);

    auto* fileLabel = new QLabel(QStringLiteral("Fx.Excel"), this);
    btFx_ = makeButton(this, QStringLiteral("btFx0"), QStringLiteral("..."),
                       QStringLiteral("Lista de ficheios a importar."));
    file_ = makeField(this, 2);
    fileLabel->setBuddy(file_);
    layout->addWidget(fileLabel, 1, 0);
    layout->addWidget(file_, 1, 1, 1, 2);
    layout->addWidget(btFx_, 1, 3);
    setTabOrder(btFx_, file_);

    sheets_ = new QListWidget(this);
    sheets_->setObjectName(QStringLiteral("List"));
    sheets_->setMaximumHeight(60);
    layout->addWidget(sheets_, 2, 0, 1, 4);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("Grelha"));
    grid_->setModel(&rates_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSortingEnabled(false);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    viewer_ = new GridPreview(this);
    viewer_->hide();
    // The viewer takes the grid's place, edges and size.
    layout->addWidget(grid_, 3, 0, 1, 4);
    layout->addWidget(viewer_, 3, 0, 1, 4);
    layout->setRowStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    btConf_ = makeButton(this, QStringLiteral("btConf"), QStringLiteral("&Confirmar"),
                         QStringLiteral("Confirmar a operação."));
    btCancelar_ = makeButton(this, QStringLiteral("btCancelar"), QStringLiteral("C&ancelar"),
                             QStringLiteral("Cancelar."));
    btImp_ = makeButton(this, QStringLiteral("btImp"), QStringLiteral("&Imprimir"),
                        QStringLiteral("Imprimir."));
    btExcel_ = makeButton(this, QStringLiteral("btExcel"), QStringLiteral("&Excel"),
                          QStringLiteral("Excel."));
    btSair_ = makeButton(this, QStringLiteral("btSair"), QStringLiteral("&Sair"),
                         QStringLiteral("Abandonar."));
    for (QPushButton* b : {btConf_, btCancelar_, btImp_, btExcel_, btSair_})
        buttons->addWidget(b);
    layout->addLayout(buttons, 4, 0, 1, 4);

    connect(btFx_, &QPushButton::clicked, this, &RateImportScreen::chooseFile);
    connect(btConf_, &QPushButton::clicked, this, &RateImportScreen::confirm);
    connect(btCancelar_, &QPushButton::clicked, this, [this] {
        clearForm();
        btFx_->setFocus();
    });
    connect(btImp_, &QPushButton::clicked, this, &RateImportScreen::togglePrint);
    connect(btExcel_, &QPushButton::clicked, this, &RateImportScreen::exportToExcel);
    connect(btSair_, &QPushButton::clicked, this, &QDialog::hide);

    resize(640, 480);
    clearForm();
}

void RateImportScreen::clearForm() {
    if (viewer_->isVisible() || grid_->isHidden())
        viewer_->setReport(nullptr, {});
    viewer_->hide();
    btImp_->setText(QStringLiteral("&Imprimir"));
    grid_->hide();
    rates_.clear();
    file_->clear();
    title_->clear();
    btConf_->setEnabled(false);
    btCancelar_->setEnabled(true);
    btExcel_->setEnabled(true);
    btImp_->hide();
    btExcel_->hide();
}

void RateImportScreen::chooseFile() {
    title_->clear();
    const QString path = chooseWorkbook(this, choice_, dialogs_);
    file_->setText(path);
    if (path.isEmpty())
        return;
    try {
        const WaitCursor wait;
        const auto workbook = Workbook::open(path);
        fillSheetList(sheets_, workbook->sheetNames());
        grid_->show();
        readRatesWorkbook(*workbook, rates_);
    } catch (const Error& error) {
        inform(prompter_,
               errorText(error, ErrorNumber::Shown) + QStringLiteral(" - Abrir_Ficheiro_Excel"));
        return;
    }
    bindGrid();
    btConf_->setEnabled(true);
    btImp_->show();
    btExcel_->show();
}

void RateImportScreen::bindGrid() {
    for (int c = 0; c < RatesTable::MaxColumns; ++c)
        grid_->setColumnWidth(c, twipsToPixels(kWidthsTwips[static_cast<std::size_t>(c)]));
    grid_->viewport()->update();
}

void RateImportScreen::confirm() {
    if (!confirmOkCancel(prompter_, QStringLiteral("Vai proceder à gravação da informação.\r\n"
                                                   "Pretende continuar?")))
        return;
    RunRecord run = startRun(run_task::kRates, std::nullopt, {}, shared_);
    run.file = file_->text();
    run.sheet = sheets_->count() > 0 ? sheets_->item(0)->text() : QString();
    run.sha256 = fileSha256(run.file);
    try {
        const WaitCursor wait;
        storeRates(shared_, rates_, &run);
    } catch (const Error& error) {
        inform(prompter_,
               QStringLiteral("Situação Anómala\n\rErro: ") + errorText(error, ErrorNumber::Shown));
        run.result = run_result::kFailed;
        run.message = error.message();
        run.lines = 0;
        appendRunAfterCommit(shared_, prompter_, run);
    }
    clearForm();
    btFx_->setFocus();
}

void RateImportScreen::setButtonsEnabled(bool enabled) {
    for (QPushButton* b : {btConf_, btCancelar_, btImp_, btExcel_, btSair_})
        b->setEnabled(enabled);
}

void RateImportScreen::exportToExcel() {
    const bool confirmEnabled = btConf_->isEnabled();
    setButtonsEnabled(false);
    exportGrid(
        rates_, prompter_,
        [this](const QString& filter) {
            return dialogs_.save ? dialogs_.save(this, choice_.folder, filter) : QString();
        },
        dialogs_.openWithDefaultApplication);
    setButtonsEnabled(true);
    btConf_->setEnabled(confirmEnabled);
}

void RateImportScreen::togglePrint() {
    if (!grid_->isHidden()) {
        std::vector<int> widths;
        for (int twips : kWidthsTwips)
            widths.push_back(twipsToPixels(twips));
        viewer_->setReport(&rates_, QStringLiteral("Registos a Importar"), widths);
        viewer_->show();
        grid_->hide();
        btImp_->setText(QStringLiteral("Grelha"));
        btExcel_->setEnabled(false);
        btConf_->setEnabled(false);
        btCancelar_->setEnabled(false);
    } else {
        viewer_->hide();
        viewer_->setReport(nullptr, {});
        grid_->show();
        btImp_->setText(QStringLiteral("Imprimir"));
        btExcel_->setEnabled(true);
        btConf_->setEnabled(true);
        btCancelar_->setEnabled(true);
    }
}

}  // namespace agrimor
