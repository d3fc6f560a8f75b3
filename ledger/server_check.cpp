#include "ledger/server_check.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>
#include <optional>

#include "core/companies.h"
#include "core/error_text.h"
#include "data/company_connection.h"
#include "data/data_access.h"
#include "data/error.h"
#include "data/own_tables.h"
#include "ledger/erp_tables.h"

namespace agrimor {

namespace {

const QString kConsolidated = QStringLiteral("Base de dados consolidada");

struct FoundColumn {
    QString type;
    int size = 0;
};

// The columns of `table` by name in lower case; empty when there is no such table.
QHash<QString, FoundColumn> columnsOf(DataAccess& db, const QString& table) {
    QHash<QString, FoundColumn> columns;
    Recordset found = db.openReadOnly(db.dialect().columnsQuery(), {table});
    for (found.moveFirst(); !found.eof(); found.moveNext())
        columns.insert(found.field(QStringLiteral("Coluna")).toText().toLower(),
                       {found.field(QStringLiteral("TipoDado")).toText().trimmed().toLower(),
                        static_cast<int>(found.field(QStringLiteral("Tamanho")).toInt())});
    return columns;
}

// What is wrong with `table` against `layout`, one text per finding.
QStringList tableProblems(DataAccess& db, const TableLayout& layout) {
    const QHash<QString, FoundColumn> found = columnsOf(db, layout.name);
    if (found.isEmpty())
        return {QStringLiteral("a tabela %1 não existe").arg(layout.name)};
    QStringList problems;
    for (const ColumnLayout& column : layout.columns) {
        const QString name = layout.name + QLatin1Char('.') + column.name;
        const auto at = found.constFind(column.name.toLower());
        if (at == found.constEnd())
            problems
                << QStringLiteral("%1: a coluna não existe (esperado %2)").arg(name, column.type);
        else if (const QString problem = columnTypeProblem(column.type, at->type, at->size);
                 !problem.isEmpty())
            problems << name + QStringLiteral(": ") + problem;
    }
    return problems;
}

QString companySubject(int bd) {
    const QStringList& names = groupCompanyNames();
    return bd >= 1 && bd <= names.size()
               ? QStringLiteral("Empresa %1 (%2)").arg(bd).arg(names.at(bd - 1))
               : QStringLiteral("Empresa %1").arg(bd);
}

int integerRank(const QString& type) {
    static const QHash<QString, int> ranks{{QStringLiteral("tinyint"), 1},
                                           {QStringLiteral("smallint"), 2},
                                           {QStringLiteral("int"), 3},
                                           {QStringLiteral("integer"), 3},
                                           {QStringLiteral("bigint"), 4}};
    return ranks.value(type, 0);
}

}  // namespace

QString CheckLine::text() const {
    return subject + QStringLiteral(": ") + (ok() ? QStringLiteral("ok") : problem);
}

QString columnTypeProblem(const QString& expected, const QString& type, int size) {
    const qsizetype bracket = expected.indexOf(QLatin1Char('('));
    const QString base = bracket < 0 ? expected : expected.left(bracket);
    const int length = bracket < 0 ? 0 : expected.mid(bracket + 1).chopped(1).toInt();
    const QString found = size != 0 && type.contains(QLatin1String("char"))
                              ? QStringLiteral("%1(%2)").arg(
                                    type, size < 0 ? QStringLiteral("max") : QString::number(size))
                              : type;
    const QString wrongType = QStringLiteral("tipo %1, esperado %2").arg(found, expected);

    if (integerRank(base) > 0)
        return integerRank(type) >= integerRank(base) ? QString() : wrongType;
    if (base == QLatin1String("nvarchar")) {
        if (type != QLatin1String("nvarchar") && type != QLatin1String("nchar"))
            return wrongType;
        // A size of 0: none declared (an embedded database), no limit.
        return size < 0 || size == 0 || size >= length ? QString() : wrongType;
    }
    if (base == QLatin1String("datetime"))
        return type == QLatin1String("datetime") || type == QLatin1String("datetime2") ? QString()
                                                                                       : wrongType;
    if (base == QLatin1String("timestamp"))  // the row version, which nobody writes
        return type == QLatin1String("timestamp") || type == QLatin1String("rowversion") ||
                       integerRank(type) >= integerRank(QStringLiteral("int"))
                   ? QString()
                   : wrongType;
    return type == base ? QString() : wrongType;
}

bool ServerCheck::allPassed() const {
    return std::all_of(lines_.begin(), lines_.end(), [](const CheckLine& l) { return l.ok(); });
}

void ServerCheck::add(const QString& subject, const QString& problem) {
    lines_ << CheckLine{subject, problem};
}

void ServerCheck::checkConsolidated() {
    add(kConsolidated + QStringLiteral(": abre"));
    checkOwnTables();
    checkErpTables(consolidated_, kConsolidated);
}

void ServerCheck::checkErpTables(DataAccess& db, const QString& database) {
    const QString subject = database + QStringLiteral(": tabelas do ERP");
    try {
        QStringList problems;
        for (const TableLayout& table : erpTablesLayout())
            problems << tableProblems(db, table);
        if (problems.isEmpty())
            add(subject);
        for (const QString& problem : problems)
            add(subject, problem);
    } catch (const Error& error) {
        add(subject, errorText(error));
    }
}

// The tables are compared as they are and, inside a transaction that is rolled back, after
// start-up's creation and upgrade have run: what start-up puts right is no fault.
void ServerCheck::checkOwnTables() {
    const QString subject = kConsolidated + QStringLiteral(": tabelas do programa");
    QHash<QString, QStringList> before;
    QHash<QString, QStringList> after;
    std::optional<CheckLine> dateCheck;
    try {
        for (const TableLayout& table : ownTablesLayout())
            before.insert(table.name, tableProblems(consolidated_, table));
        Transaction trial(consolidated_);
        ensureOwnTables(consolidated_);
        for (const TableLayout& table : ownTablesLayout())
            after.insert(table.name, tableProblems(consolidated_, table));
        if (after.value(QStringLiteral("zeb_CNS_Cambios")).isEmpty())
            dateCheck = checkDateAndOneRowUpdate();
    } catch (const Error& error) {
        add(subject,
            QStringLiteral("o arranque não as consegue criar ou atualizar: ") + errorText(error));
        return;
    }
    for (const TableLayout& table : ownTablesLayout()) {
        const QString tableSubject = subject + QStringLiteral(": ") + table.name;
        const QStringList& now = before[table.name];
        const QStringList& then = after[table.name];
        if (!then.isEmpty()) {
            for (const QString& problem : then)
                add(tableSubject, problem);
        } else if (!now.isEmpty()) {
            add(tableSubject + QStringLiteral(" (o arranque acerta: ") +
                now.join(QStringLiteral("; ")) + QLatin1Char(')'));
        } else {
            add(tableSubject);
        }
    }
    if (dateCheck)
        lines_ << *dateCheck;
}

// Inside the own tables' trial transaction: a rate dated with milliseconds is written, found by
// that date, and changed through the one-row update rows are changed with.
CheckLine ServerCheck::checkDateAndOneRowUpdate() {
    const QString subject =
        kConsolidated + QStringLiteral(": data com milissegundos e alteração de uma linha");
    const QString currency = QStringLiteral("~~~");
    const QDateTime date(QDate(1900, 1, 1), QTime(0, 0, 0, 120), Qt::UTC);
    try {
        UpdatableRecordset rates =
            consolidated_.openUpdatable(QStringLiteral("zeb_CNS_Cambios"), QStringLiteral("1 = 0"));
        rates.addNew();
        rates.setField(QStringLiteral("Moeda"), currency);
        rates.setField(QStringLiteral("Data"), date);
        rates.setField(QStringLiteral("Cambio"), Money::fromUnits(10000));
        rates.update();
        UpdatableRecordset found = consolidated_.openUpdatable(
            QStringLiteral("zeb_CNS_Cambios"),
            QStringLiteral("Moeda = ? AND ") +
                consolidated_.dialect().dateEquals(QStringLiteral("Data")),
            {currency, date});
        if (found.rowCount() != 1)
            return {subject,
                    QStringLiteral("a linha escrita com a data %1 não é encontrada por ela")
                        .arg(date.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")))};
        found.setField(QStringLiteral("Cambio"), Money::fromUnits(20000));
        found.update();
        return {subject, {}};
    } catch (const Error& error) {
        return {subject, errorText(error)};
    }
}

void ServerCheck::checkCompany(int bd) {
    CompanyParameters parameters;
    try {
        parameters = readCompanyParameters(consolidated_, bd);
    } catch (const Error& error) {
        add(companySubject(bd), errorText(error));
        return;
    }
    if (!parameters.found) {
        add(companySubject(bd), QStringLiteral("sem parâmetros de ligação em zeb_CNS_Parametros"));
        return;
    }
    checkCompany(bd, parameters);
}

void ServerCheck::checkCompany(int bd, const CompanyParameters& parameters) {
    const QString subject = companySubject(bd);
    std::unique_ptr<DataAccess> company;
    try {
        company = openCompanyDatabase(consolidated_, parameters);
    } catch (const Error& error) {
        add(subject + QStringLiteral(": abre"),
            QStringLiteral("não abre (Servidor %1, Empresa %2): %3")
                .arg(parameters.server, parameters.database, errorText(error)));
        return;
    }
    add(subject + QStringLiteral(": abre"));
    checkErpTables(*company, subject);
}

}  // namespace agrimor
