#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "data/money.h"
#include "ledger/company_settings_store.h"

namespace agrimor {

class AnomalyList;
class DataAccess;

// A company's consolidation settings: its row of zeb_CNS_DadosIniciais.
struct CompanySettings {
    QString setor;
    QString tpDoc;       // document type of every consolidated line
    QString serie;       // series of every consolidated line
    QDateTime dataMov;   // kept, not used by the consolidation
    QString moeda;       // the company's currency
    QString contaArred;  // the rounding account
    int ateMes = 0;      // 0: the chosen month only; other: months 1 to the chosen month

    bool cumulative() const { return ateMes != 0; }
};

// The settings row of company `bd` (the first one when several share the number). A missing row,
// or a null in any of the columns above, throws ConsolidationError; a database failure DbError.
CompanySettings readCompanySettings(DataAccess& db, int bd);

// The same from the row already read (nothing: the company has no row).
CompanySettings companySettingsOf(const std::optional<CompanySettingsRow>& row, int bd);

}  // namespace agrimor
