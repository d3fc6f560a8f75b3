#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace agrimor {

class DataAccess;

// A company's row of zeb_CNS_DadosIniciais in the consolidated database, as stored: a null column
// is an empty optional, whatever its type. What a null means is the reader's to decide (the
// consolidation's run refuses it and names the column; the screens show it as empty).
struct CompanySettingsRow {
    // The consolidation's columns.
    std::optional<QString> setor;
    std::optional<QString> tpDoc;
    std::optional<QString> serie;
    std::optional<QDateTime> dataMov;
    std::optional<QString> ultimoMes;
    std::optional<QString> moeda;
    std::optional<QString> contaArred;
    std::optional<int> ateMes;
    // The class-9 columns.
    std::optional<QString> tpDocCL9;
    std::optional<QString> serieCL9;
    std::optional<QString> diarioCL9;
};

// Which of the row's columns a store writes: each screen writes its own and leaves the others.
enum class SettingsColumns {
    Consolidation,  // Setor, TpDoc, Serie, UltimoMes, DataMov, Moeda, ContaArred, AteMes
    Class9,         // TpDocCL9, SerieCL9, DiarioCL9
};

// The settings row of company `bd` (the first one when several share the number); nothing when it
// has none. Throws DbError.
std::optional<CompanySettingsRow> readCompanySettingsRow(DataAccess& consolidated, int bd);

// Writes `columns` of `row` (an empty optional as null) into the row of company `bd`, adding the
// row when there is none. A new row gets BD and every column that accepts no null and has no
// default (Serie, SerieCL9, after the schema upgrade has retyped them): the columns written take
// their values, the others an empty text for their own screen to fill. Flushes what it wrote;
// runs inside the caller's transaction when there is one. Throws DbError.
void storeCompanySettingsRow(DataAccess& consolidated, int bd, const CompanySettingsRow& row,
                             SettingsColumns columns);

// Records `month` ("03/2024") as the last month the consolidation wrote for company `bd`
// (UltimoMes of its first row); a company without a row is left without one. Inside the caller's
// transaction. Throws DbError.
void storeLastMonthProcessed(DataAccess& consolidated, int bd, const QString& month);

}  // namespace agrimor
