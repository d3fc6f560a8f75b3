#include "tests/movimport/import_setup.h"

#include "tools/seeder/erp_schema.h"

namespace agrimor::test {

using namespace Qt::StringLiterals;

ImportCompany::ImportCompany(EngineKind kind) : kind_(kind) {
    db_ = createDatabase(kind, folder_.path(), fileName());
    createErpTables(*db_);
    Transaction transaction(*db_);
    const auto run = [this](const char* sql) { db_->execute(QString::fromUtf8(sql)); };
    run("INSERT INTO POC (Conta, Exercicio, NivInt) VALUES ('6221', 2024, 0), ('221', 2024, 0), "
        "('2432', 2024, 0), ('7111', 2024, NULL), ('9221', 2024, 0), ('9222', 2024, 0), "
        "('62', 2024, 1), ('6999', 2023, 0)");
    run("INSERT INTO TpDoc (Codigo) VALUES ('FC'), ('FT')");
    run("INSERT INTO Sectores (Codigo) VALUES ('01'), ('02')");
    run("INSERT INTO DIARIO (Codigo) VALUES ('01'), ('02')");
    run("INSERT INTO RUBRORC (Cod) VALUES ('R01')");
    run("INSERT INTO CCusto (Cod) VALUES ('CC1')");
    run("INSERT INTO Custeio (Custeio) VALUES ('P1')");
    run("INSERT INTO PLAIVA (CodIva, Exercicio, CNTIVA) VALUES ('IVA23', 2024, '2432'), "
        "('ISE', 2024, NULL)");
    run("INSERT INTO PLFLUX (CodFlux, Exercicio) VALUES ('F1', 2024)");
    run("INSERT INTO Fornec (Codigo) VALUES ('F1'), ('O''Brien')");
    run("INSERT INTO Clientes (Codigo) VALUES ('C1')");
    run("INSERT INTO NumDoc (Ano, Serie, Doc, Num) VALUES (2024, '1', 'FC', 41), "
        "(2024, '1', 'FT', NULL)");
    run("INSERT INTO NumDiar (Ano, Diario, Mes, Numerado) VALUES (2024, '01', 0, 7), "
        "(2024, '01', 3, 500), (2024, '02', 0, NULL)");
    transaction.commit();
}

std::unique_ptr<DataAccess> ImportCompany::connectAgain() const {
    auto db = std::make_unique<DataAccess>();
    db->connect(settingsFor(kind_, folder_.path(), fileName()));
    return db;
}

std::int64_t ImportCompany::documentNumerator(const QString& type, const QString& series) {
    return db_
        ->openReadOnly(QStringLiteral("SELECT Num FROM NumDoc WHERE Ano = 2024 AND Doc = ? AND "
                                      "Serie = ?"),
                       {type, series})
        .field(0)
        .toInt();
}

std::int64_t ImportCompany::journalNumerator(const QString& journal) {
    return db_
        ->openReadOnly(QStringLiteral("SELECT Numerado FROM NumDiar WHERE Ano = 2024 AND "
                                      "Diario = ? AND Mes = 0"),
                       {journal})
        .field(0)
        .toInt();
}

int ImportCompany::movementCount() {
    return countRows(*db_, u"MovCTB"_s);
}

void addLine(ImportLinesTable& lines, const QString& doc, const QString& conta, int dbCr,
             const QString& valor, LineChanges changes) {
    using L = ImportLinesTable;
    const int row = lines.appendRow();
    lines.setSourceRow(row, row + 2);
    const auto set = [&](int column, const Value& value) { lines.setValue(row, column, value); };
    set(L::Conta, conta);
    set(L::TpDoc, u"FC"_s);
    set(L::DataDoc, u"05-03-2024"_s);
    set(L::Valor, *Money::parse(valor));
    set(L::DbCr, dbCr);
    set(L::Descr, u"Compra "_s + doc);
    set(L::Setor, u"01"_s);
    set(L::Diario, u"01"_s);
    set(L::Serie, u"1"_s);
    set(L::Doc, doc);
    for (const auto& [column, value] : changes)
        set(column, value);
}

}  // namespace agrimor::test
