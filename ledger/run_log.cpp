#include "ledger/run_log.h"

#include <pwd.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QSysInfo>
#include <algorithm>
#include <tuple>

#include "core/message_box.h"
#include "data/data_access.h"
#include "data/recordset.h"

namespace agrimor {

namespace {

const QString kTable = QStringLiteral("zeb_CNS_Registo");
constexpr QChar kField = QChar(u'\t');
constexpr QChar kLine = QChar(u'\n');

// The columns a list of runs shows; the long texts are read for one run only.
const QString kListColumns = QStringLiteral(
    "Id, Tarefa, Empresa, NomeEmpresa, Ano, Mes, AteMes, UtilizadorSO, UtilizadorBD, Posto, "
    "Inicio, Fim, Resultado, Mensagem, Linhas, TpDoc, Serie, AnoDoc, PrimeiroDoc, UltimoDoc, "
    "Diario, PrimeiroDiario, UltimoDiario, Debito, Credito, Ficheiro, Folha, Sha256, Anulado");

QString operatingSystemUser() {
    for (const char* name : {"USER", "LOGNAME"}) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty())
            return user;
    }
    // A service or a cron job may run without either: the account the process runs as.
    if (const passwd* account = getpwuid(geteuid()))
        return QString::fromLocal8Bit(account->pw_name);
    return {};
}

// The text cut to the column's width; a path keeps its end, which names the file.
QString fitted(const QString& text, int width, bool keepEnd = false) {
    if (text.size() <= width)
        return text;
    return keepEnd ? text.right(width) : text.left(width);
}

template <typename T>
Value optionalValue(const std::optional<T>& value) {
    return value ? Value(*value) : Value();
}

std::optional<int> optionalInt(const Value& value) {
    if (value.isNull())
        return std::nullopt;
    return static_cast<int>(value.toInt());
}

std::optional<std::int64_t> optionalInt64(const Value& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toInt();
}

RunRecord recordOf(const Recordset& rows, bool whole) {
    RunRecord r;
    r.id = rows.field(QStringLiteral("Id")).toInt();
    r.task = rows.field(QStringLiteral("Tarefa")).toText();
    r.company = optionalInt(rows.field(QStringLiteral("Empresa")));
    r.companyName = rows.field(QStringLiteral("NomeEmpresa")).toText();
    r.year = optionalInt(rows.field(QStringLiteral("Ano")));
    r.month = optionalInt(rows.field(QStringLiteral("Mes")));
    r.cumulative = rows.field(QStringLiteral("AteMes")).toInt() != 0;
    r.osUser = rows.field(QStringLiteral("UtilizadorSO")).toText();
    r.dbUser = rows.field(QStringLiteral("UtilizadorBD")).toText();
    r.machine = rows.field(QStringLiteral("Posto")).toText();
    r.start = rows.field(QStringLiteral("Inicio")).toDateTime();
    r.end = rows.field(QStringLiteral("Fim")).toDateTime();
    r.result = rows.field(QStringLiteral("Resultado")).toText();
    r.message = rows.field(QStringLiteral("Mensagem")).toText();
    r.lines = rows.field(QStringLiteral("Linhas")).toInt();
    r.tpDoc = rows.field(QStringLiteral("TpDoc")).toText();
    r.serie = rows.field(QStringLiteral("Serie")).toText();
    r.docYear = optionalInt(rows.field(QStringLiteral("AnoDoc")));
    r.firstDoc = optionalInt64(rows.field(QStringLiteral("PrimeiroDoc")));
    r.lastDoc = optionalInt64(rows.field(QStringLiteral("UltimoDoc")));
    r.journal = rows.field(QStringLiteral("Diario")).toText();
    r.firstJournal = optionalInt64(rows.field(QStringLiteral("PrimeiroDiario")));
    r.lastJournal = optionalInt64(rows.field(QStringLiteral("UltimoDiario")));
    if (!rows.isNull(QStringLiteral("Debito")))
        r.debit = rows.field(QStringLiteral("Debito")).toMoney();
    if (!rows.isNull(QStringLiteral("Credito")))
        r.credit = rows.field(QStringLiteral("Credito")).toMoney();
    r.file = rows.field(QStringLiteral("Ficheiro")).toText();
    r.sheet = rows.field(QStringLiteral("Folha")).toText();
    r.sha256 = rows.field(QStringLiteral("Sha256")).toText();
    if (!rows.isNull(QStringLiteral("Anulado")))
        r.undone = rows.field(QStringLiteral("Anulado")).toDateTime();
    if (whole) {
        r.numeratorsBefore =
            parseNumerators(rows.field(QStringLiteral("NumeradoresAntes")).toText());
        r.numeratorsAfter =
            parseNumerators(rows.field(QStringLiteral("NumeradoresDepois")).toText());
    }
    r.documents = parseDocuments(rows.field(QStringLiteral("Documentos")).toText());
    return r;
}

