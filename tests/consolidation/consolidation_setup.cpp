#include "tests/consolidation/consolidation_setup.h"

#include <gtest/gtest.h>

#include "data/own_tables.h"
#include "tools/seeder/erp_schema.h"

namespace agrimor::test {

ConsolidationSetup::ConsolidationSetup(EngineKind kind, int year) : kind_(kind), year_(year) {
    consolidated_ = createDatabase(kind, folder_.path(), QStringLiteral("Consolidado.db"));
    createErpTables(*consolidated_);
    ensureOwnTables(*consolidated_);
    addDocumentType(QStringLiteral("CNS"));
    addAccounts({QStringLiteral("9999")}, year);
}

void ConsolidationSetup::addAccounts(const QStringList& accounts, int year) {
    UpdatableRecordset poc =
        consolidated_->openUpdatable(QStringLiteral("POC"), QStringLiteral("1=0"));
    for (const QString& account : accounts) {
        poc.addNew();
        poc.setField(QStringLiteral("Conta"), account);
        poc.setField(QStringLiteral("Exercicio"), year);
        poc.update();
    }
}

void ConsolidationSetup::addDocumentType(const QString& code) {
    UpdatableRecordset types =
        consolidated_->openUpdatable(QStringLiteral("TpDoc"), QStringLiteral("1=0"));
    types.addNew();
    types.setField(QStringLiteral("Codigo"), code);
    types.update();
}

void ConsolidationSetup::addRate(const QString& currency, QDate date, const QString& rate) {
    UpdatableRecordset rates =
        consolidated_->openUpdatable(QStringLiteral("zeb_CNS_Cambios"), QStringLiteral("1=0"));
    rates.addNew();
    rates.setField(QStringLiteral("Moeda"), currency);
    rates.setField(QStringLiteral("Data"), date);
    rates.setField(QStringLiteral("Cambio"), *Money::parse(rate));
    rates.update();
}

DataAccess& ConsolidationSetup::addCompany(int bd, const CompanyConfig& config) {
    const QString file = QStringLiteral("company%1.db").arg(bd);
    auto company = createDatabase(kind_, folder_.path(), file);
    createErpTables(*company);
    {
        UpdatableRecordset settings = consolidated_->openUpdatable(
            QStringLiteral("zeb_CNS_DadosIniciais"), QStringLiteral("1=0"));
        settings.addNew();
        settings.setField(QStringLiteral("BD"), bd);
        settings.setField(QStringLiteral("Setor"), QStringLiteral("01"));
        settings.setField(QStringLiteral("TpDoc"), config.tpDoc);
        settings.setField(QStringLiteral("Serie"),
                          config.serie.isEmpty() ? QString::number(bd) : config.serie);
        settings.setField(QStringLiteral("DataMov"), QDate(year_, 1, 1));
        settings.setField(QStringLiteral("UltimoMes"), QString());
        settings.setField(QStringLiteral("Moeda"), config.currency);
        settings.setField(QStringLiteral("ContaArred"), config.contaArred);
        settings.setField(QStringLiteral("AteMes"), config.ateMes);
        settings.setField(QStringLiteral("TpDocCL9"), QStringLiteral("CL9"));
        settings.setField(QStringLiteral("SerieCL9"), QStringLiteral("1"));
        settings.setField(QStringLiteral("DiarioCL9"), QStringLiteral("09"));
        settings.update();
        UpdatableRecordset parameters = consolidated_->openUpdatable(
            QStringLiteral("zeb_CNS_Parametros"), QStringLiteral("1=0"));
        parameters.addNew();
        parameters.setField(QStringLiteral("BD"), bd);
        parameters.setField(QStringLiteral("Servidor"), kind_ == EngineKind::Sqlite
                                                            ? QStringLiteral("sqlite")
                                                            : QStringLiteral("odbc"));
        parameters.setField(QStringLiteral("Utilizador"), QStringLiteral("test"));
        parameters.setField(QStringLiteral("Password"), QString());
        parameters.setField(QStringLiteral("Empresa"), file);
        parameters.update();
    }
    DataAccess& result = *company;
    companies_[bd] = std::move(company);
    return result;
}

void ConsolidationSetup::addMovements(int bd, const std::vector<demo::Movement>& lines) {
    demo::insertMovements(*companies_.at(bd), lines);
}

void ConsolidationSetup::addConsolidatedMovements(const std::vector<demo::Movement>& lines) {
    demo::insertMovements(*consolidated_, lines);
}

Recordset ConsolidationSetup::written(const QString& tpDoc, const QString& serie) {
    return movementsOf(*consolidated_, tpDoc, serie);
}

int ConsolidationSetup::countWritten(const QString& tpDoc, const QString& serie) {
    return countRows(*consolidated_, QStringLiteral("MovCTB"),
                     QStringLiteral("TpDoc = ? AND Serie = ?"), {tpDoc, serie});
}

QString ConsolidationSetup::ultimoMes(int bd) {
    const Recordset row = consolidated_->openReadOnly(
        QStringLiteral("SELECT UltimoMes FROM zeb_CNS_DadosIniciais WHERE BD = ?"), {bd});
    return row.field(QStringLiteral("UltimoMes")).toText();
}

demo::Movement line(const QString& ref, const QString& tpDoc, int numDoc, int numLinha,
                    const QString& conta, int dbCr, const QString& valor, int month, int year,
                    const QString& serie) {
    demo::Movement movement;
    movement.ano = year;
    movement.mes = month;
    movement.tpDoc = tpDoc;
    movement.serie = serie;
    movement.numDoc = numDoc;
    movement.numLinha = numLinha;
    movement.conta = conta;
    movement.dbCr = dbCr;
    movement.valor = *Money::parse(valor);
    movement.dataDoc = QDate(year, month, 10);
    movement.exercicio = year;
    movement.diario = QStringLiteral("09");
    movement.ref = ref;
    movement.descr = QStringLiteral("Linha ") + ref;
    movement.sector = QStringLiteral("S") + ref.right(1);
    movement.operador = QStringLiteral("op");
    movement.mvDes = 7;  // the consolidation writes 0
    return movement;
}

}  // namespace agrimor::test
