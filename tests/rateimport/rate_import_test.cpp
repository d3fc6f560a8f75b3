#include <gtest/gtest.h>

#include "core/error_text.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "data/own_tables.h"
#include "data/statement_recorder.h"
#include "rateimport/grid_export.h"
#include "rateimport/rates_table.h"
#include "tests/support/memory_workbook.h"
#include "tests/support/scripted_prompter.h"
#include "tests/support/test_databases.h"
#include "workbook/workbook.h"
#include "workbook/workbook_writer.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using test::EngineKind;

std::vector<Cell> rateRow(Cell currency, Cell date, Cell rate) {
    return {std::move(currency), std::move(date), std::move(rate)};
}

std::vector<Cell> rateRow(const char* currency, QDate date, double rate) {
    return rateRow(Cell::ofText(QString::fromLatin1(currency)), Cell::ofDate(date),
                   Cell::ofNumber(rate));
}

class RateFiles {
protected:
    QString write(std::vector<std::vector<Cell>> rows, const QString& name = u"c.xlsx"_s) {
        rows.insert(rows.begin(), rateRow(Cell::ofText(u"Moeda"_s), Cell::ofText(u"Data"_s),
                                          Cell::ofText(u"Câmbio"_s)));
        const QString path = folder.file(name);
        writeWorkbook(path,
                      {SheetData{u"Câmbios"_s, rows, {}},
                       SheetData{u"Outra"_s,
                                 {rateRow(Cell::ofText(u"x"_s), Cell::empty(), Cell::empty()),
                                  rateRow("JPY", QDate(2024, 1, 2), 160)},
                                 {}}},
                      workbookFormatFor(path));
        return path;
    }
    QString readError(std::vector<std::vector<Cell>> rows) {
        try {
            readRatesWorkbook(*Workbook::open(write(std::move(rows))), rates);
        } catch (const WorkbookError& error) {
            EXPECT_EQ(rates.size(), 0);
            return error.message();
        }
        return {};
    }

    test::TempFolder folder;
    RatesTable rates;
};

class RateReadTest : public RateFiles, public ::testing::Test {};

TEST_F(RateReadTest,
       the_first_sheet_is_read_skipping_rows_without_currency_and_rounding_half_even) {
    readRatesWorkbook(
        *Workbook::open(write({
            rateRow(Cell::empty(), Cell::ofDate(QDate(2024, 1, 1)), Cell::ofNumber(9)),
            rateRow("USD", QDate(2024, 1, 31), 1.00015),
            rateRow(Cell::ofText(u"GBP"_s), Cell::ofText(u"01-02-2024"_s),
                    Cell::ofText(u"0,85125"_s)),
            rateRow("CHF", QDate(2024, 2, 1), 0.94235),
        })),
        rates);
    ASSERT_EQ(rates.size(), 3);
    EXPECT_EQ(rates.value(0, RatesTable::Moeda), Value(u"USD"_s));
    EXPECT_EQ(rates.value(0, RatesTable::Data), Value(QDate(2024, 1, 31)));
    EXPECT_EQ(rates.value(0, RatesTable::Cambio), Value(Money::fromUnits(10002)));
    EXPECT_EQ(rates.value(1, RatesTable::Cambio), Value(Money::fromUnits(8512)));
    EXPECT_EQ(rates.value(2, RatesTable::Cambio), Value(Money::fromUnits(9424)));
    EXPECT_EQ(rates.displayText(1, RatesTable::Cambio), u".8512"_s);
    EXPECT_EQ(rates.displayText(1, RatesTable::Data), u"01-02-2024"_s);
}

