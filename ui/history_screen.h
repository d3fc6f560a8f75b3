#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "ledger/run_log.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace agrimor {

class DataAccess;
class Prompter;

// "Histórico" (frmHistorico): the run log, newest first, filtered by company, year, month and
// job, with every detail of the selected run; "Anular importação" undoes the selected import
// through the undo it is given (the import's service; this screen knows no job), then reloads.
class HistoryScreen : public QDialog {
    Q_OBJECT
public:
    // `undo` undoes run `id`, saying what happened through its own prompter.
    using UndoImport = std::function<void(std::int64_t id)>;

    HistoryScreen(DataAccess& shared, Prompter& prompter, const QStringList& companies,
                  UndoImport undo, QWidget* parent = nullptr);

    // Reads the runs the filters let through; a failure is said and leaves the list empty.
    void reload();
    // Undoes the selected run (the button).
    void undoSelected();

    QTableWidget* grid() const { return grid_; }
    QComboBox* companyFilter() const { return company_; }
    QLineEdit* yearFilter() const { return year_; }
    QComboBox* monthFilter() const { return month_; }
    QComboBox* taskFilter() const { return task_; }
    QPlainTextEdit* details() const { return details_; }
    QPushButton* undoButton() const { return undo_; }

private:
    void showSelected();
    const RunRecord* selected() const;

    DataAccess& shared_;
    Prompter& prompter_;
    UndoImport undoImport_;
    std::vector<RunRecord> runs_;

    QComboBox* company_ = nullptr;
    QLineEdit* year_ = nullptr;
    QComboBox* month_ = nullptr;
    QComboBox* task_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    QPushButton* undo_ = nullptr;
};

}  // namespace agrimor
