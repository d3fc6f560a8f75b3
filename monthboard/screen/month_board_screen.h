#pragma once

#include <QWidget>
#include <optional>

#include "monthboard/month_board.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace agrimor {

class DataAccess;
class Prompter;

// "Fecho do Mês" (frmFechoMes): the month-end board of a year, the six companies by the twelve
// months. Each cell is coloured by where the company stands in that month (consolidated,
// partly done, anomalies, nothing yet) and carries its figures in its tooltip; the selected
// cell's figures are shown below the grid. A double click asks for the screen of the job that is
// next for that company and month (openJob); the program's wiring opens it, so this screen knows
// no other job's screen. The board is read when the screen opens, on "Atualizar" and whenever
// refresh() is called (the program calls it after any job run from its menu). Not modal.
class MonthBoardScreen : public QWidget {
    Q_OBJECT
public:
    MonthBoardScreen(DataAccess& shared, Prompter& prompter, int year, QWidget* parent = nullptr);

    QLineEdit* yearField() const { return year_; }
    QTableWidget* grid() const { return grid_; }
    QLabel* detail() const { return detail_; }
    const std::optional<MonthBoard>& board() const { return board_; }

    // Reads the board of the year in the year field again; a failure is told and leaves the grid
    // empty.
    void refresh();
    // Selects the cell of company `bd` (1..6) and `month` (1..12).
    void selectCell(int bd, int month);

signals:
    void openJob(agrimor::NextJob job, int bd, int year, int month);

private:
    void showBoard();
    void showDetail();
    void cellOpened(int row, int column);

    DataAccess& shared_;
    Prompter& prompter_;
    QLineEdit* year_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLabel* detail_ = nullptr;
    std::optional<MonthBoard> board_;
};

}  // namespace agrimor
