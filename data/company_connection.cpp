#include "data/company_connection.h"

#include "data/data_access.h"

namespace agrimor {

namespace {

const QString kTable = QStringLiteral("zeb_CNS_Parametros");
const QString kWhere = QStringLiteral("BD=?");

}  // namespace

CompanyParameters readCompanyParameters(DataAccess& shared, int bd) {
    const Recordset rows =
        shared.openReadOnly(QStringLiteral("Select * from zeb_CNS_Parametros where BD=?"), {bd});
    CompanyParameters parameters;
    if (rows.isEmpty())
        return parameters;
    // toText() reads a null as the empty text.
    parameters.server = rows.field(QStringLiteral("Servidor")).toText();
    parameters.user = rows.field(QStringLiteral("Utilizador")).toText();
    parameters.password = rows.field(QStringLiteral("Password")).toText();
    parameters.database = rows.field(QStringLiteral("Empresa")).toText();
    parameters.found = true;
    return parameters;
}

ConnectionSettings companySettings(const DataAccess& shared, const CompanyParameters& parameters) {
    ConnectionSettings settings;
    settings.server = parameters.server;
    settings.user = parameters.user;
    settings.password = parameters.password;
    settings.database = parameters.database;
    settings.dataFolder = shared.settings().dataFolder;
    settings.odbc = shared.settings().odbc;
    return settings;
}

std::unique_ptr<DataAccess> openCompanyDatabase(const DataAccess& shared,
                                                const CompanyParameters& parameters) {
    auto company = std::make_unique<DataAccess>();
    company->connect(companySettings(shared, parameters));
    return company;
}

void testCompanyConnection(const DataAccess& shared, const CompanyParameters& parameters) {
    openCompanyDatabase(shared, parameters)->close();
}

void storeCompanyParameters(DataAccess& shared, int bd, const CompanyParameters& parameters) {
    Transaction transaction(shared);
    UpdatableRecordset rows = shared.openUpdatable(kTable, kWhere, {bd});
    if (rows.isEmpty()) {
        rows.addNew();
        rows.setField(QStringLiteral("BD"), bd);
    }
    rows.setField(QStringLiteral("Servidor"), parameters.server);
    rows.setField(QStringLiteral("Utilizador"), parameters.user);
    rows.setField(QStringLiteral("Password"), parameters.password);
    rows.setField(QStringLiteral("Empresa"), parameters.database);
    rows.update();
    transaction.commit();
}

}  // namespace agrimor