// The summary columns from the documents: lines and totals of all; the range of documents and of
// journal numbers only where there is one.
void summarise(RunRecord& record) {
    const std::vector<WrittenDocumentTrace>& documents = record.documents;
    if (documents.empty())
        return;
    const WrittenDocumentTrace& first = documents.front();
    bool oneRange = true;
    bool oneJournal = true;
    Money debit;
    Money credit;
    std::int64_t lines = 0;
    for (const WrittenDocumentTrace& d : documents) {
        debit += d.debit;
        credit += d.credit;
        lines += d.lines;
        oneRange = oneRange && sameNumerator(d, first);
        oneJournal =
            oneJournal && d.year == first.year &&
            (d.journal == first.journal || comparedCode(d.journal) == comparedCode(first.journal));
    }
    record.lines = lines;
    record.debit = debit;
    record.credit = credit;
    if (oneRange) {
        record.tpDoc = first.type;
        record.serie = first.series;
        record.docYear = first.year;
        for (const WrittenDocumentTrace& d : documents) {
            record.firstDoc = std::min(record.firstDoc.value_or(d.number), d.number);
            record.lastDoc = std::max(record.lastDoc.value_or(d.number), d.number);
        }
    }
    if (oneJournal) {
        record.journal = first.journal;
        for (const WrittenDocumentTrace& d : documents) {
            if (d.journalNumber <= 0)
                continue;
            record.firstJournal =
                std::min(record.firstJournal.value_or(d.journalNumber), d.journalNumber);
            record.lastJournal =
                std::max(record.lastJournal.value_or(d.journalNumber), d.journalNumber);
        }
    }
}

}  // namespace

RunRecord startRun(const QString& task, std::optional<int> company, const QString& companyName,
                   const DataAccess& db) {
    RunRecord record;
    record.task = task;
    record.company = company;
    record.companyName = companyName.trimmed();
    record.osUser = operatingSystemUser();
    record.dbUser = db.settings().user;
    record.machine = QSysInfo::machineHostName();
    record.start = QDateTime::currentDateTime();
    return record;
}

QMap<std::int64_t, DocumentNow> readDocumentTotals(DataAccess& db, int year, const QString& type,
                                                   const QString& series, std::int64_t first,
                                                   std::int64_t last) {
    QMap<std::int64_t, DocumentNow> totals;
    for (Recordset rows = db.openReadOnly(
             QStringLiteral("SELECT NumDoc, count(*) AS Linhas, min(Mes) AS Mes, "
                            "sum(CASE WHEN DbCr=1 THEN Valor ELSE 0 END) AS Debito, "
                            "sum(CASE WHEN DbCr=2 THEN Valor ELSE 0 END) AS Credito FROM MovCTB "
                            "WHERE Ano=? AND TpDoc=? AND Serie=? AND NumDoc BETWEEN ? AND ? "
                            "GROUP BY NumDoc"),
             {year, type, series, first, last});
         !rows.eof(); rows.moveNext())
        totals.insert(rows.field(QStringLiteral("NumDoc")).toInt(),
                      {rows.field(QStringLiteral("Linhas")).toInt(),
                       static_cast<int>(rows.field(QStringLiteral("Mes")).toInt()),
                       rows.field(QStringLiteral("Debito")).toMoney(),
                       rows.field(QStringLiteral("Credito")).toMoney()});
    return totals;
}

