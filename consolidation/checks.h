#pragma once

#include <QSet>
#include <QString>
#include <cstdint>

#include "consolidation/processing_input.h"

namespace agrimor {

class AnomalyList;
class DataAccess;
struct CompanySettings;

inline const QString kDocumentTypeEmpty = QStringLiteral("Tipo Documento não preenchido");
inline const QString kDocumentTypeMissing = QStringLiteral(" Tipo Doc não existente");
inline const QString kRoundingAccountEmpty =
    QStringLiteral("Conta de Arredondamento não preenchida");
inline const QString kRoundingAccountMissing =
    QStringLiteral(" Conta de Arredondamento não existente");
inline const QString kPeriodIntegrated = QStringLiteral("Período já integrado");
inline const QString kAccountMissing = QStringLiteral(" Conta não existente");

// The checks a company passes before its movements are consolidated. Each appends what it finds
// to `anomalies`; a database failure is not an anomaly and throws DbError. All but the account
// check read the consolidated database only.

// The document type and the rounding account exist (the latter in the chart of `year`).
void checkSettings(DataAccess& consolidated, const CompanySettings& settings, int year,
                   AnomalyList& anomalies);

// The consolidated database holds no line of the company's document type and series in the
// period yet, whoever wrote it.
void checkPeriodFree(DataAccess& consolidated, const CompanySettings& settings,
                     const Period& period, AnomalyList& anomalies);

// The consolidated chart of accounts of one year, compared as the databases' default collation
// compares codes: case and trailing spaces ignored.
class AccountChart {
public:
    void add(const QString& account);
    bool contains(const QString& account) const;
    qsizetype size() const { return keys_.size(); }

private:
    QSet<QString> keys_;
};

// What the account check saw: the chart it checked against and how many lines it checked. The
// write step holds the lines it writes to both, so a line posted after the check is never
// written unchecked.
struct CheckedAccounts {
    AccountChart chart;
    std::int64_t lines = 0;
};

// Every account of the company's class-9 lines of the period exists in the consolidated chart of
// accounts of the period's year: one anomaly per line on a missing account, in the order of the
// movement query. The chart is read once and the lines' accounts with their line counts once; the
// lines are read again only when an account is missing.
CheckedAccounts checkAccounts(DataAccess& consolidated, DataAccess& company, const Period& period,
                              AnomalyList& anomalies);

}  // namespace agrimor
