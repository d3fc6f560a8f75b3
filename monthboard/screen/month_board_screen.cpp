#include "monthboard/screen/month_board_screen.h"

#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/companies.h"
#include "core/error_text.h"
#include "core/message_box.h"
#include "data/error.h"
#include "ui/controls.h"
#include "ui/wait_cursor.h"

namespace agrimor {

namespace {

const QStringList& monthNames() {
    static const QStringList names{
        QStringLiteral("Janeiro"), QStringLiteral("Fevereiro"), QStringLiteral("Março"),
        QStringLiteral("Abril"),   QStringLiteral("Maio"),      QStringLiteral("Junho"),
        QStringLiteral("Julho"),   QStringLiteral("Agosto"),    QStringLiteral("Setembro"),
        QStringLiteral("Outubro"), QStringLiteral("Novembro"),  QStringLiteral("Dezembro")};
    return names;
}

// Paints a cell in its state's colour whether selected or not, the selected cell framed: the
// usual selection fill would hide the one colour that says where the month stands.
class CellPainter : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        const bool selected = plain.state.testFlag(QStyle::State_Selected);
        plain.state.setFlag(QStyle::State_Selected, false);
        plain.state.setFlag(QStyle::State_HasFocus, false);
        QStyledItemDelegate::paint(painter, plain, index);
        if (!selected)
            return;
        painter->save();
        painter->setPen(QPen(option.palette.color(QPalette::Highlight), 3));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
        painter->restore();
    }
};

QColor stateColour(CellState state) {
    switch (state) {
        case CellState::Done:
            return QColor(0xa8, 0xdf, 0xa8);
        case CellState::Partial:
            return QColor(0xff, 0xe3, 0x8f);
        case CellState::Anomalies:
            return QColor(0xf2, 0xa7, 0xa0);
        case CellState::Nothing:
            break;
    }
    return QColor(0xec, 0xec, 0xec);
}

QString jobName(NextJob job) {
    switch (job) {
        case NextJob::MovementImport:
            return QStringLiteral("Importar Movimentos");
        case NextJob::Class9:
            return QStringLiteral("Classe 9");
        case NextJob::RateImport:
            return QStringLiteral("Câmbios");
        case NextJob::Consolidation:
            break;
    }
    return QStringLiteral("Consolidação");
}

// What the cell shows in a word or two.
QString cellText(const BoardCell& cell) {
    switch (cellState(cell)) {
        case CellState::Done:
            return QStringLiteral("consolidado");
        case CellState::Anomalies:
            return cell.anomalies ? QStringLiteral("%1 anomalias").arg(*cell.anomalies)
                                  : QStringLiteral("anomalias");
        case CellState::Partial:
            return nextJob(cell) == NextJob::Class9 ? QStringLiteral("classe 9")
                                                    : QStringLiteral("a consolidar");
        case CellState::Nothing:
            break;
    }
    return QString();
}

QString count(const std::optional<std::int64_t>& value) {
    return value ? QString::number(*value) : QStringLiteral("—");
}

// The figures of a cell, one per line.
QStringList figures(const BoardCell& cell) {
    QString rates = QStringLiteral("— (euros)");
    if (cell.rates)
        rates = QString::number(*cell.rates) +
                (cell.unusableRate ? QStringLiteral(" (um sem câmbio válido)") : QString());
    QString consolidated = count(cell.consolidated);
    if (cell.consolidatedAt.isValid())
        consolidated += QStringLiteral(", em ") +
                        cell.consolidatedAt.toString(QStringLiteral("dd-MM-yyyy HH:mm"));
    return {QStringLiteral("Movimentos gerais do mês: ") + count(cell.movements),
            QStringLiteral("Linhas de classe 9 integradas: ") + count(cell.class9),
            QStringLiteral("Câmbios do mês: ") + rates,
            QStringLiteral("Anomalias do check-up: ") + count(cell.anomalies),
            QStringLiteral("Linhas consolidadas: ") + consolidated,
            QStringLiteral("Próxima tarefa: ") + jobName(nextJob(cell))};
}

}  // namespace

