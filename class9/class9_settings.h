#pragma once

#include <QString>

namespace agrimor {

class DataAccess;

// A company's class-9 settings: the document type, series and journal its class-9 documents are
// written with. Kept in its row of zeb_CNS_DadosIniciais (TpDocCL9, SerieCL9, DiarioCL9) in the
// consolidated database.
struct Class9Settings {
    QString tpDoc;
    QString serie;
    QString diario;

    bool operator==(const Class9Settings&) const = default;
};

// The stored settings of company `bd`; three empty texts when it has no row (a null column reads
// as empty text). A database failure propagates (DbError).
Class9Settings readClass9Settings(DataAccess& consolidated, int bd);

// Stores the settings in the row of company `bd`, adding the row when there is none. A new row
// gets only BD, the three class-9 settings and an empty consolidation series, which the upgraded
// table requires (NOT NULL, no default); the consolidation settings are left to their own screen.
void storeClass9Settings(DataAccess& consolidated, int bd, const Class9Settings& settings);

}  // namespace agrimor
