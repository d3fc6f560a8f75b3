#include "tests/consolidation/consolidation_setup.h"

#include <gtest/gtest.h>

#include "data/own_tables.h"
#include "tools/seeder/erp_schema.h"

namespace agrimor::test {

using namespace Qt::StringLiterals;

ConsolidationSetup::ConsolidationSetup(EngineKind kind, int year) : kind_(kind), year_(year) {
    consolidated_ = createDatabase(kind, folder_.path(), u"Consolidado.db"_s);
    createErpTables(*consolidated_);
    ensureOwnTables(*consolidated_);
    addDocumentType(u"CNS"_s);
    addAccounts({u"9999"_s}, year);
}

void ConsolidationSetup::addAccounts(const QStringList& accounts, int year) {
    UpdatableRecordset poc = consolidated_->openUpdatable(u"POC"_s, u"1=0"_s);
    for (const QString& account : accounts) {
        poc.addNew();
        poc.setField(u"Conta"_s, account);
        poc.setField(u"Exercicio"_s, year);
        poc.update();
    }
}

void ConsolidationSetup::addDocumentType(const QString& code) {
    UpdatableRecordset types = consolidated_->openUpdatable(u"TpDoc"_s, u"1=0"_s);
    types.addNew();
    types.setField(u"Codigo"_s, code);
    types.update();
}

void ConsolidationSetup::addRate(const QString& currency, QDate date, const QString& rate) {
    UpdatableRecordset rates = consolidated_->openUpdatable(u"zeb_CNS_Cambios"_s, u"1=0"_s);
    rates.addNew();
    rates.setField(u"Moeda"_s, currency);
    rates.setField(u"Data"_s, date);
    rates.setField(u"Cambio"_s, *Money::parse(rate));
    rates.update();
}

DataAccess& ConsolidationSetup::addCompany(int bd, const CompanyConfig& config) {
    const QString file = u"company%1.db"_s.arg(bd);
    auto company = createDatabase(kind_, folder_.path(), file);
    createErpTables(*company);
    {
        UpdatableRecordset settings =
            consolidated_->openUpdatable(u"zeb_CNS_DadosIniciais"_s, u"1=0"_s);
        settings.addNew();
        settings.setField(u"BD"_s, bd);
        settings.setField(u"Setor"_s, u"01"_s);
        settings.setField(u"TpDoc"_s, config.tpDoc);
        settings.setField(u"Serie"_s, config.serie.isEmpty() ? QString::number(bd) : config.serie);
        settings.setField(u"DataMov"_s, QDate(year_, 1, 1));
        settings.setField(u"UltimoMes"_s, QString());
        settings.setField(u"Moeda"_s, config.currency);
        settings.setField(u"ContaArred"_s, config.contaArred);
        settings.setField(u"AteMes"_s, config.ateMes);
        settings.setField(u"TpDocCL9"_s, u"CL9"_s);
        settings.setField(u"SerieCL9"_s, u"1"_s);
        settings.setField(u"DiarioCL9"_s, u"09"_s);
        settings.update();
        UpdatableRecordset parameters =
            consolidated_->openUpdatable(u"zeb_CNS_Parametros"_s, u"1=0"_s);
        parameters.addNew();
        parameters.setField(u"BD"_s, bd);
        parameters.setField(u"Servidor"_s, kind_ == EngineKind::Sqlite ? u"sqlite"_s : u"odbc"_s);
        parameters.setField(u"Utilizador"_s, u"test"_s);
        parameters.setField(u"Password"_s, QString());
        parameters.setField(u"Empresa"_s, file);
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
    return countRows(*consolidated_, u"MovCTB"_s, u"TpDoc = ? AND Serie = ?"_s, {tpDoc, serie});
}

QString ConsolidationSetup::ultimoMes(int bd) {
    const Recordset row = consolidated_->openReadOnly(
        u"SELECT UltimoMes FROM zeb_CNS_DadosIniciais WHERE BD = ?"_s, {bd});
    return row.field(u"UltimoMes"_s).toText();
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
    movement.diario = u"09"_s;
    movement.ref = ref;
    movement.descr = u"Linha "_s + ref;
    movement.sector = u"S"_s + ref.right(1);
    movement.operador = u"op"_s;
    movement.mvDes = 7;  // the consolidation writes 0
    return movement;
}

}  // namespace agrimor::test