TEST_F(RateReadTest, bad_cells_and_empty_sheets_are_refused_with_the_row_and_column) {
    EXPECT_EQ(readError({rateRow(Cell::ofText(u"USD"_s), Cell::ofDate(QDate(2024, 1, 2)),
                                 Cell::ofText(u"um e pouco"_s))}),
              QStringLiteral("Linha 2 da folha 'Câmbios', coluna C (Câmbio): 'um e pouco' não é um "
                             "câmbio."));
    EXPECT_EQ(readError({rateRow("USD", QDate(2024, 1, 2), 1.1),
                         rateRow(Cell::ofText(u"USD"_s), Cell::ofText(u"31-12-1899"_s),
                                 Cell::ofNumber(1))}),
              QStringLiteral("Linha 3 da folha 'Câmbios', coluna B (Data): a data 31-12-1899 é "
                             "anterior a 1900."));
    EXPECT_EQ(
        readError({rateRow(Cell::ofText(u"USD"_s), Cell::ofText(u"amanhã"_s), Cell::ofNumber(1))}),
        QStringLiteral("Linha 2 da folha 'Câmbios', coluna B (Data): 'amanhã' não é uma data "
                       "(dd-mm-aaaa)."));
    EXPECT_EQ(readError({rateRow(Cell::ofText(u"USD"_s), Cell::ofDate(QDate(2024, 1, 2)),
                                 Cell::empty())}),
              u"Linha 2 da folha 'Câmbios', coluna C (Câmbio): falta o câmbio."_s);
    EXPECT_EQ(readError({}), u"A folha 'Câmbios' não tem câmbios para importar."_s);
}

// The rate workbooks another program wrote, in both formats: the same rates.
TEST_F(RateReadTest, rate_workbooks_written_by_another_program_read_alike_in_both_formats) {
    for (const char* file : {"lo-rates-xlsx/cambios.xlsx", "lo-rates-xls/cambios.xls"}) {
        SCOPED_TRACE(file);
        readRatesWorkbook(
            *Workbook::open(QStringLiteral(AGRIMOR_GOLDEN_DIR "/") + QString::fromUtf8(file)),
            rates);
        QStringList read;
        for (int row = 0; row < rates.size(); ++row)
            read << u"%1 %2 %3"_s.arg(rates.displayText(row, RatesTable::Moeda),
                                      rates.displayText(row, RatesTable::Data),
                                      rates.value(row, RatesTable::Cambio).toMoney().toString(4));
        // The row without a currency is skipped; 0.86125 and 0.93456789 round half to even.
        EXPECT_EQ(read, (QStringList{u"USD 31-12-2025 1.0345"_s, u"GBP 31-12-2025 0.8612"_s,
                                     u"CHF 01-01-2026 0.9346"_s, u"BRL 01-01-2026 6.1000"_s}));
    }
}

// Reads rate rows under a header from a workbook in memory: the refusal's text, empty when every
// row was read into `rates`.
class RateCells : public ::testing::Test {
protected:
    QString read(std::vector<std::vector<Cell>> rows, DateSystem dates = DateSystem::From1900) {
        rows.insert(rows.begin(), header);
        try {
            readRatesWorkbook(test::MemoryWorkbook({{u"C"_s, rows}}, dates), rates);
        } catch (const WorkbookError& error) {
            EXPECT_EQ(rates.size(), 0);
            return error.message();
        }
        return {};
    }
    std::vector<Cell> header{Cell::ofText(u"Moeda"_s), Cell::ofText(u"Data"_s),
                             Cell::ofText(u"Câmbio"_s)};
    const Cell usd = Cell::ofText(u"USD"_s);
    RatesTable rates;
};

