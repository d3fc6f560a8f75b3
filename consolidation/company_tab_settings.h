#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace agrimor {

class DataAccess;

// What a company tab of the consolidation screen edits: its row of zeb_CNS_DadosIniciais, each
// text as typed. Unlike CompanySettings (what a run needs, every column required), any column may
// be null here; a null reads as "" (or an invalid date, or not cumulative).
struct CompanyTabSettings {
    QString setor;
    QString tpDoc;
    QString serie;
    QDate dataMov;
    QString ultimoMes;
    QString moeda;
    QString contaArred;
    bool ateMes = false;  // ticked: months 1 to the chosen month
};

// The settings row of company `bd`; nothing when it has none. Throws DbError.
std::optional<CompanyTabSettings> readCompanyTab(DataAccess& db, int bd);

// Writes the settings row of company `bd`, adding it (with BD set) when missing. An empty series
// is stored as "0". A new row gets an empty class-9 series (a column that accepts no null); the
// class-9 columns of an existing row are left alone. Throws DbError.
void storeCompanyTab(DataAccess& db, int bd, const CompanyTabSettings& settings);

}  // namespace agrimor
