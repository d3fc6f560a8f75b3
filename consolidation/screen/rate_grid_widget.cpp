#include "consolidation/screen/rate_grid_widget.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

#include "core/message_box.h"
#include "data/currency.h"
#include "data/day_month_year.h"
#include "data/money_text.h"
#include "ui/twips.h"

namespace agrimor {

namespace {

// Widths in twips.
constexpr int kMoedaWidthTwips = 750;
constexpr int kDateWidthTwips = 1500;
constexpr int kRateWidthTwips = 1750;
constexpr int kHiddenWidthTwips = 1300;

QRect buttonRect(const QRect& cell) {
    const int side = cell.height();
    return QRect(cell.right() - side + 1, cell.top(), side, side);
}

}  // namespace

// The cell editor: remembers the text an edit starts with, reports every key to the grid and
// hands the committed text to RateGridView::commitEdit. Paints the date cell's button.
class RateCellDelegate : public QStyledItemDelegate {
public:
    explicit RateCellDelegate(RateGridView* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line)
            return QStyledItemDelegate::setEditorData(editor, index);
        const QString current = index.data(Qt::EditRole).toString();
        grid_->editStarted(index, current);
        if (grid_->pendingEditorText_.isNull()) {
            line->setText(current);
        } else {
            line->setText(grid_->pendingEditorText_);
            grid_->pendingEditorText_ = QString();
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            grid_->commitEdit(index, line->text());
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        if (index.column() != RateGridModel::Data || index.row() != grid_->currentIndex().row())
            return;
        QStyleOptionButton button;
        button.rect = buttonRect(option.rect);
        button.state = QStyle::State_Enabled | QStyle::State_Raised;
        QStyle* style = grid_->style();
        style->drawControl(QStyle::CE_PushButtonBevel, &button, painter, grid_);
        QStyleOption arrow;
        arrow.rect = button.rect.adjusted(4, 4, -4, -4);
        arrow.state = QStyle::State_Enabled;
        arrow.palette = option.palette;
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, grid_);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        if (event->type() == QEvent::MouseButtonRelease && index.column() == RateGridModel::Data &&
            index.row() == grid_->currentIndex().row() &&
            buttonRect(option.rect)
                .contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            grid_->openCalendar(index.row());
            return true;
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

protected:
    bool eventFilter(QObject* editor, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            grid_->noteKey(static_cast<QKeyEvent*>(event)->key());
        return QStyledItemDelegate::eventFilter(editor, event);
    }

private:
    RateGridView* grid_;
};

RateGridView::RateGridView(Prompter& prompter, QWidget* parent)
    : QTableView(parent), prompter_(prompter) {
    setModel(&model_);
    setItemDelegate(new RateCellDelegate(this));
    setToolTip(QStringLiteral("Lista de Câmbios."));
    QFont font(QStringLiteral("Verdana"), 8);
    setFont(font);
    horizontalHeader()->setFont(font);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setSortingEnabled(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setColumnWidth(RateGridModel::Moeda, twipsToPixels(kMoedaWidthTwips));
    setColumnWidth(RateGridModel::Data, twipsToPixels(kDateWidthTwips));
    setColumnWidth(RateGridModel::Cambio, twipsToPixels(kRateWidthTwips));
    setColumnWidth(RateGridModel::Id, twipsToPixels(kHiddenWidthTwips));
    setColumnWidth(RateGridModel::Alterado, twipsToPixels(kHiddenWidthTwips));
    for (const int hidden : {RateGridModel::Moeda, RateGridModel::Id, RateGridModel::Alterado})
        setColumnHidden(hidden, true);
    // The button of the date cell follows the current row.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, viewport(),
            qOverload<>(&QWidget::update));
}

void RateGridView::load(DataAccess& db, const QString& currency) {
    std::vector<RateRow> rows = loadRateGrid(db, currency);
    removedIds_.clear();
    model_.setRates(std::move(rows));
}

void RateGridView::clear() {
    removedIds_.clear();
    model_.setRates({});
}

QList<int> RateGridView::changedRowsWithoutRate() const {
    QList<int> rows;
    for (int row = 0; row < model_.rowCount(); ++row) {
        const RateRow& rate = model_.rate(row);
        if (rate.changed && rate.date.isValid() && !rate.rate)
            rows.append(row);
    }
    return rows;
}

void RateGridView::store(DataAccess& db, const QString& currency) {
    std::vector<RateRow> rows = storeRateGrid(db, currency, model_.rates(), removedIds_);
    model_.setRates(std::move(rows));
}

void RateGridView::editStarted(const QModelIndex& index, const QString& text) {
    editing_ = index;
    textAtEditStart_ = text;
}

void RateGridView::noteKey(int key) {
    validationFlag_ = key != Qt::Key_Escape && key != Qt::Key_Left;
}

bool RateGridView::commitEdit(const QModelIndex& index, const QString& typed) {
    // A message box shown below takes the focus from the editor, which commits it once more.
    if (validating_ || !index.isValid())
        return false;
    const QString before =
        index == editing_ ? textAtEditStart_ : index.data(Qt::EditRole).toString();
    if (!validationFlag_ && typed == before)
        return true;
    validationFlag_ = false;
    QScopedValueRollback<bool> guard(validating_, true);
    const int row = index.row();

    if (index.column() == RateGridModel::Data) {
        QString text = typed.trimmed();
        if (text.isEmpty())
            text = dayMonthYear(today_());
        const QDate date = parseDayMonthYear(text);
        if (!date.isValid()) {
            titledMessage(prompter_, QStringLiteral("Data inválida!"), 2);
            return false;
        }
        model_.setDate(row, date);
        model_.markChanged(row);
        return true;
    }
    if (index.column() == RateGridModel::Cambio) {
        if (typed.trimmed().isEmpty()) {
            inform(prompter_, QStringLiteral("Campo obrigatório!"));
            model_.setRate(row, std::nullopt);
            return true;
        }
        // Zero or less is as invalid as letters.
        const std::optional<Money> rate = parseRateText(typed);
        if (!rate) {
            inform(prompter_, kInvalidRate);
            return false;
        }
        model_.setRate(row, rate);
        model_.markChanged(row);
        return true;
    }
    return false;
}

void RateGridView::requestRemoveRow(int row) {
    if (row < 0 || row >= model_.rowCount())
        return;
    const RateRow& rate = model_.rate(row);
    // Only the free row at the end holds nothing to remove.
    if (!rate.id && !rate.date.isValid() && !rate.rate) {
        inform(prompter_, QStringLiteral("Impossível remover linha!"));
        return;
    }
    const std::optional<int> id = rate.id;
    if (!confirmOkCancel(prompter_, QStringLiteral("Vai retirar uma linha de câmbio da tabela!\r\n"
                                                   "Pretende continuar?")))
        return;
    // A row typed on the screen and never stored only leaves the grid.
    if (id)
        removedIds_.append(*id);
    model_.removeRate(row);
}

void RateGridView::keyPressEvent(QKeyEvent* event) {
    noteKey(event->key());
    const bool onDate = currentIndex().column() == RateGridModel::Data;
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
        requestRemoveRow(currentIndex().row());
        return;
    }
    if (onDate && (event->key() == Qt::Key_F4 ||
                   (event->key() == Qt::Key_Down && event->modifiers() & Qt::AltModifier))) {
        openCalendar(currentIndex().row());
        return;
    }
    QTableView::keyPressEvent(event);
}

void RateGridView::openCalendar(int row) {
    if (row < 0 || row >= model_.rowCount())
        return;
    if (!calendar_) {
        calendar_ = new QCalendarWidget(window());
        calendar_->setObjectName(QStringLiteral("MonthView1"));
        calendar_->setAutoFillBackground(true);
        calendar_->setGridVisible(true);
        calendar_->hide();
        calendar_->installEventFilter(this);
        for (QWidget* child : calendar_->findChildren<QWidget*>())
            child->installEventFilter(this);
        connect(calendar_, &QCalendarWidget::clicked, this,
                [this](QDate date) { calendarChosen(date, true); });
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (calendar_ && calendar_->isVisible() &&
                (!now || (now != calendar_ && !calendar_->isAncestorOf(now))))
                calendar_->hide();
        });
    }
    calendarCell_ = model_.index(row, RateGridModel::Data);
    setCurrentIndex(calendarCell_);
    const QDate date = model_.rate(row).date;
    calendar_->setSelectedDate(date.isValid() ? date : today_());

    // Just below and to the right of the cell, moved back inside the window when it would
    // overflow.
    calendar_->resize(calendar_->sizeHint());
    const QRect cell = visualRect(calendarCell_);
    QPoint place = viewport()->mapTo(window(), cell.bottomRight() + QPoint(1, 1));
    const QSize room = window()->size();
    place.setX(std::max(0, std::min(place.x(), room.width() - calendar_->width())));
    place.setY(std::max(0, std::min(place.y(), room.height() - calendar_->height())));
    calendar_->move(place);
    calendar_->raise();
    calendar_->show();
    calendar_->setFocus();
}

bool RateGridView::eventFilter(QObject* watched, QEvent* event) {
    if (calendar_ && event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        (watched == calendar_ || calendar_->isAncestorOf(static_cast<QWidget*>(watched)))) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            calendarChosen(calendar_->selectedDate(), false);
            return true;
        }
        if (key == Qt::Key_Escape) {
            hideCalendar();
            setFocus();
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void RateGridView::calendarChosen(QDate date, bool moveOn) {
    hideCalendar();
    setFocus();
    if (!calendarCell_.isValid())
        return;
    const QModelIndex cell = calendarCell_;
    setCurrentIndex(cell);
    const QString text = dayMonthYear(date);
    validationFlag_ = true;
    if (moveOn) {
        // As if the date had been typed into the cell and Tab pressed: validated, then on to the
        // rate.
        if (commitEdit(cell, text))
            setCurrentIndex(cell.siblingAtColumn(RateGridModel::Cambio));
        return;
    }
    // The cell is left in edit mode with the date; leaving it validates as for a typed date.
    pendingEditorText_ = text;
    edit(cell);
}

void RateGridView::hideCalendar() {
    if (calendar_)
        calendar_->hide();
}

}  // namespace agrimor
