#include "class9/derivation.h"

#include "class9/working_set.h"
#include "core/message_box.h"
#include "data/data_access.h"
#include "data/day_month_year.h"
#include "data/db_error.h"

namespace agrimor {

namespace {

// The select list both loads share; the key `Doc.` is built from TpDoc, Ano, Serie, NumDoc and
// NumLinha here rather than in SQL, so the statement is the same on every database product.
QString selectFrom(const QString& class9Column) {
    return QStringLiteral(
               " SELECT m.Conta AS ContaG, %1 AS Classe9, m.DataDoc AS Data, m.Valor AS Valor,"
               " CASE m.DbCr WHEN 1 THEN 'D' WHEN 2 THEN 'C' END AS Sinal,"
               " m.Descr, m.Sector, m.RubOrc, m.CCustOrc, m.Custeio,"
               " m.TpDoc, m.Ano, m.Serie, m.NumDoc, m.NumLinha, m.Ref"
               " FROM MovCTB AS m"
               " INNER JOIN POC AS p ON p.Conta = m.Conta AND p.Exercicio = m.Exercicio")
        .arg(class9Column);
}

// The general-accounting lines the derivation reads, of the year bound first.
const QString kSourceLines = QStringLiteral(
    " WHERE (m.Ano = ?) AND (m.Nat <= 2) AND m.Statac = 2 AND (SUBSTRING(m.Conta, 1, 1) <> '9')");

// By document date (in time order whatever text form another program stored it in), then key.
QString orderBy(const DataAccess& company) {
    return QStringLiteral(" ORDER BY ") + company.dialect().dateOrder(QStringLiteral("m.DataDoc")) +
           QStringLiteral(", m.TpDoc, m.Serie, m.NumDoc, m.NumLinha");
}

// Positions in the select list above.
enum Selected {
    SContaG,
    SClasse9,
    SData,
    SValor,
    SSinal,
    SDescr,
    SSector,
    SRubOrc,
    SCCustOrc,
    SCusteio,
    STpDoc,
    SAno,
    SSerie,
    SNumDoc,
    SNumLinha,
    SRef,
    SelectedCount
};

bool isProjectCosting(const Value& custeio) {
    if (custeio.isNull())
        return false;
    const QString code = custeio.toText();
    return code == QLatin1String("P00631") || code == QLatin1String("P00763");
}

// Appends each row of a load query to the working set.
class Filler : public RowSink {
public:
    Filler(Class9WorkingSet& set, bool costingOverride)
        : set_(set), costingOverride_(costingOverride) {}

    void columns(const QList<ColumnInfo>& columns) override {
        if (columns.size() != SelectedCount)
            throw DbError(
                DbError::kInvalidColumn,
                QStringLiteral("A leitura dos movimentos devolveu %1 colunas").arg(columns.size()));
    }

    bool row(std::vector<Value>& v) override {
        using W = Class9WorkingSet;
        const int at = set_.appendRow();
        const auto put = [&](int column, const Value& value) { set_.setValue(at, column, value); };
        put(W::ContaG, v[SContaG]);
        put(W::Classe9, costingOverride_ && isProjectCosting(v[SCusteio])
                            ? Value(QStringLiteral("96112"))
                            : v[SClasse9]);
        put(W::Doc, sourceKey(v[STpDoc].toText(), v[SAno].toInt(), v[SSerie].toText(),
                              v[SNumDoc].toInt(), v[SNumLinha].toInt()));
        put(W::Data, v[SData].isNull() ? Value() : Value(dayMonthYear(v[SData].toDate())));
        put(W::Valor, v[SValor]);
        put(W::Sinal, v[SSinal]);
        put(W::Descritivo, v[SDescr]);
        put(W::Referencia, v[SRef]);
        put(W::Setor, v[SSector]);
        put(W::RubricaOrc, v[SRubOrc]);
        put(W::CCustorc, v[SCCustOrc]);
        put(W::Custeio, v[SCusteio]);
        put(W::TpDoc, v[STpDoc]);
        put(W::Serie, v[SSerie]);
        put(W::NumDoc, v[SNumDoc]);
        put(W::NumLinha, v[SNumLinha]);
        ++rows_;
        return true;
    }

    int rows() const { return rows_; }

private:
    Class9WorkingSet& set_;
    bool costingOverride_;
    int rows_ = 0;
};

int load(DataAccess& company, Prompter& prompter, const QString& sql, const Params& params,
         bool costingOverride, const QString& noRows, Class9WorkingSet& set) {
    set.clear();
    Filler filler(set, costingOverride);
    try {
        const MemoryTable::BulkLoad bulk(set);
        company.queryEach(sql, params, filler);
    } catch (...) {
        set.clear();
        throw;
    }
    if (filler.rows() == 0)
        inform(prompter, noRows);
    return filler.rows();
}

}  // namespace

int deriveClass9Lines(DataAccess& company, Prompter& prompter, int year, int month,
                      Class9WorkingSet& set) {
    const QString sql =
        selectFrom(QStringLiteral("CASE m.DbCr WHEN 1 THEN p.cl9dd WHEN 2 THEN p.cl9cc END")) +
        kSourceLines + QStringLiteral(" AND (month(m.DataDoc) = ?)") + orderBy(company);
    return load(company, prompter, sql, {year, month}, true, kNoMovementsToIntegrate, set);
}

int reloadClass9Lines(DataAccess& company, Prompter& prompter, int year, int month,
                      const QString& tpDoc, Class9WorkingSet& set) {
    const QString sql = selectFrom(QStringLiteral("m.Conta")) +
                        QStringLiteral(
                            " WHERE m.Ano = ? AND month(m.DataDoc) = ?"
                            " AND m.TpDoc = ? AND m.Conta LIKE '9%'") +
                        orderBy(company);
    return load(company, prompter, sql, {year, month, tpDoc}, false, kNoClass9Movements, set);
}

}  // namespace agrimor

namespace agrimor {

MonthCounts class9SourceLinesByMonth(DataAccess& company, int year) {
    MonthCountsSink counts;
    company.queryEach(QStringLiteral(" SELECT month(m.DataDoc) AS Mes, count(*) AS Linhas"
                                     " FROM MovCTB AS m INNER JOIN POC AS p ON p.Conta = m.Conta"
                                     " AND p.Exercicio = m.Exercicio") +
                          kSourceLines + QStringLiteral(" GROUP BY month(m.DataDoc)"),
                      {year}, counts);
    return counts.counts;
}

}  // namespace agrimor
