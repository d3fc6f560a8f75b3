#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace agrimor {

class DataAccess;

// The month-end board: where each company of the group stands in each month of a year, read from
// the databases themselves (never from flags that can drift), with nothing written.

// One company in one month.
struct BoardCell {
    int month = 0;
    // Movimentos: the general-accounting lines of the month the class-9 derivation reads; empty
    // when the company's database could not be reached.
    std::optional<std::int64_t> movements;
    // Classe9: the lines of the company's class-9 document type in the month on class-9
    // accounts; empty without class-9 settings or without the company's database.
    std::optional<std::int64_t> class9;
    // Cambios: the rate rows of the company's currency dated in the month; empty for a company
    // in euros. `unusableRate`: one of them has no rate or one not above zero.
    std::optional<std::int64_t> rates;
    bool unusableRate = false;
    // Anomalias: what the check-up of the month would report; empty when it can not run (the
    // company's `problem` says why).
    std::optional<std::int64_t> anomalies;
    // Consolidado: the consolidated lines of the company's consolidation type and series in the
    // month; empty without those settings.
    std::optional<std::int64_t> consolidated;
    // ConsolidadoEm: when the last consolidation run of the month ended, from the run log.
    QDateTime consolidatedAt;
};

// What the cell's colour says.
enum class CellState {
    Nothing,    // no line of the month yet
    Partial,    // lines, not consolidated yet (class-9 lines to integrate or the consolidation)
    Anomalies,  // not consolidated and the check-up would report anomalies (or can not run)
    Done,       // consolidated
};
CellState cellState(const BoardCell& cell);

// The job that comes next for a company and month, whose screen a double click opens.
enum class NextJob {
    MovementImport,  // no general-accounting line yet
    Class9,          // general lines whose class-9 lines are still to integrate
    RateImport,      // a company in another currency without a usable rate of the month
    Consolidation,   // the check-up and consolidation, or what was consolidated
};
NextJob nextJob(const BoardCell& cell);

struct BoardCompany {
    int bd = 0;
    QString name;
    QString currency;      // empty without settings
    bool reached = false;  // its database was opened
    QString problem;       // why the check-up can not run for it (a settings row missing...)
    std::array<BoardCell, 12> months;  // months[m - 1]
};

struct MonthBoard {
    int year = 0;
    std::vector<BoardCompany> companies;  // the group's order
    std::int64_t statements = 0;          // sent to the consolidated and company databases
};

// Reads the board of `year` for every company of the group, from the consolidated database
// (`consolidated`, which also gives how the company databases are reached) and the companies'
// own. Per company and year: its settings row, the settings check (two lookups), the
// consolidated lines per month, the rates of the year, its parameters and, in its own database,
// three statements over the year (a fourth when an account is missing from the chart), the
// companies' databases read side by side on the machine's cores; once for all: the chart of
// accounts and the run log. A
// company whose database can not be reached gets no figures from it; a failure the check-up would
// stop at for one company (its settings refused, a table missing from its database) becomes that
// company's `problem` and leaves the figures it prevented empty. Throws DbError when the
// consolidated database fails.
MonthBoard readMonthBoard(DataAccess& consolidated, int year);

// The batch command's lines: the header, and one company's month tab-separated in its order.
QString boardHeader();
QString boardLine(const BoardCompany& company, const BoardCell& cell);

// ConsolidadoEm as the batch command and the screen write it: "yyyy-MM-dd HH:mm:ss", empty when
// there is none.
QString consolidatedAtText(const QDateTime& at);

}  // namespace agrimor
