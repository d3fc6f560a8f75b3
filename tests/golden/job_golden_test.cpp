// The golden cases of the jobs, one folder each under tests/golden/<job>/<case>, on both engines.
// Every folder has case.txt (what the case checks, as # lines, and its settings, key=value) and
// expected.csv, the written rows in order compared column by column: a cell "*" is not checked,
// "<null>" is a null, '""' an empty text, "<empty>" an empty or null text. The .csv files are ';'
// separated with a header row of column names.
//   consolidation  source.csv (company lines), rates.csv, existing.csv (lines consolidated
//                  before); expected "From" names the source line (by Ref) that every column
//                  the consolidation does not decide is copied from
//   import         lines.csv (the import lines table; an empty cell is a column never set),
//                  numerators.csv (the numerators after writing)

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <sstream>
#include <tuple>

#include "consolidation/consolidation_commands.h"
#include "core/prompter.h"
#include "movimport/import_writer.h"
#include "tests/consolidation/consolidation_setup.h"
#include "tests/movimport/import_setup.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/scripted_prompter.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;
using Row = QHash<QString, QString>;

const QString kGoldenDir = QStringLiteral(AGRIMOR_JOB_GOLDEN_DIR);

QStringList caseNames(const QString& job) {
    return QDir(kGoldenDir + u'/' + job).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QStringList lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList result;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n'))
        if (!line.trimmed().isEmpty() && !line.startsWith(u'#'))
            result << line;
    return result;
}

// The rows of a ';' separated file with a header row; none when the file is absent.
std::vector<Row> table(const QString& path) {
    const QStringList all = lines(path);
    std::vector<Row> rows;
    if (all.isEmpty())
        return rows;
    const QStringList header = all.first().split(u';');
    for (qsizetype i = 1; i < all.size(); ++i) {
        const QStringList cells = all[i].split(u';');
        EXPECT_EQ(cells.size(), header.size()) << path.toStdString() << ":" << i + 1;
        Row row;
        for (qsizetype c = 0; c < header.size() && c < cells.size(); ++c)
            row.insert(header[c], cells[c]);
        rows.push_back(row);
    }
    return rows;
}

Row settings(const QString& path) {
    Row result;
    for (const QString& line : lines(path))
        result.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    return result;
}

int whole(const Row& row, const char* column) {
    bool ok = false;
    const int value = row.value(QString::fromLatin1(column)).toInt(&ok);
    EXPECT_TRUE(ok) << column << " '" << row.value(QString::fromLatin1(column)).toStdString()
                    << "'";
    return value;
}

Money amount(const Row& row, const char* column) {
    const auto value = Money::parse(row.value(QString::fromLatin1(column)));
    EXPECT_TRUE(value.has_value()) << column;
    return value.value_or(Money());
}

demo::Movement sourceLine(const Row& row) {
    return test::line(row.value(u"Ref"_s), row.value(u"TpDoc"_s), whole(row, "NumDoc"),
                      whole(row, "NumLinha"), row.value(u"Conta"_s), whole(row, "DbCr"),
                      row.value(u"Valor"_s), whole(row, "Mes"), whole(row, "Ano"),
                      row.value(u"Serie"_s));
}

