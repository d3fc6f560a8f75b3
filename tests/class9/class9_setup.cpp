#include "tests/class9/class9_setup.h"

#include <gtest/gtest.h>

#include "data/own_tables.h"
#include "tools/seeder/erp_schema.h"

namespace agrimor::test {

using namespace Qt::StringLiterals;

Class9Setup::Class9Setup(EngineKind kind) : kind_(kind) {
    consolidated_ = createDatabase(kind, folder_.path(), u"Consolidado.db"_s);
    ensureOwnTables(*consolidated_);
    company_ = createDatabase(kind, folder_.path(), u"Empresa.db"_s);
    createErpTables(*company_);
    input.bd = 1;
    input.companyName = u"Velmor"_s;
    input.yearText = u"2024"_s;
    input.month = 3;
    input.tpDoc = u"CL9"_s;
    input.serie = u"1"_s;
    input.diario = u"09"_s;
}

void Class9Setup::addChart(const std::vector<ChartRow>& rows) {
    Transaction transaction(*company_);
    UpdatableRecordset poc = company_->openUpdatable(u"POC"_s, u"1=0"_s);
    for (const ChartRow& row : rows) {
        poc.addNew();
        poc.setField(u"Conta"_s, row.conta);
        poc.setField(u"Exercicio"_s, row.exercicio);
        poc.setField(u"Descr"_s, u"Conta "_s + row.conta);
        poc.setField(u"NivInt"_s, 0);
        poc.setField(u"cl9dd"_s, row.cl9dd.isEmpty() ? Value() : Value(row.cl9dd));
        poc.setField(u"cl9cc"_s, row.cl9cc.isEmpty() ? Value() : Value(row.cl9cc));
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
        u"SELECT * FROM MovCTB ORDER BY Ano, TpDoc, Serie, NumDoc, NumLinha"_s);
    for (; !all.eof(); all.moveNext()) {
        QStringList values;
        for (int c = 0; c < all.columnCount(); ++c)
            values << (all.field(c).isNull() ? u"<null>"_s : all.field(c).toText());
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
    line.diario = u"01"_s;
    line.numDiari = numDoc;
    line.tpTerc = 1;
    line.terc = u"F%1"_s.arg(numDoc);
    line.ref = u"Ref %1/%2"_s.arg(numDoc).arg(numLinha);
    line.descr = u"Linha %1 de %2 %3"_s.arg(numLinha).arg(tpDoc).arg(numDoc);
    line.sector = u"S%1"_s.arg(numLinha);
    line.rubOrc = u"R01"_s;
    line.cCustOrc = u"C0%1"_s.arg(numDoc % 10);
    line.nCont = u"500000000"_s;
    line.codIva = u"NOR"_s;
    line.codFlu = u"F1"_s;
    line.custeio = u"P00100"_s;
    line.operador = u"ana"_s;
    line.linCC = u"L%1"_s.arg(numLinha);
    line.versao = 3;
    line.origem = 2;
    line.erroCtb = u"nenhum"_s;
    line.mnlAut = 1;
    line.mvDes = 5;
    line.ctResp = 6;
    line.valorBase = line.valor;
    return line;
}

demo::Movement class9Line(const QString& tpDoc, int numDoc, int numLinha, const QString& conta,
                          int dbCr, const QString& valor, int day, int month) {
    demo::Movement line = generalLine(tpDoc, numDoc, numLinha, conta, dbCr, valor, day, month);
    line.diario = u"09"_s;
    line.tpTerc = 4;
    line.ref = u"FT/2024/1/%1/%2"_s.arg(numDoc).arg(numLinha);
    return line;
}

}  // namespace agrimor::test
