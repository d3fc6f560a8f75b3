#include "movimport/screen/import_totals_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>

namespace agrimor {

namespace {

const QString kTitle = QString::fromUtf8("Totais da importação");

}  // namespace

ImportTotalsModel::ImportTotalsModel(ImportTotals totals, QObject* parent)
    : QAbstractTableModel(parent), totals_(std::move(totals)) {}

int ImportTotalsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(totals_.documents.size()) + 1;
}

int ImportTotalsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : MaxColumns;
}

QVariant ImportTotalsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return totalsRow(totals_, index.row()).at(index.column());
    if (role == Qt::TextAlignmentRole && index.column() != Documento)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::FontRole && index.row() == rowCount() - 1) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    return {};
}

QVariant ImportTotalsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= MaxColumns)
        return {};
    return totalsHeadings().at(section);
}

void printImportTotals(const ImportTotals& totals, const QString& company, QPrinter& printer) {
    QString html = QStringLiteral(
                       "<h3>%1</h3><p>Empresa: %2</p>"
                       "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>")
                       .arg(kTitle, company.toHtmlEscaped());
    for (const QString& heading : totalsHeadings())
        html += QStringLiteral("<th>%1</th>").arg(heading);
    html += QStringLiteral("</tr>");
    const int rows = static_cast<int>(totals.documents.size()) + 1;
    for (int row = 0; row < rows; ++row) {
        const QStringList cells = totalsRow(totals, row);
        html += QStringLiteral("<tr>");
        for (int c = 0; c < cells.size(); ++c)
            html +=
                QStringLiteral("<td%1>%2</td>")
                    .arg(c == 0 ? QString() : QStringLiteral(" align=\"right\""),
                         row == rows - 1 ? QStringLiteral("<b>%1</b>").arg(cells[c].toHtmlEscaped())
                                         : cells[c].toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    QTextDocument document;
    document.setHtml(html);
    document.print(&printer);
}

ImportTotalsDialog::ImportTotalsDialog(ImportTotals totals, QString company, QWidget* parent)
    : QDialog(parent), totals_(totals), company_(std::move(company)), model_(std::move(totals)) {
    setObjectName(QStringLiteral("frmTotais"));
    setWindowTitle(kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Empresa: ") + company_, this);
    layout->addWidget(heading);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("Totais"));
    table_->setModel(&model_);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* print = new QPushButton(QStringLiteral("&Imprimir"), this);
    print->setObjectName(QStringLiteral("btImp"));
    print->setAutoDefault(false);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("btOK"));
    ok->setDefault(true);
    buttons->addWidget(print);
    buttons->addWidget(ok);
    layout->addLayout(buttons);
    connect(print, &QPushButton::clicked, this, &ImportTotalsDialog::print);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    resize(520, 420);
}

void ImportTotalsDialog::print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printImportTotals(totals_, company_, printer);
}

}  // namespace agrimor
