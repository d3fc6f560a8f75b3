#pragma once

#include <QString>

#include "class9/class9_writer.h"
#include "class9/working_set.h"

namespace agrimor {

class DataAccess;
class Prompter;

// What the class-9 screen holds when one of its commands runs.
struct Class9Input {
    int bd = 0;           // the chosen company, 1..6; 0 when none is chosen
    QString companyName;  // as the company list shows it
    QString yearText;     // as typed
    int month = 0;        // 1..12; 0 when none is chosen
    QString tpDoc;        // class-9 document type, series and journal, as typed
    QString serie;
    QString diario;
};

enum class Class9LoadMode {
    Derived = 1,   // lines derived from the general-accounting lines (deriveClass9Lines)
    Reloaded = 2,  // class-9 lines an earlier integration wrote (reloadClass9Lines)
};

// The screen's state from a load to its confirmation: the working set the grid shows, whether
// it may be written, how, and what is to be deleted first.
class Class9State {
public:
    Class9WorkingSet& set() { return set_; }
    const Class9WorkingSet& set() const { return set_; }

    bool loaded = false;
    Class9LoadMode mode = Class9LoadMode::Derived;
    bool cancelErp = false;         // delete the month's class-9 lines of other document types
    bool cancelIntegrated = false;  // delete the month's lines of the class-9 document type
    QString lastError;              // the description of the last failure shown

    // What the working set was loaded for; a confirmation writes only for the same.
    int loadedBd = 0;
    int loadedYear = 0;
    int loadedMonth = 0;
    QString loadedTpDoc;

private:
    Class9WorkingSet set_;
};

// The databases and the user a class-9 command works with. `company` is the database of the
// chosen company, null when it could not be opened.
struct Class9Environment {
    DataAccess& consolidated;
    DataAccess* company = nullptr;
    Prompter& prompter;
};

enum class Class9Outcome {
    Done,           // loaded (rows in the working set) or written
    NothingToDo,    // load: no rows; confirm: nothing loaded
    FieldsMissing,  // the fields message was shown
    Refused,        // a field or the grid is not right (year, accounts, stale load); shown
    Cancelled,      // the user answered Cancel
    Failed,         // an error was shown; nothing was written
};

// "Carregar": checks the fields and the year, stores the company's class-9 settings, looks for
// the month's class-9 movements of other document types (ERP) and of the class-9 type
// (integrated), asks what to do and loads the working set by derivation or reload, recording the
// decisions in `state`. Once the fields and the year are accepted the earlier working set is
// emptied with the loaded flag: a load given up at a question, or one that fails, leaves no lines
// on the grid that a confirmation would not write. A database failure is shown as
// "Empresa: <name>\n\rErro: <text>".
Class9Outcome loadClass9(Class9Environment& environment, const Class9Input& input,
                         Class9State& state);

struct Class9ConfirmResult {
    Class9Outcome outcome = Class9Outcome::NothingToDo;
    Class9WriteSummary written;   // load mode 1
    Class9UpdateSummary updated;  // load mode 2
};

// "Confirmar": checks the grid, sorts it, asks, then in one transaction on the company database
// deletes what the load decided and writes (mode 1) or updates (mode 2) the working set. On
// success and on failure the loaded flag is cleared (the screen then clears itself); a failure is
// rolled back and shown as "Empresa: <name>\n\rErro: <text>".
Class9ConfirmResult confirmClass9(Class9Environment& environment, const Class9Input& input,
                                  Class9State& state, const Class9Progress& progress = {});

// True when every row with a general account has a class-9 account.
bool isGridComplete(const Class9WorkingSet& set);

// The year field as a year: digits, optionally surrounded by spaces, from 1 to 32767.
// Anything else throws Class9Error.
int parseClass9Year(const QString& yearText);

}  // namespace agrimor
