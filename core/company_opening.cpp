#include "core/company_opening.h"

#include "core/anomaly_list.h"
#include "core/message_box.h"
#include "data/data_access.h"
#include "data/db_error.h"

namespace agrimor {

QString companyParametersMissing(const QString& name) {
    return QStringLiteral("Faltam os parâmetros de ligação à Empresa ") + name + QLatin1Char('!');
}

CompanyOpenFailureReport CompanyOpenFailureReport::toAnomalies(AnomalyList& anomalies) {
    CompanyOpenFailureReport report;
    report.anomalies_ = &anomalies;
    return report;
}

CompanyOpenFailureReport CompanyOpenFailureReport::toUser(Prompter& prompter) {
    CompanyOpenFailureReport report;
    report.prompter_ = &prompter;
    return report;
}

void CompanyOpenFailureReport::report() const {
    if (anomalies_)
        anomalies_->append(kCompanyParametersIncorrect);
    if (prompter_)
        inform(*prompter_, kCompanyNotOpened);
}

std::unique_ptr<DataAccess> connectCompany(const DataAccess& shared,
                                           const CompanyParameters& parameters,
                                           const CompanyOpenFailureReport& onFailure) {
    try {
        return openCompanyDatabase(shared, parameters);
    } catch (const DbError&) {
        onFailure.report();
        return nullptr;
    }
}

}  // namespace agrimor
