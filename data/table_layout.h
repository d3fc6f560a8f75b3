#pragma once

#include <QList>
#include <QString>

namespace agrimor {

// A column as the server declares it: "smallint", "int", "nvarchar(15)", "money", "datetime",
// "timestamp" (the row version).
struct ColumnLayout {
    QString name;
    QString type;
};

struct TableLayout {
    QString name;
    QList<ColumnLayout> columns;
};

}  // namespace agrimor