// One written row against its expected.csv row, column by column, each read as its kind
// (amounts, date-times, whole numbers; any other column as text).
void expectRow(const Recordset& rows, const Row& expected) {
    static const QSet<QString> money{u"Valor"_s, u"Valor_Base"_s};
    static const QSet<QString> dates{u"DataDoc"_s, u"DtReal"_s, u"DataR"_s, u"DataAl"_s,
                                     u"SystemEntryDate"_s};
    static const QSet<QString> wholes{u"NumDoc"_s, u"NumDiari"_s, u"NumLinha"_s, u"DbCr"_s,
                                      u"Mes"_s,    u"CtResp"_s,   u"Ano"_s,      u"Exercicio"_s,
                                      u"Versao"_s, u"Origem"_s,   u"Ligado"_s,   u"Statac"_s,
                                      u"Nat"_s,    u"MnlAut"_s,   u"TpTerc"_s};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QString& column = it.key();
        const QString& want = it.value();
        if (want == u'*' || column == QLatin1String("From"))
            continue;
        SCOPED_TRACE(column.toStdString());
        const Value got = rows.field(column);
        if (want == QLatin1String("<null>")) {
            EXPECT_TRUE(got.isNull());
        } else if (want == QLatin1String("<empty>")) {
            EXPECT_EQ(got.toText(), QString());
        } else if (want == QLatin1String("\"\"")) {
            EXPECT_FALSE(got.isNull());
            EXPECT_EQ(got.toText(), QString());
        } else if (money.contains(column)) {
            EXPECT_EQ(got.toMoney(), amount(expected, column.toLatin1().constData()))
                << got.toText().toStdString();
        } else if (dates.contains(column)) {
            const QDateTime when = QDateTime::fromString(
                want.size() == 10 ? want + u" 00:00:00"_s : want, u"yyyy-MM-dd HH:mm:ss"_s);
            ASSERT_TRUE(when.isValid()) << want.toStdString();
            EXPECT_EQ(got.toDateTime(), naiveDateTime(when.date(), when.time()));
        } else if (wholes.contains(column)) {
            EXPECT_EQ(got.toInt(), whole(expected, column.toLatin1().constData()));
        } else {
            EXPECT_EQ(got.toText(), want);
        }
    }
}

// --- consolidation ---------------------------------------------------------------------------

// The columns the consolidation decides; every other one is the source line's.
const QSet<QString> kDecidedColumns{u"CONTA"_s, u"TPDOC"_s,    u"NUMDOC"_s, u"VALOR"_s, u"DBTS"_s,
                                    u"DBCR"_s,  u"NUMLINHA"_s, u"MVDES"_s,  u"SERIE"_s};

class ConsolidationGolden : public ::testing::TestWithParam<std::tuple<EngineKind, QString>> {};

