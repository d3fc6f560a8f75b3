#pragma once

#include "data/table_layout.h"

namespace agrimor {

class DataAccess;

// Creates the program's three tables in the consolidated database when they are missing and
// brings older layouts up to date, in this order: the tables, the class-9 columns of the
// settings table, its AteMes column (0 in the rows that existed), and the text type of its series
// columns. Probes that fail for another reason than a missing table or column leave the tables as
// they are; a failing creation or alteration throws DbError.
void ensureOwnTables(DataAccess& db);

// The program's tables as ensureOwnTables() leaves a new database.
const QList<TableLayout>& ownTablesLayout();

// The declared length of a text column of the program's tables ("nvarchar(3)": 3); 0 for a column
// of another type or one they do not have.
int ownColumnWidth(const QString& table, const QString& column);

}  // namespace agrimor