TEST_F(RateCells, date_times_serials_booleans_and_error_cells) {
    // A date-time gives its day; a serial counts in the workbook's date system; a text date may
    // be written year first. A row without a currency is skipped whatever else it holds.
    EXPECT_EQ(
        read({rateRow(usd, Cell::ofDate(QDate(2024, 1, 31), QTime(18, 0)), Cell::ofNumber(1.1)),
              rateRow(usd, Cell::ofNumber(43860), Cell::ofNumber(1)),
              rateRow(usd, Cell::ofText(u" 2024-02-29 "_s), Cell::ofNumber(1.2)),
              rateRow(Cell(), Cell::ofError(u"#REF!"_s), Cell::ofError(u"#N/A"_s))},
             DateSystem::From1904),
        QString());
    ASSERT_EQ(rates.size(), 3);
    EXPECT_EQ(rates.value(0, RatesTable::Data), Value(QDate(2024, 1, 31)));
    EXPECT_EQ(rates.value(1, RatesTable::Data), Value(QDate(2024, 1, 31)));
    EXPECT_EQ(rates.value(1, RatesTable::Cambio), Value(Money::fromWhole(1)));
    EXPECT_EQ(rates.value(2, RatesTable::Data), Value(QDate(2024, 2, 29)));

    const QDate day(2024, 1, 31);
    EXPECT_EQ(read({rateRow(usd, Cell::ofDate(day), Cell::ofError(u"#N/A"_s))}),
              u"Linha 2 da folha 'C', coluna C (Câmbio): a célula tem o erro #N/A."_s);
    EXPECT_EQ(read({rateRow(Cell::ofError(u"#DIV/0!"_s), Cell::ofDate(day), Cell::ofNumber(1))}),
              u"Linha 2 da folha 'C', coluna A (Moeda): a célula tem o erro #DIV/0!."_s);
    EXPECT_EQ(read({rateRow(usd, Cell::ofBoolean(false), Cell::ofNumber(1))}),
              QStringLiteral("Linha 2 da folha 'C', coluna B (Data): 'FALSO' não é uma data "
                             "(dd-mm-aaaa)."));
    // The rate grid's rule: a boolean is no rate, and one of zero or less (once rounded to four
    // decimals) would divide nothing.
    for (const Cell& rate :
         {Cell::ofBoolean(false), Cell::ofBoolean(true), Cell::ofNumber(0), Cell::ofNumber(-1.08),
          Cell::ofNumber(0.00004), Cell::ofText(u"-1,5"_s)}) {
        EXPECT_EQ(read({rateRow(usd, Cell::ofDate(day), rate)}),
                  QStringLiteral("Linha 2 da folha 'C', coluna C (Câmbio): '%1' - Valor inválido! "
                                 "Um câmbio é um número maior que zero.")
                      .arg(rate.toText()));
    }
    // A two-digit year would need a guess at the century: refused.
    EXPECT_EQ(read({rateRow(usd, Cell::ofText(u"31-01-24"_s), Cell::ofNumber(1))}),
              QStringLiteral("Linha 2 da folha 'C', coluna B (Data): '31-01-24' não é uma data "
                             "(dd-mm-aaaa)."));
}

// A file need not state its used range: the sheet is then as wide as its widest row, even when
// the header row names only two columns.
TEST_F(RateCells, a_sheet_is_as_wide_as_its_cells_when_the_file_states_no_range) {
    header.pop_back();
    const std::vector<Cell> full{usd, Cell::ofDate(QDate(2024, 1, 31)), Cell::ofNumber(1.1)};
    const std::vector<Cell> noRate{usd, Cell::ofDate(QDate(2024, 2, 1))};
    EXPECT_EQ(read({full}), QString());
    ASSERT_EQ(rates.size(), 1);
    EXPECT_EQ(rates.value(0, RatesTable::Cambio), Value(Money::fromUnits(11000)));
    EXPECT_EQ(read({full, noRate}), u"Linha 3 da folha 'C', coluna C (Câmbio): falta o câmbio."_s);
    EXPECT_EQ(read({noRate}),
              QStringLiteral("A folha 'C' tem 2 colunas; os câmbios ocupam 3: moeda, data e "
                             "câmbio."));
}

