#include "movimport/screen/import_screen.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QSplitter>
#include <QTableView>

#include "core/company_opening.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "data/company_connection.h"
#include "data/data_access.h"
#include "movimport/import_command.h"
#include "movimport/movement_sheet_reader.h"
#include "movimport/screen/anomaly_rows_model.h"
#include "movimport/screen/import_totals_dialog.h"
#include "ui/busy_prompter.h"
#include "ui/controls.h"
#include "ui/focus_navigation.h"
#include "ui/parameters_screen.h"
#include "ui/twips.h"
#include "ui/wait_cursor.h"
#include "workbook/workbook.h"

namespace agrimor {

namespace {

using Lines = ImportLinesTable;

// The grid's columns in the lines table's order: caption, width in twips, and whether the amount
// shows two decimals ("###,###,###.00").
struct GridColumn {
    const char* caption;
    int width;
    bool amount = false;
};
const GridColumn kColumns[Lines::MaxColumns] = {
    {"Tp.", 400},        {"Conta ", 1200},
    {"Terceiro", 1200},  {"Doc.", 500},
    {"Data Doc.", 1100}, {"Valor", 1000, true},
    {"DC", 400},         {"Descritivo", 3000},
    {"Setor", 700},      {"Dia.", 500},
    {"Rub", 1000},       {"C.Custo", 1000},
    {"Sé.", 400},        {"NIF", 1000},
    {"IVA", 1000},       {"Fluxo", 1000},
    {"Cust.", 1000},     {"Ref.", 2000},
    {"Op.", 700},        {"Data Real.", 1100},
    {"LCC", 600},        {"Valor Base", 1000, true},
    {"Doc", 400},
};

}  // namespace

MovementImportScreen::MovementImportScreen(DataAccess& shared, Prompter& prompter,
                                           QStringList companies, QString dataFolder,
                                           FileDialogs dialogs, QWidget* parent)
    : QWidget(parent),
      shared_(shared),
      prompter_(prompter),
      companies_(std::move(companies)),
      dataFolder_(std::move(dataFolder)),
      dialogs_(std::move(dialogs)),
      clock_([] { return QDateTime::currentDateTime(); }),
      runDialog_([](QDialog& dialog) { dialog.exec(); }) {
    setObjectName(QStringLiteral("frmImportarMovCTB"));
    setWindowTitle(QStringLiteral("Importar Movimentos"));

    title_ = new QLabel(QString::fromUtf8("Importação Movimentos"), this);
    title_->setObjectName(QStringLiteral("Titulo"));
    QFont titleFont = title_->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 3);
    title_->setFont(titleFont);

    companyLabel_ = new QLabel(QStringLiteral("Empresa"), this);
    cb1_ = new QComboBox(this);
    cb1_->setObjectName(QStringLiteral("cb1_1"));
    cb1_->setToolTip(QStringLiteral("Empresa."));
    companyLabel_->setBuddy(cb1_);
    moveBackOnEscape(cb1_);

    fileLabel_ = new QLabel(QStringLiteral("Fx.Excel"), this);
    file_ = makeField(this, 2);
    fileLabel_->setBuddy(file_);
    btFx_ = makeButton(this, QStringLiteral("btFx"), QStringLiteral("..."),
                       QStringLiteral("Lista de ficheios a importar."));

    sheets_ = new QListWidget(this);
    sheets_->setObjectName(QStringLiteral("List"));
    pb_ = new QProgressBar(this);
    pb_->setObjectName(QStringLiteral("pb"));
    pb_->setTextVisible(false);

