#include "rateimport/screen/grid_report.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace agrimor {

int printGrid(QPrinter& printer, const QAbstractItemModel& model, const QString& title,
              const std::vector<int>& columnWidths, int* rowsPerPage) {
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double dpi = printer.resolution();
    const double point = dpi / 72.0;

    QFont titleFont(QStringLiteral("Verdana"), 14, QFont::Bold);
    QFont bodyFont(QStringLiteral("Verdana"), 9);
    QFont headFont(QStringLiteral("Verdana"), 9, QFont::Bold);
    QFont footerFont(QStringLiteral("Verdana"), 8);
    const double titleHeight = 30 * point;
    const double rowHeight = 14 * point;
    const double footerHeight = 16 * point;

    const int columns = model.columnCount();
    const int rows = model.rowCount();
    std::vector<double> widths;
    double total = 0;
    for (int c = 0; c < columns; ++c) {
        const double w = c < static_cast<int>(columnWidths.size())
                             ? columnWidths[static_cast<std::size_t>(c)]
                             : 150;
        widths.push_back(w);
        total += w;
    }
    const double factor = total > 0 ? std::min(1.0, page.width() / (total * point)) * point : 0;

    const double bodyTop = titleHeight + rowHeight;
    const int perPage =
        std::max(1, static_cast<int>((page.height() - bodyTop - footerHeight) / rowHeight));
    const int pages = std::max(1, (rows + perPage - 1) / perPage);
    if (rowsPerPage)
        *rowsPerPage = perPage;

    for (int p = 0; p < pages; ++p) {
        if (p > 0)
            printer.newPage();
        painter.setFont(titleFont);
        painter.drawText(QRectF(0, 0, page.width(), titleHeight), Qt::AlignHCenter | Qt::AlignTop,
                         title);
        double x = 0;
        painter.setFont(headFont);
        for (int c = 0; c < columns; ++c) {
            const double w = widths[static_cast<std::size_t>(c)] * factor;
            painter.drawText(QRectF(x + 2 * point, titleHeight, w - 4 * point, rowHeight),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             model.headerData(c, Qt::Horizontal).toString());
            x += w;
        }
        painter.drawLine(QPointF(0, bodyTop), QPointF(x, bodyTop));
        painter.setFont(bodyFont);
        for (int r = p * perPage; r < std::min(rows, (p + 1) * perPage); ++r) {
            const double y = bodyTop + (r - p * perPage) * rowHeight;
            x = 0;
            for (int c = 0; c < columns; ++c) {
                const double w = widths[static_cast<std::size_t>(c)] * factor;
                const QModelIndex index = model.index(r, c);
                const QVariant align = model.data(index, Qt::TextAlignmentRole);
                const int flags =
                    align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
                painter.drawText(QRectF(x + 2 * point, y, w - 4 * point, rowHeight), flags,
                                 model.data(index).toString());
                x += w;
            }
        }
        painter.setFont(footerFont);
        painter.drawText(QRectF(0, page.height() - footerHeight, page.width(), footerHeight),
                         Qt::AlignHCenter | Qt::AlignBottom,
                         QStringLiteral("Página: %1 de %2").arg(p + 1).arg(pages));
    }
    painter.end();
    return pages;
}

GridPreview::GridPreview(QWidget* parent)
    : QWidget(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName(QStringLiteral("Visualizador"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    toolBar_ = new QToolBar(this);
    preview_ = new QPrintPreviewWidget(printer_.get(), this);
    layout->addWidget(toolBar_);
    layout->addWidget(preview_, 1);

    connect(preview_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        if (model_)
            printGrid(*printer, *model_, title_, widths_, &rowsPerPage_);
    });

    auto add = [this](const QString& caption, const QString& tip, auto slot) {
        QAction* action = toolBar_->addAction(caption.isEmpty() ? tip : caption);
        action->setToolTip(tip);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(QStringLiteral("&Imprimir..."), QStringLiteral("Imprimir"), [this] {
        QPrintDialog dialog(printer_.get(), this);
        if (dialog.exec() == QDialog::Accepted)
            preview_->print();
    });
    add({}, QStringLiteral("Copiar"), [this] { copyReport(); });
    add({}, QStringLiteral("Procurar"), [this] { findText(); });
    toolBar_->addSeparator();
    add({}, QStringLiteral("Página Simples"), [this] { preview_->setSinglePageViewMode(); });
    add({}, QStringLiteral("Páginas Múltiplas"), [this] { preview_->setFacingPagesViewMode(); });
    toolBar_->addSeparator();
    add({}, QStringLiteral("Diminuir"), [this] { preview_->zoomOut(); });
    add({}, QStringLiteral("Aumentar"), [this] { preview_->zoomIn(); });
    toolBar_->addSeparator();
    add({}, QStringLiteral("Página anterior"), [this] { goTo(currentPage() - 1); });
    add({}, QStringLiteral("Página seguinte"), [this] { goTo(currentPage() + 1); });
    toolBar_->addSeparator();
    add(QStringLiteral("Avançar"), QStringLiteral("Avançar"), [this] {
        if (forward_.empty())
            return;
        back_.push_back(currentPage());
        const int page = forward_.back();
        forward_.pop_back();
        goTo(page, false);
    });
    add(QStringLiteral("Recuar"), QStringLiteral("Recuar"), [this] {
        if (back_.empty())
            return;
        forward_.push_back(currentPage());
        const int page = back_.back();
        back_.pop_back();
        goTo(page, false);
    });
}

GridPreview::~GridPreview() = default;

void GridPreview::setReport(const QAbstractItemModel* model, const QString& title,
                            std::vector<int> columnWidths) {
    model_ = model;
    title_ = title;
    widths_ = std::move(columnWidths);
    back_.clear();
    forward_.clear();
    preview_->updatePreview();
}

int GridPreview::pageCount() const {
    return preview_->pageCount();
}

int GridPreview::currentPage() const {
    return preview_->currentPage();
}

QList<QAction*> GridPreview::tools() const {
    QList<QAction*> tools;
    for (QAction* action : toolBar_->actions()) {
        if (!action->isSeparator())
            tools << action;
    }
    return tools;
}

void GridPreview::goTo(int page, bool remember) {
    page = std::clamp(page, 1, std::max(1, pageCount()));
    if (page == currentPage())
        return;
    if (remember) {
        back_.push_back(currentPage());
        forward_.clear();
    }
    preview_->setCurrentPage(page);
}

void GridPreview::copyReport() const {
    if (!model_)
        return;
    QStringList lines;
    QStringList cells;
    for (int c = 0; c < model_->columnCount(); ++c)
        cells << model_->headerData(c, Qt::Horizontal).toString();
    lines << cells.join(QLatin1Char('\t'));
    for (int r = 0; r < model_->rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < model_->columnCount(); ++c)
            cells << model_->data(model_->index(r, c)).toString();
        lines << cells.join(QLatin1Char('\t'));
    }
    QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

void GridPreview::findText() {
    if (!model_ || pageCount() == 0)
        return;
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, QStringLiteral("Procurar"), QStringLiteral("Texto:"), QLineEdit::Normal, {}, &ok);
    if (!ok || text.isEmpty())
        return;
    const int rows = model_->rowCount();
    const int perPage = std::max(1, rowsPerPage_);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < model_->columnCount(); ++c) {
            if (model_->data(model_->index(r, c)).toString().contains(text, Qt::CaseInsensitive)) {
                goTo(r / perPage + 1);
                return;
            }
        }
    }
}

}  // namespace agrimor