MonthBoardScreen::MonthBoardScreen(DataAccess& shared, Prompter& prompter, int year,
                                   QWidget* parent)
    : QWidget(parent), shared_(shared), prompter_(prompter) {
    setObjectName(QStringLiteral("frmFechoMes"));
    setWindowTitle(QStringLiteral("Fecho do Mês"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Ano:"), this));
    year_ = makeField(this, 0, QStringLiteral("Ano."), 4);
    year_->setText(QString::number(year));
    year_->setMaximumWidth(70);
    top->addWidget(year_);
    refreshButton_ = makeButton(this, QStringLiteral("btAtualizar"), QStringLiteral("&Atualizar"),
                                QStringLiteral("Ler de novo o estado do ano."));
    top->addWidget(refreshButton_);
    top->addSpacing(20);
    for (const CellState state :
         {CellState::Done, CellState::Partial, CellState::Anomalies, CellState::Nothing}) {
        static const QStringList legends{QStringLiteral("nada ainda"), QStringLiteral("em curso"),
                                         QStringLiteral("anomalias"),
                                         QStringLiteral("consolidado")};
        auto* legend = new QLabel(legends.at(static_cast<int>(state)), this);
        legend->setAutoFillBackground(true);
        legend->setStyleSheet(
            QStringLiteral("background:%1; padding:2px 8px;").arg(stateColour(state).name()));
        top->addWidget(legend);
    }
    top->addStretch();

    const QStringList& companies = groupCompanyNames();
    grid_ = new QTableWidget(static_cast<int>(companies.size()), 12, this);
    grid_->setObjectName(QStringLiteral("Grelha"));
    grid_->setVerticalHeaderLabels(companies);
    QStringList months;
    for (const QString& name : monthNames())
        months << name.left(3);
    grid_->setHorizontalHeaderLabels(months);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setItemDelegate(new CellPainter(grid_));
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->setMinimumSize(900, 260);

    detail_ = new QLabel(this);
    detail_->setObjectName(QStringLiteral("Detalhe"));
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    detail_->setMinimumHeight(130);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_, 1);
    layout->addWidget(detail_);

    connect(refreshButton_, &QPushButton::clicked, this, &MonthBoardScreen::refresh);
    connect(year_, &QLineEdit::returnPressed, this, &MonthBoardScreen::refresh);
    connect(grid_, &QTableWidget::currentCellChanged, this, [this] { showDetail(); });
    connect(grid_, &QTableWidget::cellDoubleClicked, this, &MonthBoardScreen::cellOpened);
    refresh();
}

void MonthBoardScreen::refresh() {
    bool ok = false;
    const int year = year_->text().trimmed().toInt(&ok);
    if (!ok || year < 1 || year > 9999) {
        inform(prompter_, QStringLiteral("Deve preencher o ano!"));
        return;
    }
    board_.reset();
    try {
        const WaitCursor busy;
        board_ = readMonthBoard(shared_, year);
    } catch (const Error& error) {
        inform(prompter_, errorText(error));
    }
    showBoard();
}

void MonthBoardScreen::showBoard() {
    const int row = grid_->currentRow();
    const int column = grid_->currentColumn();
    grid_->clearContents();
    if (board_) {
        for (const BoardCompany& company : board_->companies) {
            for (const BoardCell& cell : company.months) {
                auto* item = new QTableWidgetItem(cellText(cell));
                item->setTextAlignment(Qt::AlignCenter);
                item->setBackground(stateColour(cellState(cell)));
                QStringList tip{company.name + QStringLiteral(", ") +
                                monthNames().at(cell.month - 1)};
                tip << figures(cell);
                if (!company.problem.isEmpty())
                    tip << company.problem;
                item->setToolTip(tip.join(QLatin1Char('\n')));
                grid_->setItem(company.bd - 1, cell.month - 1, item);
            }
        }
    }
    if (row >= 0 && column >= 0)
        grid_->setCurrentCell(row, column);
    showDetail();
}

void MonthBoardScreen::selectCell(int bd, int month) {
    grid_->setCurrentCell(bd - 1, month - 1);
}

void MonthBoardScreen::showDetail() {
    const int row = grid_->currentRow();
    const int column = grid_->currentColumn();
    if (!board_ || row < 0 || column < 0 || row >= static_cast<int>(board_->companies.size())) {
        detail_->clear();
        return;
    }
    const BoardCompany& company = board_->companies.at(static_cast<std::size_t>(row));
    const BoardCell& cell = company.months.at(static_cast<std::size_t>(column));
    QStringList lines{QStringLiteral("<b>%1 — %2 de %3</b>")
                          .arg(company.name.toHtmlEscaped(), monthNames().at(column))
                          .arg(board_->year)};
    for (const QString& line : figures(cell))
        lines << line.toHtmlEscaped();
    if (!company.problem.isEmpty())
        lines << company.problem.toHtmlEscaped();
    detail_->setText(lines.join(QStringLiteral("<br>")));
}

void MonthBoardScreen::cellOpened(int row, int column) {
    if (!board_ || row < 0 || row >= static_cast<int>(board_->companies.size()))
        return;
    const BoardCompany& company = board_->companies.at(static_cast<std::size_t>(row));
    const BoardCell& cell = company.months.at(static_cast<std::size_t>(column));
    emit openJob(nextJob(cell), company.bd, board_->year, cell.month);
}

}  // namespace agrimor