class RateStoreTest : public RateFiles, public ::testing::TestWithParam<EngineKind> {
protected:
    void SetUp() override {
        db = test::createDatabase(GetParam(), folder.path(), u"c.db"_s);
        ensureOwnTables(*db);
        auto rs = db->openUpdatable(u"zeb_CNS_Cambios"_s, u"1 = 0"_s);
        rs.addNew();
        rs.setField(u"Moeda"_s, u"USD"_s);
        rs.setField(u"Data"_s, QDate(2024, 1, 31));
        rs.setField(u"Cambio"_s, Money::fromWhole(2));
        rs.update();
    }
    QStringList stored() {
        QStringList rows;
        auto rs = db->openReadOnly(
            u"SELECT Moeda, Data, Cambio FROM zeb_CNS_Cambios ORDER BY Moeda, Data"_s);
        for (; !rs.eof(); rs.moveNext())
            rows << u"%1 %2 %3"_s.arg(rs.field(0).toText(),
                                      rs.field(1).toDate().toString(Qt::ISODate),
                                      rs.field(2).toMoney().toString(4));
        return rows;
    }
    std::unique_ptr<DataAccess> db;
};

TEST_P(RateStoreTest, a_stored_rate_is_replaced_new_ones_added_and_the_currency_cut_to_three) {
    // A cut inside a surrogate pair drops the whole character.
    const Cell halfCut = Cell::ofText(QString::fromUtf8("US\xF0\x9F\x92\xB2"));
    readRatesWorkbook(
        *Workbook::open(write(
            {rateRow("USD", QDate(2024, 1, 31), 1.08), rateRow("GBPX", QDate(2024, 1, 31), 0.85),
             rateRow(halfCut, Cell::ofDate(QDate(2024, 2, 1)), Cell::ofNumber(1.1))})),
        rates);
    storeRates(*db, rates);
    EXPECT_EQ(stored(), (QStringList{u"GBP 2024-01-31 0.8500"_s, u"US 2024-02-01 1.1000"_s,
                                     u"USD 2024-01-31 1.0800"_s}));
    EXPECT_FALSE(db->inTransaction());
}

TEST_P(RateStoreTest, a_rate_another_program_stored_in_another_date_form_is_replaced) {
    // Other programs write SQLite dates as a bare day, with a "T", or with fractions.
    db->execute(
        QStringLiteral("INSERT INTO zeb_CNS_Cambios (Moeda, Data, Cambio) VALUES "
                       "('GBP', '2024-02-01', 0.8), ('CHF', '2024-02-01T00:00:00', 0.9),"
                       " ('JPY', '2024-02-01 00:00:00.000', 150)"));
    readRatesWorkbook(*Workbook::open(write({rateRow("GBP", QDate(2024, 2, 1), 0.85),
                                             rateRow("CHF", QDate(2024, 2, 1), 0.95),
                                             rateRow("JPY", QDate(2024, 2, 1), 160)})),
                      rates);
    storeRates(*db, rates);
    EXPECT_EQ(stored(), (QStringList{u"CHF 2024-02-01 0.9500"_s, u"GBP 2024-02-01 0.8500"_s,
                                     u"JPY 2024-02-01 160.0000"_s, u"USD 2024-01-31 2.0000"_s}));
}

TEST_P(RateStoreTest, a_failing_row_stores_nothing_and_every_failure_is_described) {
    {
        const StatementRecordingPause testsOwnSetup;
        db->execute(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE INSERT ON zeb_CNS_Cambios WHEN NEW.Moeda = 'BAD' "
            "BEGIN SELECT RAISE(ABORT, 'moeda recusada'); END"));
    }
    readRatesWorkbook(*Workbook::open(write({rateRow("EUR", QDate(2024, 1, 31), 1),
                                             rateRow("BAD", QDate(2024, 1, 31), 1)})),
                      rates);
    const auto failure = [&] {
        try {
            storeRates(*db, rates);
        } catch (const DbError& error) {
            return errorText(error, ErrorNumber::Shown);
        }
        return QString();
    };
    const QString rowFailure = failure();
    EXPECT_TRUE(rowFailure.contains(u"moeda recusada"_s)) << rowFailure.toStdString();
    EXPECT_TRUE(rowFailure.endsWith(u" em Gravar_Cambios "_s)) << rowFailure.toStdString();
    EXPECT_EQ(stored(), QStringList{u"USD 2024-01-31 2.0000"_s});
    EXPECT_FALSE(db->inTransaction());

    // A failure outside the rows (here the transaction can not even begin) is reported too.
    db->close();
    const QString closed = failure();
    EXPECT_FALSE(closed.isEmpty());
    EXPECT_FALSE(closed.contains(u"Gravar_Cambios"_s));
}

