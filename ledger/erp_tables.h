#pragma once

#include <QList>
#include <QStringList>
#include <span>
#include <string_view>

#include "data/table_layout.h"

namespace agrimor {

// The one description of the ERP tables that the program reads and writes: names, types as the
// server declares them (smallint, int, nvarchar(n), money, datetime; MovCTB's DBTS is the server's
// row version), which columns accept no null, and each table's key. The widths the jobs cut or
// refuse texts to, the check of a server's schema and the embedded databases of the demo, the
// tests and the benchmarks all come from here. On SQL Server the ERP owns its schema: nothing here
// creates anything there.
namespace erp {

struct Column {
    std::string_view name;
    std::string_view type;
    bool notNull = false;
};

struct Table {
    std::string_view name;
    std::span<const Column> columns;
    std::string_view primaryKey;
};

// MovCTB's columns in table order, DBTS included.
inline constexpr Column kMovCtbColumns[] = {
    {"Ano", "smallint", true},       {"Mes", "smallint"},         {"TpDoc", "nvarchar(3)", true},
    {"Serie", "nvarchar(10)", true}, {"NumDoc", "int", true},     {"NumLinha", "smallint", true},
    {"Conta", "nvarchar(15)"},       {"DbCr", "smallint"},        {"Valor", "money"},
    {"DataDoc", "datetime"},         {"Nat", "smallint"},         {"Statac", "smallint"},
    {"Exercicio", "smallint"},       {"Diario", "nvarchar(3)"},   {"NumDiari", "int"},
    {"TpTerc", "smallint"},          {"Terc", "nvarchar(10)"},    {"Ref", "nvarchar(50)"},
    {"Descr", "nvarchar(100)"},      {"Sector", "nvarchar(10)"},  {"RubOrc", "nvarchar(10)"},
    {"CCustOrc", "nvarchar(10)"},    {"NCont", "nvarchar(20)"},   {"CodIva", "nvarchar(10)"},
    {"CodFlu", "nvarchar(10)"},      {"Custeio", "nvarchar(10)"}, {"Operador", "nvarchar(20)"},
    {"DtReal", "datetime"},          {"LinCC", "nvarchar(10)"},   {"Versao", "smallint"},
    {"Origem", "smallint"},          {"Ligado", "smallint"},      {"ErroCTB", "nvarchar(255)"},
    {"MnlAut", "smallint"},          {"DataR", "datetime"},       {"DataAl", "datetime"},
    {"SystemEntryDate", "datetime"}, {"MvDes", "smallint"},       {"CtResp", "smallint"},
    {"Valor_Base", "money"},         {"DBTS", "timestamp"},
};

inline constexpr Column kPocColumns[] = {
    {"Conta", "nvarchar(15)", true},
    {"Exercicio", "smallint", true},
    {"Descr", "nvarchar(100)"},
    {"NivInt", "smallint"},
    {"Grau", "smallint"},
    {"cl9dd", "nvarchar(15)"},
    {"cl9cc", "nvarchar(15)"},
};
inline constexpr Column kTpDocColumns[] = {
    {"Codigo", "nvarchar(3)", true}, {"Descr", "nvarchar(50)"}, {"Diario", "nvarchar(3)"}};
inline constexpr Column kSectoresColumns[] = {{"Codigo", "nvarchar(10)", true},
                                              {"Descr", "nvarchar(50)"}};
inline constexpr Column kDiarioColumns[] = {{"Codigo", "nvarchar(3)", true},
                                            {"Descr", "nvarchar(50)"}};
inline constexpr Column kRubrOrcColumns[] = {{"Cod", "nvarchar(10)", true},
                                             {"Descr", "nvarchar(50)"}};
inline constexpr Column kCCustoColumns[] = {{"Cod", "nvarchar(10)", true},
                                            {"Descr", "nvarchar(50)"}};
inline constexpr Column kCusteioColumns[] = {{"Custeio", "nvarchar(10)", true},
                                             {"Descr", "nvarchar(50)"}};
inline constexpr Column kPlaIvaColumns[] = {
    {"CodIva", "nvarchar(10)", true}, {"Exercicio", "smallint", true},
    {"Descr", "nvarchar(50)"},        {"Taxa", "money"},
    {"CNTIVA", "nvarchar(15)"},
};
inline constexpr Column kPlFluxColumns[] = {
    {"CodFlux", "nvarchar(10)", true}, {"Exercicio", "smallint", true}, {"Descr", "nvarchar(80)"}};
inline constexpr Column kThirdPartyColumns[] = {
    {"Codigo", "nvarchar(10)", true},
    {"Nome", "nvarchar(80)"},
    {"NCont", "nvarchar(20)"},
    {"Localidade", "nvarchar(40)"},
};
inline constexpr Column kNumDocColumns[] = {{"Ano", "smallint", true},
                                            {"Serie", "nvarchar(10)", true},
                                            {"Doc", "nvarchar(3)", true},
                                            {"Num", "int"}};
inline constexpr Column kNumDiarColumns[] = {{"Ano", "smallint", true},
                                             {"Diario", "nvarchar(3)", true},
                                             {"Mes", "smallint", true},
                                             {"Numerado", "int"}};

// Every ERP table, MovCTB first.
inline constexpr Table kTables[] = {
    {"MovCTB", kMovCtbColumns, "Ano, TpDoc, Serie, NumDoc, NumLinha"},
    {"POC", kPocColumns, "Conta, Exercicio"},
    {"TpDoc", kTpDocColumns, "Codigo"},
    {"Sectores", kSectoresColumns, "Codigo"},
    {"DIARIO", kDiarioColumns, "Codigo"},
    {"RUBRORC", kRubrOrcColumns, "Cod"},
    {"CCusto", kCCustoColumns, "Cod"},
    {"Custeio", kCusteioColumns, "Custeio"},
    {"PLAIVA", kPlaIvaColumns, "CodIva, Exercicio"},
    {"PLFLUX", kPlFluxColumns, "CodFlux, Exercicio"},
    {"Fornec", kThirdPartyColumns, "Codigo"},
    {"Clientes", kThirdPartyColumns, "Codigo"},
    {"NumDoc", kNumDocColumns, "Ano, Serie, Doc"},
    {"NumDiar", kNumDiarColumns, "Ano, Diario, Mes"},
};

// The declared length of a text type ("nvarchar(15)": 15); 0 for any other type.
constexpr int textWidth(std::string_view type) {
    const auto open = type.find('(');
    if (type.substr(0, open).find("char") == std::string_view::npos ||
        open == std::string_view::npos)
        return 0;
    int width = 0;
    for (auto i = open + 1; i < type.size() && type[i] != ')'; ++i)
        width = width * 10 + (type[i] - '0');
    return width;
}

// The width of a text column of the description. Evaluated while compiling where it is used for
// a constant, so a name that the description does not hold does not build.
constexpr int columnWidth(std::string_view table, std::string_view column) {
    for (const Table& t : kTables) {
        if (t.name != table)
            continue;
        for (const Column& c : t.columns)
            if (c.name == column)
                return textWidth(c.type);
    }
    throw "the ERP description has no such column";
}

}  // namespace erp

// MovCTB's columns in table order, DBTS included.
const QStringList& movCtbColumns();

// Every ERP table the program reads or writes, with its columns: what a server must hold.
const QList<TableLayout>& erpTablesLayout();

}  // namespace agrimor
