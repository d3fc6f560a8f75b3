#pragma once

#include <QString>
#include <memory>

#include "data/company_connection.h"

namespace agrimor {

class AnomalyList;
class DataAccess;
class Prompter;

inline const QString kCompanyParametersIncorrect =
    QStringLiteral("Parâmetros de ligação à BD incorretos");
inline const QString kCompanyNotOpened =
    QStringLiteral("Não foi possível abrir a Empresa indicada !");

// "Faltam os parâmetros de ligação à Empresa NAME!": the company has no stored parameters.
QString companyParametersMissing(const QString& name);

// How a working screen learns that a company database could not be opened: the consolidation
// and the class-9 integration collect it with their other anomalies, the movement import tells
// the user at once. The list or prompter must outlive the report.
class CompanyOpenFailureReport {
public:
    // Appends "Parâmetros de ligação à BD incorretos" to `anomalies`; no message.
    static CompanyOpenFailureReport toAnomalies(AnomalyList& anomalies);
    // Shows "Não foi possível abrir a Empresa indicada !" (information, OK).
    static CompanyOpenFailureReport toUser(Prompter& prompter);

    void report() const;

private:
    CompanyOpenFailureReport() = default;

    AnomalyList* anomalies_ = nullptr;
    Prompter* prompter_ = nullptr;
};

// Opens the company database with its stored parameters, as every working screen does. When it
// can not be reached, the failure is reported as `onFailure` says and nothing is returned; the
// caller goes on from its anomaly list or from the missing connection.
std::unique_ptr<DataAccess> connectCompany(const DataAccess& shared,
                                           const CompanyParameters& parameters,
                                           const CompanyOpenFailureReport& onFailure);

}  // namespace agrimor