void traceDocuments(DataAccess& db, RunRecord& record,
                    std::vector<WrittenDocumentTrace> documents) {
    // One read per document range of a type and series: the documents of an import are
    // consecutive numbers of their numerators.
    for (const auto& [i, end] : numeratorSpans(documents)) {
        const QMap<std::int64_t, DocumentNow> found =
            readDocumentTotals(db, documents[i].year, documents[i].type, documents[i].series,
                               documents[i].number, documents[end - 1].number);
        for (std::size_t d = i; d < end; ++d) {
            const auto now = found.constFind(documents[d].number);
            if (now == found.cend())
                continue;
            documents[d].lines = now->lines;
            documents[d].month = now->month;
            documents[d].debit = now->debit;
            documents[d].credit = now->credit;
        }
    }
    record.documents = std::move(documents);
    summarise(record);
}

void traceDocumentRange(DataAccess& db, RunRecord& record, int year, const QString& type,
                        const QString& series, std::int64_t first, std::int64_t last) {
    record.tpDoc = type;
    record.serie = series;
    record.docYear = year;
    if (last < first) {  // nothing written
        record.lines = 0;
        record.debit = Money();
        record.credit = Money();
        return;
    }
    record.firstDoc = first;
    record.lastDoc = last;
    const Recordset totals = db.openReadOnly(
        QStringLiteral("SELECT count(*) AS Linhas, "
                       "sum(CASE WHEN DbCr=1 THEN Valor ELSE 0 END) AS Debito, "
                       "sum(CASE WHEN DbCr=2 THEN Valor ELSE 0 END) AS Credito FROM MovCTB "
                       "WHERE Ano=? AND TpDoc=? AND Serie=? AND NumDoc BETWEEN ? AND ?"),
        {year, type, series, first, last});
    if (totals.isEmpty())
        return;
    record.lines = totals.field(QStringLiteral("Linhas")).toInt();
    record.debit = totals.field(QStringLiteral("Debito")).toMoney();
    record.credit = totals.field(QStringLiteral("Credito")).toMoney();
}

bool sameNumerator(const WrittenDocumentTrace& a, const WrittenDocumentTrace& b) {
    const auto same = [](const QString& x, const QString& y) {
        return x == y || comparedCode(x) == comparedCode(y);
    };
    return a.year == b.year && same(a.type, b.type) && same(a.series, b.series);
}

void sortByNumerator(std::vector<WrittenDocumentTrace>& documents) {
    // Each code folded once, not at every comparison.
    std::vector<std::tuple<int, QString, QString, std::int64_t, std::size_t>> keys;
    keys.reserve(documents.size());
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const WrittenDocumentTrace& d = documents[i];
        keys.emplace_back(d.year, comparedCode(d.type), comparedCode(d.series), d.number, i);
    }
    std::sort(keys.begin(), keys.end());
    std::vector<WrittenDocumentTrace> sorted;
    sorted.reserve(documents.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(documents[std::get<4>(key)]));
    documents = std::move(sorted);
}

std::vector<std::pair<std::size_t, std::size_t>> numeratorSpans(
    std::vector<WrittenDocumentTrace>& documents) {
    sortByNumerator(documents);
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (std::size_t i = 0; i < documents.size();) {
        std::size_t end = i + 1;
        while (end < documents.size() && sameNumerator(documents[end], documents[i]))
            ++end;
        spans.emplace_back(i, end);
        i = end;
    }
    return spans;
}

QString comparedCode(const QString& code) {
    qsizetype length = code.size();
    while (length > 0 && code.at(length - 1) == QLatin1Char(' '))
        --length;
    return code.left(length).toCaseFolded();
}

std::vector<DocumentRange> documentRanges(const RunRecord& record) {
    std::vector<DocumentRange> ranges;
    if (record.documents.empty()) {
        if (record.firstDoc)
            ranges.push_back({record.docYear.value_or(0), record.tpDoc, record.serie,
                              *record.firstDoc, record.lastDoc.value_or(*record.firstDoc)});
        return ranges;
    }
    std::vector<WrittenDocumentTrace> documents = record.documents;
    sortByNumerator(documents);
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const WrittenDocumentTrace& d = documents[i];
        if (i == 0 || !sameNumerator(d, documents[i - 1]))
            ranges.push_back({d.year, d.type, d.series, d.number, d.number});
        ranges.back().last = d.number;
    }
    return ranges;
}