INSTANTIATE_TEST_SUITE_P(Engines, RateStoreTest,
                         ::testing::Values(EngineKind::Sqlite, EngineKind::OdbcSqlite),
                         ::testing::PrintToStringParamName());

class GridExportTest : public RateFiles, public ::testing::Test {
protected:
    void fill(int count) {
        for (int i = 0; i < count; ++i) {
            const int row = rates.appendRow();
            rates.setValue(row, RatesTable::Moeda, Value(u"USD"_s));
            rates.setValue(row, RatesTable::Data, Value(QDate(2024, 1, 1).addDays(i % 5000)));
            rates.setValue(row, RatesTable::Cambio, Value(Money::fromUnits(10000 + i)));
        }
    }
    test::ScriptedPrompter prompter;
    QStringList opened;
};

TEST_F(GridExportTest, both_formats_read_back_as_the_grid_shows_and_the_file_is_opened) {
    fill(3);
    for (const QString& name : {u"out.xls"_s, u"out.xlsx"_s}) {
        const QString path = exportGrid(
            rates, prompter, [&](const QString&) { return folder.file(name); },
            [&](const QString& p) {
                opened << p;
                return true;
            });
        ASSERT_EQ(path, folder.file(name));
        RatesTable back;
        readRatesWorkbook(*Workbook::open(path), back);
        ASSERT_EQ(back.size(), 3);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < RatesTable::MaxColumns; ++c)
                EXPECT_EQ(back.value(r, c), rates.value(r, c)) << name.toStdString();
    }
    EXPECT_EQ(opened.size(), 2);
    EXPECT_TRUE(prompter.prompts().empty());

    bool asked = false;
    EXPECT_EQ(exportGrid(rates, prompter,
                         [&](const QString&) {
                             asked = true;
                             return QString();
                         },
                         {}),
              QString());
    EXPECT_TRUE(asked);
    EXPECT_EQ(exportGrid(rates, prompter,
                         [&](const QString&) { return folder.file(u"nada/x.xls"_s); }, {}),
              QString());
    ASSERT_EQ(prompter.prompts().size(), 1u);
    EXPECT_TRUE(prompter.lastText().startsWith(
        u"Não foi possivel executar a exportação para Excel !\r\nErro: "_s));
    EXPECT_EQ(prompter.prompts().back().icon, PromptIcon::Error);
}

TEST_F(GridExportTest, the_xls_row_limit_is_65534_rows) {
    fill(kMaxExportRows);
    const QString path =
        exportGrid(rates, prompter, [&](const QString&) { return folder.file(u"max"_s); }, {});
    EXPECT_EQ(path, folder.file(u"max.xls"_s));
    RatesTable back;
    readRatesWorkbook(*Workbook::open(path), back);
    EXPECT_EQ(back.size(), kMaxExportRows);

    fill(1);
    bool asked = false;
    EXPECT_EQ(exportGrid(rates, prompter,
                         [&](const QString&) {
                             asked = true;
                             return QString();
                         },
                         {}),
              QString());
    EXPECT_FALSE(asked);
    EXPECT_EQ(prompter.lastText(),
              u"Não é possivel exportar para excel grelhas com mais de 65534 linhas!"_s);
    EXPECT_EQ(prompter.prompts().back().title, QString());
}

}  // namespace
}  // namespace agrimor