TEST_P(ConsolidationGolden, writes_the_expected_rows) {
    const auto& [kind, name] = GetParam();
    const QString folder = kGoldenDir + u"/consolidation/"_s + name;
    const Row config = settings(folder + u"/case.txt"_s);
    ASSERT_FALSE(config.isEmpty()) << folder.toStdString();
    const std::vector<Row> source = table(folder + u"/source.csv"_s);
    const std::vector<Row> expected = table(folder + u"/expected.csv"_s);
    ASSERT_TRUE(QFile::exists(folder + u"/expected.csv"_s));

    test::ConsolidationSetup setup(kind);
    setup.addAccounts({u"9111"_s, u"9112"_s, u"9113"_s}, 2024);
    test::CompanyConfig company;
    company.currency = config.value(u"moeda"_s);
    company.ateMes = config.value(u"ate_mes"_s, u"0"_s).toInt();
    company.serie = u"1"_s;
    for (const Row& rate : table(folder + u"/rates.csv"_s))
        setup.addRate(company.currency, QDate::fromString(rate.value(u"Data"_s), Qt::ISODate),
                      rate.value(u"Cambio"_s));
    setup.addCompany(1, company);
    std::vector<demo::Movement> lines;
    for (const Row& row : source)
        lines.push_back(sourceLine(row));
    setup.addMovements(1, lines);
    std::vector<demo::Movement> existing;
    for (const Row& row : table(folder + u"/existing.csv"_s))
        existing.push_back(test::line(u"old"_s, u"CNS"_s, whole(row, "NumDoc"), 1, u"9111"_s, 1,
                                      u"1"_s, whole(row, "Mes")));
    if (!existing.empty())
        setup.addConsolidatedMovements(existing);
    const int before = setup.countWritten(u"CNS"_s, u"1"_s);

    test::ScriptedPrompter prompter;
    prompter.answer({Answer::Ok, Answer::Ok});
    ConsolidationEnvironment environment{setup.consolidated(), prompter, setup.folder()};
    const CommandResult result = runConsolidation(
        environment, {u"2024"_s, config.value(u"mes"_s).toInt(), {{1, u" Velmor "_s}}});
    ASSERT_EQ(result.outcome, CommandOutcome::Done) << prompter.texts().join(u'|').toStdString();

    // The summary reports the rounding lines it wrote, as the expected rows on 9999 are.
    ASSERT_EQ(result.written.size(), 1u);
    const WriteSummary& summary = result.written.front().second;
    std::vector<RoundingLine> rounding;
    for (const Row& e : expected)
        if (e.value(u"Conta"_s) == QLatin1String("9999"))
            rounding.push_back({whole(e, "NumDoc"), whole(e, "NumLinha"), u"9999"_s,
                                whole(e, "DbCr"), amount(e, "Valor")});
    EXPECT_EQ(summary.roundingLines, static_cast<int>(rounding.size()));
    ASSERT_EQ(summary.firstRoundingLines.size(), rounding.size());
    for (std::size_t r = 0; r < rounding.size(); ++r) {
        const RoundingLine& got = summary.firstRoundingLines.at(r);
        EXPECT_EQ(std::tie(got.document, got.line, got.account, got.side, got.amount),
                  std::tie(rounding[r].document, rounding[r].line, rounding[r].account,
                           rounding[r].side, rounding[r].amount));
    }

    // The source rows as the company database holds them, by Ref.
    Recordset sourceRows = setup.company(1).openReadOnly(u"SELECT * FROM MovCTB"_s);
    QHash<QString, int> sourcePosition;
    for (sourceRows.moveFirst(); !sourceRows.eof(); sourceRows.moveNext())
        sourcePosition.insert(sourceRows.field(u"Ref"_s).toText(), sourceRows.position());

    Recordset rows = setup.consolidated().openReadOnly(
        QStringLiteral("SELECT * FROM MovCTB WHERE TpDoc = 'CNS' AND Serie = '1' AND Ref <> 'old' "
                       "ORDER BY NumDoc, NumLinha"));
    ASSERT_EQ(rows.rowCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(setup.countWritten(u"CNS"_s, u"1"_s), before + static_cast<int>(expected.size()));
    std::size_t i = 0;
    for (rows.moveFirst(); !rows.eof(); rows.moveNext(), ++i) {
        const Row& e = expected.at(i);
        const QString from = e.value(u"From"_s);
        SCOPED_TRACE(u"expected.csv row %1 (from %2)"_s.arg(i + 2).arg(from).toStdString());
        expectRow(rows, e);
        EXPECT_EQ(rows.field(u"TpDoc"_s).toText(), u"CNS"_s);
        EXPECT_EQ(rows.field(u"Serie"_s).toText(), u"1"_s);
        EXPECT_EQ(rows.field(u"MvDes"_s).toInt(), 0);
        EXPECT_TRUE(rows.isNull(u"DBTS"_s));
        ASSERT_TRUE(sourcePosition.contains(from));
        sourceRows.moveTo(sourcePosition.value(from));
        for (int col = 0; col < rows.columnCount(); ++col) {
            const QString column = rows.columnName(col);
            if (!kDecidedColumns.contains(column.toUpper())) {
                EXPECT_EQ(rows.field(col), sourceRows.field(column)) << column.toStdString();
            }
        }
    }
    EXPECT_EQ(setup.ultimoMes(1), config.value(u"ultimo_mes"_s));
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<EngineKind, QString>>& info) {
    std::ostringstream name;
    name << std::get<0>(info.param) << "_" << std::get<1>(info.param).toStdString();
    return name.str();
}

INSTANTIATE_TEST_SUITE_P(Cases, ConsolidationGolden,
                         ::testing::Combine(::testing::Values(EngineKind::Sqlite,
                                                              EngineKind::OdbcSqlite),
                                            ::testing::ValuesIn(caseNames(u"consolidation"_s))),
                         caseName);

// --- movement import writing ----------------------------------------------------------------

// The import lines table's columns in their order, as lines.csv heads them.
const QStringList kLineColumns{u"TpTerc"_s, u"Conta"_s,     u"Terc"_s,  u"TpDoc"_s,    u"DataDoc"_s,
                               u"Valor"_s,  u"DbCr"_s,      u"Descr"_s, u"Setor"_s,    u"Diario"_s,
                               u"RubOrc"_s, u"CCustOrc"_s,  u"Serie"_s, u"NCont"_s,    u"CodIva"_s,
                               u"CodFlu"_s, u"Custeio"_s,   u"Ref"_s,   u"Operador"_s, u"DataR"_s,
                               u"LinCC"_s,  u"ValorBase"_s, u"Doc"_s};

class ImportGolden : public ::testing::TestWithParam<std::tuple<EngineKind, QString>> {};

TEST_P(ImportGolden, writes_the_expected_rows_and_advances_the_numerators) {
    using L = ImportLinesTable;
    static_assert(L::MaxColumns == 23);
    const auto& [kind, name] = GetParam();
    const QString folder = kGoldenDir + u"/import/"_s + name;
    const Row config = settings(folder + u"/case.txt"_s);
    const std::vector<Row> expected = table(folder + u"/expected.csv"_s);
    ASSERT_FALSE(expected.empty()) << folder.toStdString();

    L lines;
    for (const Row& row : table(folder + u"/lines.csv"_s)) {
        const int r = lines.appendRow();
        lines.setSourceRow(r, r + 2);
        for (int column = 0; column < L::MaxColumns; ++column) {
            const QString cell = row.value(kLineColumns.at(column));
            if (cell.isEmpty())
                continue;
            if (column == L::Valor || column == L::ValorBase)
                lines.setValue(r, column, Value(*Money::parse(cell)));
            else if (column == L::DbCr || column == L::TpTerc || column == L::LinCC)
                lines.setValue(r, column, Value(cell.toInt()));
            else
                lines.setValue(r, column, Value(cell == QLatin1String("\"\"") ? QString() : cell));
        }
    }
    const QDateTime now =
        QDateTime::fromString(config.value(u"agora"_s), u"yyyy-MM-dd HH:mm:ss.zzz"_s);
    ASSERT_TRUE(now.isValid());

    test::ImportCompany company(kind);
    ImportWriteSummary summary;
    {
        Transaction transaction(company.db());
        summary = writeImportedMovements(company.db(), lines, now, {});
        transaction.commit();
    }
    EXPECT_EQ(summary.lines, static_cast<int>(expected.size()));
    QStringList perDocument;
    for (const auto& document : summary.documents)
        perDocument << QString::number(document.lines);
    EXPECT_EQ(perDocument.join(u','), config.value(u"linhas_por_documento"_s));

    Recordset rows =
        company.db().openReadOnly(u"SELECT * FROM MovCTB ORDER BY TpDoc, NumDoc, NumLinha"_s);
    ASSERT_EQ(rows.rowCount(), static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i, rows.moveNext()) {
        SCOPED_TRACE(u"expected.csv row %1"_s.arg(i + 2).toStdString());
        expectRow(rows, expected[i]);
    }

    for (const Row& numerator : table(folder + u"/numerators.csv"_s)) {
        const QString code = numerator.value(u"Codigo"_s);
        SCOPED_TRACE(code.toStdString());
        const Recordset value =
            numerator.value(u"Tabela"_s) == QLatin1String("NumDoc")
                ? company.db().openReadOnly(
                      QStringLiteral("SELECT Num FROM NumDoc WHERE Ano = 2024 AND Serie = '1' "
                                     "AND Doc = ?"),
                      {code})
                : company.db().openReadOnly(
                      QStringLiteral("SELECT Numerado FROM NumDiar WHERE Ano = 2024 AND "
                                     "Diario = ? AND Mes = ?"),
                      {code, whole(numerator, "Mes")});
        ASSERT_EQ(value.rowCount(), 1);
        EXPECT_EQ(value.field(0).toInt(), whole(numerator, "Num"));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ImportGolden,
                         ::testing::Combine(::testing::Values(EngineKind::Sqlite,
                                                              EngineKind::OdbcSqlite),
                                            ::testing::ValuesIn(caseNames(u"import"_s))),
                         caseName);

TEST(JobGoldenFolders, every_job_has_its_cases) {
    EXPECT_GE(caseNames(u"consolidation"_s).size(), 8);
    EXPECT_GE(caseNames(u"import"_s).size(), 1);
}

}  // namespace
}  // namespace agrimor