void forgetWritten(RunRecord& record) {
    record.lines = 0;
    record.tpDoc.clear();
    record.serie.clear();
    record.docYear.reset();
    record.firstDoc.reset();
    record.lastDoc.reset();
    record.journal.clear();
    record.firstJournal.reset();
    record.lastJournal.reset();
    record.debit.reset();
    record.credit.reset();
    record.numeratorsBefore.clear();
    record.numeratorsAfter.clear();
    record.documents.clear();
}

void appendRun(DataAccess& consolidated, RunRecord record) {
    if (!record.end.isValid())
        record.end = QDateTime::currentDateTime();
    UpdatableRecordset row = consolidated.openUpdatable(kTable, QStringLiteral("Id=?"), {0});
    row.addNew();
    const auto set = [&row](const char* column, const Value& value) {
        row.setField(QLatin1String(column), value);
    };
    set("Tarefa", record.task);
    set("Empresa", optionalValue(record.company));
    set("NomeEmpresa", fitted(record.companyName, 30));
    set("Ano", optionalValue(record.year));
    set("Mes", optionalValue(record.month));
    set("AteMes", record.cumulative ? 1 : 0);
    set("UtilizadorSO", fitted(record.osUser, 128));
    set("UtilizadorBD", fitted(record.dbUser, 128));
    set("Posto", fitted(record.machine, 128));
    // Whole seconds: the log is read by people and compared by other programs as text.
    const auto seconds = [](const QDateTime& t) {
        return naiveDateTime(t.date(),
                             QTime(t.time().hour(), t.time().minute(), t.time().second()));
    };
    set("Inicio", record.start.isValid() ? Value(seconds(record.start)) : Value());
    set("Fim", seconds(record.end));
    set("Resultado", record.result);
    set("Mensagem", fitted(record.message, 2000));
    set("Linhas", record.lines);
    set("TpDoc", record.tpDoc);
    set("Serie", record.serie);
    set("AnoDoc", optionalValue(record.docYear));
    set("PrimeiroDoc", optionalValue(record.firstDoc));
    set("UltimoDoc", optionalValue(record.lastDoc));
    set("Diario", record.journal);
    set("PrimeiroDiario", optionalValue(record.firstJournal));
    set("UltimoDiario", optionalValue(record.lastJournal));
    set("Debito", optionalValue(record.debit));
    set("Credito", optionalValue(record.credit));
    set("Ficheiro", fitted(record.file, 260, true));
    set("Folha", fitted(record.sheet, 100));
    set("Sha256", record.sha256);
    set("NumeradoresAntes", numeratorsText(record.numeratorsBefore));
    set("NumeradoresDepois", numeratorsText(record.numeratorsAfter));
    set("Documentos", documentsText(record.documents));
    row.update();
}

bool appendRunAfterCommit(DataAccess& consolidated, Prompter& prompter, const RunRecord& record) {
    try {
        appendRun(consolidated, record);
        return true;
    } catch (const std::exception& error) {
        inform(prompter, kRunNotLogged + QString::fromUtf8(error.what()));
        return false;
    }
}

std::vector<RunRecord> readRuns(DataAccess& consolidated, const RunFilter& filter) {
    QStringList conditions;
    Params params;
    if (filter.company) {
        conditions << QStringLiteral("Empresa=?");
        params << *filter.company;
    }
    if (filter.year) {
        conditions << QStringLiteral("Ano=?");
        params << *filter.year;
    }
    if (filter.month) {
        conditions << QStringLiteral("Mes=?");
        params << *filter.month;
    }
    if (!filter.task.isEmpty()) {
        conditions << QStringLiteral("Tarefa=?");
        params << filter.task;
    }
    // The documents only of a run whose summary holds no range of them.
    QString sql = QStringLiteral("SELECT ") + kListColumns +
                  QStringLiteral(
                      ", CASE WHEN PrimeiroDoc IS NULL THEN Documentos END AS "
                      "Documentos FROM ") +
                  kTable;
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY Id DESC");
    std::vector<RunRecord> runs;
    for (Recordset rows = consolidated.openReadOnly(sql, params); !rows.eof(); rows.moveNext())
        runs.push_back(recordOf(rows, false));
    return runs;
}

