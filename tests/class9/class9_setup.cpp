#include "tests/class9/class9_setup.h"

#include <gtest/gtest.h>

#include "data/own_tables.h"
#include "tools/seeder/erp_schema.h"

namespace agrimor::test {

Class9Setup::Class9Setup(EngineKind kind) : kind_(kind) {
    consolidated_ = createDatabase(kind, folder_.path(), QStringLiteral("Consolidado.db"));
    ensureOwnTables(*consolidated_);
    company_ = createDatabase(kind, folder_.path(), QStringLiteral("Empresa.db"));
    createErpTables(*company_);
    input.bd = 1;
    input.companyName = QStringLiteral("Velmor");
    input.yearText = QStringLiteral("2024");
    input.month = 3;
    input.tpDoc = QStringLiteral("CL9");
    input.serie = QStringLiteral("1");
    input.diario = QStringLiteral("09");
}

void Class9Setup::addChart(const std::vector<ChartRow>& rows) {
    Transaction transaction(*company_);
    UpdatableRecordset poc = company_->openUpdatable(QStringLiteral("POC"), QStringLiteral("1=0"));
    for (const ChartRow& row : rows) {
        poc.addNew();
        poc.setField(QStringLiteral("Conta"), row.conta);
        poc.setField(QStringLiteral("Exercicio"), row.exercicio);
        poc.setField(QStringLiteral("Descr"), QStringLiteral("Conta ") + row.conta);
        poc.setField(QStringLiteral("NivInt"), 0);
        poc.setField(QStringLiteral("cl9dd"), row.cl9dd.isEmpty() ? Value() : Value(row.cl9dd));
        poc.setField(QStringLiteral("cl9cc"), row.cl9cc.isEmpty() ? Value() : Value(row.cl9cc));
        poc.update();
    }
    transaction.commit();
}

void Class9Setup::addLines(const std::vector<demo::Movement>& lines) {
    demo::insertMovements(*company_, lines);
}

QStringList Class9Setup::snapshot() {
    QStringList rows;
    Recordset all = company_->openReadOnly(
        QStringLiteral("SELECT * FROM MovCTB ORDER BY Ano, TpDoc, Serie, NumDoc, NumLinha"));
    for (; !all.eof(); all.moveNext()) {
        QStringList values;
        for (int c = 0; c < all.columnCount(); ++c)
            values << (all.field(c).isNull() ? QStringLiteral("<null>") : all.field(c).toText());
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

Recordset Class9Setup::lines(const QString& tpDoc, const QString& serie) {
    return movementsOf(*company_, tpDoc, serie);
}

demo::Movement generalLine(const QString& tpDoc, int numDoc, int numLinha, const QString& conta,
                           int dbCr, const QString& valor, int day, int month) {
    demo::Movement line;
    line.ano = 2024;
    line.mes = month;
    line.exercicio = 2024;
    line.tpDoc = tpDoc;
    line.numDoc = numDoc;
    line.numLinha = numLinha;
    line.conta = conta;
    line.dbCr = dbCr;
    line.valor = *Money::parse(valor);
    line.dataDoc = QDate(2024, month, day);
    line.diario = QStringLiteral("01");
    line.numDiari = numDoc;
    line.tpTerc = 1;
    line.terc = QStringLiteral("F%1").arg(numDoc);
    line.ref = QStringLiteral("Ref %1/%2").arg(numDoc).arg(numLinha);
    line.descr = QStringLiteral("Linha %1 de %2 %3").arg(numLinha).arg(tpDoc).arg(numDoc);
    line.sector = QStringLiteral("S%1").arg(numLinha);
    line.rubOrc = QStringLiteral("R01");
    line.cCustOrc = QStringLiteral("C0%1").arg(numDoc % 10);
    line.nCont = QStringLiteral("500000000");
    line.codIva = QStringLiteral("NOR");
    line.codFlu = QStringLiteral("F1");
    line.custeio = QStringLiteral("P00100");
    line.operador = QStringLiteral("ana");
    line.linCC = QStringLiteral("L%1").arg(numLinha);
    line.versao = 3;
    line.origem = 2;
    line.erroCtb = QStringLiteral("nenhum");
    line.mnlAut = 1;
    line.mvDes = 5;
    line.ctResp = 6;
    line.valorBase = line.valor;
    return line;
}

demo::Movement class9Line(const QString& tpDoc, int numDoc, int numLinha, const QString& conta,
                          int dbCr, const QString& valor, int day, int month) {
    demo::Movement line = generalLine(tpDoc, numDoc, numLinha, conta, dbCr, valor, day, month);
    line.diario = QStringLiteral("09");
    line.tpTerc = 4;
    line.ref = QStringLiteral("FT/2024/1/%1/%2").arg(numDoc).arg(numLinha);
    return line;
}

}  // namespace agrimor::test