    // The grid and, when the check-up found anomalies, their list below it share the grid's
    // place: the grid keeps the window's width, the list shows each text whole across it (a
    // longer one wraps), and the user drags the line between them to give either more room.
    splitter_ = new QSplitter(Qt::Vertical, this);
    grid_ = new QTableView(splitter_);
    grid_->setObjectName(QStringLiteral("Grelha"));
    shaded_ = new AnomalyRowsModel(this);
    shaded_->setSourceModel(&lines_);
    grid_->setModel(shaded_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    anomalies_ = new QListWidget(splitter_);
    anomalies_->setObjectName(QStringLiteral("Anomalias"));
    anomalies_->setToolTip(QStringLiteral("Anomalias: escolha uma para ver a linha."));
    anomalies_->setWordWrap(true);
    anomalies_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    anomalies_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    splitter_->addWidget(grid_);
    splitter_->addWidget(anomalies_);
    splitter_->setChildrenCollapsible(false);
    splitter_->setStretchFactor(0, 3);
    splitter_->setStretchFactor(1, 1);

    btParametros_ =
        makeButton(this, QStringLiteral("btParametros"), QString::fromUtf8("&Parâmetros"),
                   QString::fromUtf8("Parâmetros Empresa."));
    btConf_ = makeButton(this, QStringLiteral("btConf"), QStringLiteral("&Confirmar"),
                         QStringLiteral("Confirmar."));
    btCancelar_ = makeButton(this, QStringLiteral("btCancelar"), QStringLiteral("C&ancelar"),
                             QStringLiteral("Cancelar."));
    btSair_ = makeButton(this, QStringLiteral("btSair"), QStringLiteral("&Sair"),
                         QStringLiteral("Abandonar."));

    // Fixed places above the grid; the grid and the buttons follow the window (resizeEvent).
    title_->setGeometry(8, 4, 600, 24);
    companyLabel_->setGeometry(8, 36, 64, 22);
    cb1_->setGeometry(76, 36, 240, 22);
    fileLabel_->setGeometry(8, 64, 64, 22);
    file_->setGeometry(76, 64, 420, 22);
    btFx_->setGeometry(500, 64, 30, 22);
    sheets_->setGeometry(548, 30, 220, 56);
    pb_->setGeometry(8, 92, 522, 14);
    btConf_->setGeometry(8, 0, 100, 26);
    btCancelar_->setGeometry(116, 0, 100, 26);
    btSair_->setGeometry(224, 0, 100, 26);
    btParametros_->setGeometry(0, 0, 110, 26);

    connect(cb1_, &QComboBox::activated, this, [this] { selectCompany(); });
    connect(btFx_, &QPushButton::clicked, this, &MovementImportScreen::chooseFile);
    connect(sheets_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { readSheet(item->text()); });
    connect(anomalies_, &QListWidget::currentRowChanged, this, &MovementImportScreen::showAnomaly);
    connect(btConf_, &QPushButton::clicked, this, &MovementImportScreen::confirm);
    connect(btCancelar_, &QPushButton::clicked, this, &MovementImportScreen::clearForm);
    connect(btParametros_, &QPushButton::clicked, this, &MovementImportScreen::openParameters);
    connect(btSair_, &QPushButton::clicked, this, &QWidget::close);

    // Form_Load: the company list, then a clear screen.
    cb1_->addItems(companies_);
    resize(1000, 600);
    clearForm();
}

MovementImportScreen::~MovementImportScreen() = default;

QPushButton* MovementImportScreen::button(const QString& name) const {
    return findChild<QPushButton*>(name);
}

QString MovementImportScreen::companyName() const {
    return cb1_->currentText();
}

void MovementImportScreen::clearForm() {
    file_->clear();
    // A finished or abandoned import leaves nothing behind to be confirmed again.
    dropLines();
    sheets_->clear();
    cb1_->setCurrentIndex(0);
    selectCompany();
    pb_->hide();
}

void MovementImportScreen::selectCompany() {
    const int bd = cb1_->currentIndex() + 1;
    const QString name = companyName();
    company_.reset();
    try {
        const CompanyParameters parameters = readCompanyParameters(shared_, bd);
        if (parameters.found)
            company_ =
                connectCompany(shared_, parameters, CompanyOpenFailureReport::toUser(prompter_));
        else
            inform(prompter_, companyParametersMissing(name));
    } catch (const Error& error) {
        inform(prompter_, QStringLiteral("Erro: ") + errorText(error));
    }
    title_->setText(QStringLiteral("Importar Movimentos --- ") + name);
}

void MovementImportScreen::chooseFile() {
    // A dialog left without a choice changes nothing: the field keeps naming the lines shown.
    const QString path = chooseWorkbook(this, choice_, dialogs_);
    if (path.isEmpty())
        return;
    file_->setText(path);
    // The path field names the new file from here: whatever the previous one gave is gone,
    // so a file that cannot be read leaves nothing to confirm.
    dropLines();
    QStringList names;
    try {
        WaitCursor wait;
        names = Workbook::open(path)->sheetNames();
    } catch (const Error& error) {
        sheets_->clear();
        inform(prompter_,
               errorText(error, ErrorNumber::Shown) + QStringLiteral(" - Abrir_Ficheiro_Excel"));
        return;
    }
    fillSheetList(sheets_, names);
    if (sheets_->currentItem() == nullptr) {
        inform(prompter_, QString::fromUtf8("O ficheiro %1 não tem folhas.").arg(path));
        return;
    }
    readSheet(sheets_->currentItem()->text());
}

void MovementImportScreen::dropLines() {
    lines_.clear();
    documents_.clear();
    showAnomalies({});
    splitter_->hide();
}

void MovementImportScreen::readSheet(const QString& sheet) {
    showAnomalies({});
    splitter_->show();
    try {
        WaitCursor wait;
        readMovementSheet(*Workbook::open(file_->text()), sheet, lines_, documents_);
    } catch (const Error& error) {
        // Part of a sheet is not an import: nothing is left to confirm.
        dropLines();
        inform(prompter_, errorText(error, ErrorNumber::Shown) + QStringLiteral(" - LerFolha"));
        return;
    }
    applyGridColumns();
    grid_->viewport()->update();
}

void MovementImportScreen::applyGridColumns() {
    const QFont verdana(QStringLiteral("Verdana"), 8);
    grid_->setFont(verdana);
    grid_->horizontalHeader()->setFont(verdana);
    grid_->verticalHeader()->setFont(verdana);
    grid_->verticalHeader()->setDefaultSectionSize(QFontMetrics(verdana).height() + 6);
    lines_.setEditable(true);
    for (int c = 0; c < Lines::MaxColumns; ++c) {
        const GridColumn& column = kColumns[c];
        lines_.setCaption(c, QString::fromUtf8(column.caption));
        if (column.amount)
            lines_.setDisplayDecimals(c, 2);
        grid_->setColumnWidth(c, twipsToPixels(column.width));
    }
}

void MovementImportScreen::confirm() {
    BusyPrompter busy(prompter_);
    ImportEnvironment environment(company_.get(), busy, companyName(), dataFolder_);
    environment.clock = clock_;
    environment.progress = [this](int done, int total) { progress(done, total); };
    environment.showTotals = [this](const ImportTotals& totals) { showTotals(totals); };
    environment.consolidated = &shared_;
    environment.bd = cb1_->currentIndex() + 1;
    environment.workbookFile = file_->text();
    environment.sheet = sheets_->currentItem() ? sheets_->currentItem()->text() : QString();
    pb_->reset();
    pb_->show();
    const ImportResult result = runImport(environment, lines_);
    // Whatever ended the import, the bar starts empty next time and is not left standing.
    pb_->reset();
    pb_->hide();
    switch (result.outcome) {
        case ImportOutcome::Written:
        case ImportOutcome::Failed:
            clearForm();
            break;
        case ImportOutcome::AnomaliesFound:
            showAnomalies(result.checkUp.anomalies);
            break;
        case ImportOutcome::Clean:
        case ImportOutcome::NothingToImport:
        case ImportOutcome::Cancelled:
            break;
    }
}

void MovementImportScreen::progress(int done, int total) {
    pb_->setMaximum(std::max(total, 1));
    // A step that ended (the check-up before the totals and the question) leaves the bar empty
    // for the next one.
    if (done >= total)
        pb_->reset();
    else
        pb_->setValue(done);
    // Repaint, without taking the user's clicks while the import runs.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MovementImportScreen::showTotals(const ImportTotals& totals) {
    ImportTotalsDialog dialog(totals, companyName(), this);
    QApplication::restoreOverrideCursor();
    runDialog_(dialog);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void MovementImportScreen::showAnomalies(const std::vector<ImportAnomaly>& anomalies) {
    shown_ = anomalies;
    QHash<int, QStringList> rows;
    QHash<QString, std::vector<int>> documentRows;
    if (!anomalies.empty()) {
        for (int row = 0; row < lines_.size(); ++row)
            documentRows[lines_.value(row, Lines::Doc).toText()].push_back(row);
    }
    const QSignalBlocker quiet(anomalies_);
    anomalies_->clear();
    for (const ImportAnomaly& anomaly : anomalies) {
        QString text = anomaly.text;
        if (anomaly.line >= 0) {
            rows[anomaly.line] << anomaly.text;
            text = QStringLiteral("Linha %1: %2").arg(anomaly.sheetRow).arg(anomaly.text);
        } else {
            for (const int row : documentRows.value(anomaly.document))
                rows[row] << anomaly.text;
        }
        auto* item = new QListWidgetItem(text, anomalies_);
        item->setToolTip(text);
    }
    shaded_->setAnomalies(std::move(rows));
    anomalies_->setVisible(!anomalies.empty());
    if (!anomalies.empty()) {
        // The list starts with a third of the place, the grid with the rest.
        const int height = std::max(splitter_->height(), 3);
        splitter_->setSizes({height - height / 3, height / 3});
    }
}

void MovementImportScreen::showAnomaly(int index) {
    if (index < 0 || index >= static_cast<int>(shown_.size()))
        return;
    const ImportAnomaly& anomaly = shown_[static_cast<std::size_t>(index)];
    int row = anomaly.line;
    if (row < 0) {
        for (int r = 0; r < lines_.size() && row < 0; ++r)
            if (lines_.value(r, Lines::Doc).toText() == anomaly.document)
                row = r;
    }
    if (row < 0 || row >= lines_.size())
        return;
    grid_->selectRow(row);
    grid_->scrollTo(shaded_->index(row, 0), QAbstractItemView::PositionAtCenter);
}

void MovementImportScreen::openParameters() {
    ParametersScreen parameters(shared_, prompter_, this);
    parameters.setBd(cb1_->currentIndex() + 1);
    parameters.setTitle(companyName());
    parameters.readParameters();
    runDialog_(parameters);
    // The parameters may have changed: open the company again with them.
    selectCompany();
}

void MovementImportScreen::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

void MovementImportScreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int width = event->size().width();
    const int height = event->size().height();
    // A window too small for the grid leaves it as it was.
    const int gridWidth = width - twipsToPixels(200);
    const int gridHeight = height - twipsToPixels(2500);
    if (gridWidth > 0 && gridHeight > 0)
        splitter_->setGeometry(twipsToPixels(10), twipsToPixels(1700), gridWidth, gridHeight);
    for (QPushButton* b : {btConf_, btCancelar_, btSair_})
        b->move(b->x(), height - twipsToPixels(400));
    btParametros_->move(width - btSair_->width() - twipsToPixels(200), height - twipsToPixels(600));
}

}  // namespace agrimor