std::optional<RunRecord> readRun(DataAccess& consolidated, std::int64_t id) {
    const Recordset rows = consolidated.openReadOnly(
        QStringLiteral("SELECT ") + kListColumns +
            QStringLiteral(", NumeradoresAntes, NumeradoresDepois, Documentos FROM ") + kTable +
            QStringLiteral(" WHERE Id=?"),
        {id});
    if (rows.isEmpty())
        return std::nullopt;
    return recordOf(rows, true);
}

std::optional<RunRecord> lastRun(DataAccess& consolidated, const QString& task, int company,
                                 int year, int month) {
    RunFilter filter;
    filter.company = company;
    filter.year = year;
    filter.month = month;
    filter.task = task;
    for (const RunRecord& run : readRuns(consolidated, filter))
        if (run.result == run_result::kDone)
            return run;
    return std::nullopt;
}

namespace {
QDateTime wholeSeconds(const QDateTime& t) {
    return naiveDateTime(t.date(), QTime(t.time().hour(), t.time().minute(), t.time().second()));
}
}  // namespace

bool markRunUndone(DataAccess& consolidated, std::int64_t id, const QDateTime& when) {
    return consolidated.execute(QStringLiteral("UPDATE zeb_CNS_Registo SET Anulado=? WHERE Id=? "
                                               "AND Anulado IS NULL"),
                                {wholeSeconds(when), id}) == 1;
}

void unmarkRunUndone(DataAccess& consolidated, std::int64_t id, const QDateTime& when) {
    consolidated.execute(QStringLiteral("UPDATE zeb_CNS_Registo SET Anulado=NULL WHERE Id=? AND ") +
                             consolidated.dialect().dateEquals(QStringLiteral("Anulado")),
                         {id, wholeSeconds(when)});
}

QString numeratorsText(const std::vector<NumeratorValue>& values) {
    // A null numerator is an empty value; a row written before null was told apart has a number.
    const auto number = [](const NumeratorValue& v) {
        return v.null ? QString() : QString::number(v.value);
    };
    QStringList lines;
    for (const NumeratorValue& v : values)
        lines << (v.journal ? QStringList{QStringLiteral("NumDiar"), QString::number(v.year),
                                          v.code, number(v)}
                            : QStringList{QStringLiteral("NumDoc"), QString::number(v.year),
                                          v.series, v.code, number(v)})
                     .join(kField);
    return lines.join(kLine);
}

std::vector<NumeratorValue> parseNumerators(const QString& text) {
    std::vector<NumeratorValue> values;
    for (const QString& line : text.split(kLine, Qt::SkipEmptyParts)) {
        const QStringList f = line.split(kField);
        NumeratorValue v;
        if (f.size() == 4 && f[0] == QLatin1String("NumDiar")) {
            v = {true, f[1].toInt(), {}, f[2], f[3].toLongLong(), f[3].isEmpty()};
        } else if (f.size() == 5 && f[0] == QLatin1String("NumDoc")) {
            v = {false, f[1].toInt(), f[2], f[3], f[4].toLongLong(), f[4].isEmpty()};
        } else {
            continue;
        }
        values.push_back(v);
    }
    return values;
}

QString documentsText(const std::vector<WrittenDocumentTrace>& documents) {
    QString text;
    for (const WrittenDocumentTrace& d : documents) {
        text += QStringList{QString::number(d.year),
                            d.type,
                            d.series,
                            QString::number(d.number),
                            d.journal,
                            QString::number(d.journalNumber),
                            QString::number(d.month),
                            QString::number(d.lines),
                            QString::number(d.debit.units()),
                            QString::number(d.credit.units())}
                    .join(kField);
        text += kLine;
    }
    return text;
}

std::vector<WrittenDocumentTrace> parseDocuments(const QString& text) {
    std::vector<WrittenDocumentTrace> documents;
    for (const QString& line : text.split(kLine, Qt::SkipEmptyParts)) {
        const QStringList f = line.split(kField);
        if (f.size() != 10)
            continue;
        documents.push_back({f[0].toInt(), f[1], f[2], f[3].toLongLong(), f[4], f[5].toLongLong(),
                             f[6].toInt(), f[7].toLongLong(), Money::fromUnits(f[8].toLongLong()),
                             Money::fromUnits(f[9].toLongLong())});
    }
    return documents;
}

QString fileSha256(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

}  // namespace agrimor
