// bench-movement-import [--table] [--odbc] [N ...]
// A clean movement sheet of N lines (100,000 by default) in documents of 2 to 8 lines, on a
// company's master data of a few hundred codes, goes through the whole import as the screen runs
// it: the workbook (.xlsx) is read into the import tables, checked and written in one transaction.
// For each phase it prints wall time, lines per second, statements sent to the company database
// per 1,000 lines (as the data-access component counts them; an array-bound batch counts once) and
// peak memory (VmHWM, reset before each phase; the workbook is parsed in a child process of its
// own, not counted here; the sheet is made in another child beforehand). In the same run the rows
// the import wrote are read back and inserted into an empty database with one reused prepared
// INSERT in one transaction (on SQLite through the sqlite3 C API, on ODBC through the engine's
// array-bound insert): the limit the time spent writing the lines (in the MovCTB writer) is
// compared with. Defaults: N = 100000 on SQLite, then 100000 through the SQLite ODBC driver.

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

#include "data/data_access.h"
#include "ledger/movement_line.h"
#include "movimport/import_checkup.h"
#include "movimport/import_error.h"
#include "movimport/import_tables.h"
#include "movimport/import_writer.h"
#include "movimport/movement_sheet_reader.h"
#include "tools/bench/bench_support.h"
#include "tools/seeder/demo_seeder.h"
#include "tools/seeder/sample_workbooks.h"
#include "workbook/workbook.h"
#include "workbook/workbook_writer.h"

