#include "movimport/import_tables.h"

namespace agrimor {

namespace {

ColumnDef text(const char* name, int width) {
    return {QString::fromLatin1(name), ColumnType::Text, width};
}
ColumnDef whole(const char* name) {
    return {QString::fromLatin1(name), ColumnType::Int16, 0};
}
ColumnDef currency(const char* name) {
    return {QString::fromLatin1(name), ColumnType::Currency, 0};
}

}  // namespace

ImportLinesTable::ImportLinesTable(QObject* parent)
    : MemoryTable(
          {whole("TpTerc"),     text("Conta", 15),     text("Terc", 15),    text("TpDoc", 3),
           text("DataDoc", 10), currency("Valor"),     whole("DbCr"),       text("Descr", 32),
           text("Setor", 3),    text("Diario", 3),     text("RubOrc", 6),   text("CCustOrc", 6),
           text("Serie", 10),   text("NCont", 20),     text("CodIva", 6),   text("CodFlu", 6),
           text("Custeio", 6),  text("Ref", 32),       text("Operador", 9), text("DataR", 10),
           whole("LinCC"),      currency("ValorBase"), text("Doc", 10)},
          parent) {}

ImportDocumentsTable::ImportDocumentsTable(QObject* parent)
    : MemoryTable(
          {text("Doc", 10), whole("Ano"), text("TpDoc", 3), text("Serie", 10), text("Diario", 3)},
          parent) {}

}  // namespace agrimor
