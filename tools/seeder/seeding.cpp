#include "tools/seeder/seeding.h"

#include "data/data_access.h"

namespace agrimor::demo {

void addRows(DataAccess& db, const QString& table, const QStringList& columns,
             const QList<Params>& rows) {
    UpdatableRecordset recordset = db.openUpdatable(table, QStringLiteral("1 = 0"));
    for (const Params& row : rows) {
        recordset.addNew();
        for (qsizetype i = 0; i < columns.size(); ++i)
            recordset.setField(columns.at(i), row.at(i));
        recordset.update();
    }
}

Value optionalText(const char* utf8) {
    return utf8 ? Value(text(utf8)) : Value();
}

QStringList names(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* name : list)
        result << QString::fromLatin1(name);
    return result;
}

}  // namespace agrimor::demo