namespace {

using namespace agrimor;
using namespace agrimor::bench;
using demo::Movement;

constexpr int kYear = 2024;
constexpr int kParties = 200;
constexpr int kChunk = 20000;

QString code(const char* prefix, int n, int width = 4) {
    return QLatin1String(prefix) + QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
}

QStringList generalAccounts() {
    QStringList accounts;
    for (int i = 0; i < 10; ++i)
        accounts << QStringLiteral("62%1").arg(11 + i) << QStringLiteral("71%1").arg(11 + i)
                 << QStringLiteral("31%1").arg(11 + i);
    return accounts;
}

QStringList class9Accounts() {
    QStringList accounts;
    for (int i = 0; i < 10; ++i)
        accounts << QStringLiteral("92%1").arg(11 + i);
    return accounts;
}

struct DocumentType {
    const char* type;
    const char* journal;
};
constexpr DocumentType kTypes[] = {{"FC", "01"}, {"FT", "02"}, {"RC", "04"}, {"PG", "04"}};

// The sheet's lines: balanced documents of 2 to 8 lines, every code in the master data.
std::vector<std::vector<Cell>> sheetRows(int lines) {
    std::mt19937_64 random(2024);
    const auto pick = [&random](int n) {
        return std::uniform_int_distribution<int>(0, n - 1)(random);
    };
    const QStringList general = generalAccounts();
    const QStringList analytic = class9Accounts();
    std::vector<std::vector<Cell>> rows{demo::movementHeader()};
    rows.reserve(static_cast<std::size_t>(lines) + 1);
    int document = 0;
    while (static_cast<int>(rows.size()) - 1 < lines) {
        const int size = std::min(lines - static_cast<int>(rows.size()) + 1, 2 + pick(7));
        const DocumentType& type = kTypes[++document % 4];
        const QDate date = QDate(kYear, 1, 1).addDays(document % 360);
        const QString key = QStringLiteral("D%1").arg(document);
        std::int64_t balance = 0;
        for (int l = 1; l <= size; ++l) {
            Movement m;
            m.tpDoc = QLatin1String(type.type);
            m.diario = QLatin1String(type.journal);
            m.sector = code("0", 1 + document % 5, 1);
            m.dataDoc = date;
            m.dataR = date;
            m.descr = QStringLiteral("Documento %1 linha %2").arg(document).arg(l);
            m.ref = QStringLiteral("%1 %2/%3").arg(m.tpDoc).arg(document).arg(l);
            m.operador = QStringLiteral("bench");
            m.conta = pick(7) == 0 ? analytic.at(pick(10)) : general.at(pick(30));
            // The last line balances the document.
            std::int64_t cents = 1 + pick(500000);
            if (l == size) {
                m.dbCr = balance > 0 ? 2 : 1;
                cents = std::llabs(balance);
            } else {
                m.dbCr = l % 2 ? 1 : 2;
            }
            balance += m.dbCr == 1 ? cents : -cents;
            m.valor = Money::fromUnits(cents * 100);
            if (pick(3) == 0) {
                m.codIva = pick(2) ? QStringLiteral("IVA23") : QStringLiteral("ISE");
                m.valorBase = m.valor;
            }
            if (pick(4) == 0) {
                m.rubOrc = code("R", 1 + pick(10), 2);
                m.cCustOrc = code("CC", 1 + pick(10), 2);
                m.custeio = code("P", 1 + pick(10));
                m.codFlu = code("F", 1 + pick(5), 1);
            }
            if (pick(3) == 0) {
                m.tpTerc = 1 + pick(2);
                m.terc = code(m.tpTerc == 1 ? "F" : "C", 1 + pick(kParties));
            }
            rows.push_back(demo::movementRow(m, key));
        }
    }
    return rows;
}

void seedCompany(const QString& file) {
    auto db = demo::createCompanyDatabase(file);
    Transaction transaction(*db);
    Engine& engine = db->engine();
    const auto insert = [&engine](const char* sql, const Params& params) {
        engine.execute(QString::fromLatin1(sql), params);
    };
    for (const QString& account :
         generalAccounts() + class9Accounts() + QStringList{QStringLiteral("2432")})
        insert("INSERT INTO POC (Conta, Exercicio, NivInt) VALUES (?, ?, 0)", {account, kYear});
    for (const DocumentType& type : kTypes) {
        insert("INSERT INTO TpDoc (Codigo) VALUES (?)", {QString::fromLatin1(type.type)});
        insert("INSERT INTO NumDoc (Ano, Serie, Doc, Num) VALUES (?, '1', ?, 100)",
               {kYear, QString::fromLatin1(type.type)});
    }
    for (const char* journal : {"01", "02", "04"}) {
        insert("INSERT INTO DIARIO (Codigo) VALUES (?)", {QString::fromLatin1(journal)});
        insert("INSERT INTO NumDiar (Ano, Diario, Mes, Numerado) VALUES (?, ?, 0, 100)",
               {kYear, QString::fromLatin1(journal)});
    }
    for (int i = 1; i <= 5; ++i) {
        insert("INSERT INTO Sectores (Codigo) VALUES (?)", {code("0", i, 1)});
        insert("INSERT INTO PLFLUX (CodFlux, Exercicio) VALUES (?, ?)", {code("F", i, 1), kYear});
    }
    for (int i = 1; i <= 10; ++i) {
        insert("INSERT INTO RUBRORC (Cod) VALUES (?)", {code("R", i, 2)});
        insert("INSERT INTO CCusto (Cod) VALUES (?)", {code("CC", i, 2)});
        insert("INSERT INTO Custeio (Custeio) VALUES (?)", {code("P", i)});
    }
    insert("INSERT INTO PLAIVA (CodIva, Exercicio, CNTIVA) VALUES ('IVA23', ?, '2432')", {kYear});
    insert("INSERT INTO PLAIVA (CodIva, Exercicio) VALUES ('ISE', ?)", {kYear});
    for (int i = 1; i <= kParties; ++i) {
        insert("INSERT INTO Fornec (Codigo) VALUES (?)", {code("F", i)});
        insert("INSERT INTO Clientes (Codigo) VALUES (?)", {code("C", i)});
    }
    transaction.commit();
}

void runCase(bool odbc, int lines) {
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder");
    say("%s, %d lines:\n", odbc ? "ODBC (SQLite ODBC driver)" : "SQLite", lines);
    std::fflush(stdout);
    QElapsedTimer timer;
    timer.start();
    const QString book = folder.filePath(QStringLiteral("Movimentos.xlsx"));
    // In a child, so that the memory the sheet took while it was made does not count below.
    runInChild(
        [&] {
            writeWorkbook(book, {SheetData{QStringLiteral("Movimentos"), sheetRows(lines), {}}},
                          WorkbookFormat::Xlsx);
            seedCompany(folder.filePath(QStringLiteral("Empresa.db")));
        },
        "the sheet or the company could not be made");
    say("  (sheet written and company seeded in %.1f s)\n", seconds(timer));

    ImportLinesTable table;
    ImportDocumentsTable documents;
    resetPeak();
    timer.restart();
    readMovementSheet(*Workbook::open(book), QStringLiteral("Movimentos"), table, documents);
    const Figures read{seconds(timer), -1, peakKiB()};
    // The import tables stay loaded, as the screen shows them, through the check-up and writing.
    const double tableBytesPerLine =
        1024.0 * static_cast<double>(residentKiB() - read.start) / lines;
    if (table.size() != lines)
        throw std::runtime_error("the sheet did not read whole");

    DataAccess company;
    company.connect(settingsFor(odbc, folder.path(), QStringLiteral("Empresa.db")));
    std::int64_t before = company.roundTrips();
    resetPeak();
    timer.restart();
    const std::vector<ImportAnomaly> anomalies = checkImportLines(company, table);
    const Figures checkUp{seconds(timer), company.roundTrips() - before, peakKiB()};
    if (!anomalies.empty())
        throw std::runtime_error(
            (QStringLiteral("unexpected anomaly: ") + anomalies.front().text).toStdString());

    before = company.roundTrips();
    resetPeak();
    MovementWriter::keepWritingTime(true);
    timer.restart();
    ImportWriteSummary summary;
    {
        Transaction transaction(company);
        summary = writeImportedMovements(company, table, QDateTime::currentDateTime());
        transaction.commit();
    }
    const Figures writing{seconds(timer), company.roundTrips() - before, peakKiB()};
    const Figures writingLines{MovementWriter::writingSeconds(), -1, 0};
    MovementWriter::keepWritingTime(false);
    company.close();

    resetPeak();
    const double limit = writtenRowsLimit(folder.path(), QStringLiteral("Empresa.db"), {}, odbc);
    const Figures limitFigures{limit, -1, peakKiB()};

    print("read (.xlsx)", read, lines);
    say("    import tables held for the screen: %.0f bytes per line\n", tableBytesPerLine);
    print("check-up", checkUp, lines);
    print("writing (whole step)", writing, lines);
    print("  of which writing the lines", writingLines, lines);
    print("check-up and writing",
          {checkUp.seconds + writing.seconds, checkUp.statements + writing.statements,
           std::max(checkUp.peak, writing.peak), std::min(checkUp.start, writing.start)},
          lines);
    printLimit(limitFigures, lines, odbc);
    printRatio("writing / limit", writingLines.seconds / limit);
    printRatio("whole step / limit", writing.seconds / limit);
    say("  written: %d lines in %zu documents\n\n", summary.lines, summary.documents.size());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    return runCases(argc, argv, "bench-movement-import", 2, {{false, 100000}, {true, 100000}},
                    runCase);
}
