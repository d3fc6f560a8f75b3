#pragma once

#include <QDate>
#include <QList>
#include <QPersistentModelIndex>
#include <QTableView>
#include <functional>

#include "consolidation/screen/rate_grid_model.h"

class QCalendarWidget;

namespace agrimor {

class DataAccess;
class Prompter;

// A company tab's rate grid: the rates of the tab's currency, editable, with the month calendar
// of the date column.
//
// Editing. Any key pressed in the grid or in a cell being edited sets the validation flag; Esc
// and the left arrow clear it (Esc also cancels the edit and goes no further). A typed cell is
// validated when its edit is committed, if the flag is set or the text differs from the cell's
// text when the edit began (a changed text is never accepted unchecked); the flag is cleared
// afterwards.
// - Data: empty becomes today's date; a valid day-month-year date is accepted and marks the row
//   changed; anything else shows "Data inválida!" (titled, error icon) and the cell keeps its
//   text.
// - Câmbio: empty shows "Campo obrigatório!" and empties the cell without marking the row; a
//   positive number (decimal comma or point) is accepted and marks the row; anything else shows
//   "Valor inválido!" and the cell keeps its value.
// Delete asks to remove the current row: any row but the free one at the end; a stored one is
// deleted from the table when the tab is confirmed. The date cell's
// button, F4 or Alt+Down opens the calendar beside the cell.
class RateGridView : public QTableView {
    Q_OBJECT
public:
    explicit RateGridView(Prompter& prompter, QWidget* parent = nullptr);

    RateGridModel& model() { return model_; }
    const QList<int>& removedIds() const { return removedIds_; }
    QCalendarWidget* calendar() const { return calendar_; }

    // The clock that gives today's date to an empty date cell.
    void setToday(std::function<QDate()> today) { today_ = std::move(today); }

    // Loads the rates of `currency`, newest first, and empties the removed-rates list. Throws
    // DbError; the grid is then left as it was.
    void load(DataAccess& db, const QString& currency);
    // Empties the grid (one free row) and the removed-rates list.
    void clear();
    // The rows marked changed that have a date but no rate: storing them would put a rate without
    // a value into the table, so the tab's confirmation stores the grid only when there are none.
    QList<int> changedRowsWithoutRate() const;
    // Stores the changed rows and the removals for `currency` and shows the grid reloaded. Throws
    // DbError; nothing is then stored and the grid is left as it was.
    void store(DataAccess& db, const QString& currency);

    // What committing an edit of `index` with `typed` does (the cell editor calls it). True when
    // the text was accepted.
    bool commitEdit(const QModelIndex& index, const QString& typed);
    // Asks to remove `row`: refused for the free row, confirmed otherwise.
    void requestRemoveRow(int row);
    // Opens the month calendar for the date cell of `row`.
    void openCalendar(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class RateCellDelegate;
    void editStarted(const QModelIndex& index, const QString& text);
    void noteKey(int key);
    void calendarChosen(QDate date, bool moveOn);
    void hideCalendar();

    Prompter& prompter_;
    RateGridModel model_;
    QList<int> removedIds_;
    bool validationFlag_ = false;
    bool validating_ = false;
    QPersistentModelIndex editing_;
    QString textAtEditStart_;
    QString pendingEditorText_;  // put into the next editor instead of the cell's text
    std::function<QDate()> today_ = [] { return QDate::currentDate(); };
    QCalendarWidget* calendar_ = nullptr;
    QPersistentModelIndex calendarCell_;
};

}  // namespace agrimor
