#include <gtest/gtest.h>

#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "tests/support/memory_workbook.h"
#include "tests/support/test_databases.h"
#include "workbook/workbook.h"
#include "workbook/workbook_writer.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using L = ImportLinesTable;

std::vector<Cell> header() {
    std::vector<Cell> cells;
    for (int c = 0; c < L::MaxColumns + 1; ++c)
        cells.push_back(Cell::ofText(u"Cabeçalho %1"_s.arg(c)));
    return cells;
}

// A line of document `doc` with the given value; every other cell filled sensibly.
std::vector<Cell> line(const QString& doc, double value = 10) {
    std::vector<Cell> cells(L::MaxColumns + 1);
    cells[L::TpTerc] = Cell::ofNumber(2);
    cells[L::Conta] = Cell::ofText(u"  2111234567890123456  "_s);
    cells[L::Terc] = Cell::ofNumber(211);
    cells[L::TpDoc] = Cell::ofText(u"FTX"_s);
    cells[L::DataDoc] = Cell::ofDate(QDate(2024, 1, 31));
    cells[L::Valor] = Cell::ofNumber(value);
    cells[L::DbCr] = Cell::ofText(u" 1 "_s);
    cells[L::Diario] = Cell::ofText(u"D1"_s);
    cells[L::Serie] = Cell::ofText(u"A"_s);
    cells[L::DataR] = Cell::ofText(u"15-01-2024"_s);
    cells[L::LinCC] = Cell::ofText(u"12345"_s);
    cells[L::RubOrc] = Cell::ofText(u"   "_s);
    cells[L::Doc] = doc.isNull() ? Cell::empty() : Cell::ofText(doc);
    cells[L::MaxColumns] = Cell::ofText(u"ignorada"_s);
    return cells;
}

class MovementReaderTest : public ::testing::TestWithParam<WorkbookFormat> {
protected:
    void read(std::vector<std::vector<Cell>> rows, QStringList numberFormats = {}) {
        rows.insert(rows.begin(), header());
        const QString path =
            folder.file(GetParam() == WorkbookFormat::Xls ? u"m.xls"_s : u"m.xlsx"_s);
        writeWorkbook(path, {SheetData{u"Mov"_s, rows, std::move(numberFormats)}}, GetParam());
        readMovementSheet(*Workbook::open(path), u"Mov"_s, lines, documents);
    }
    QString message(std::vector<std::vector<Cell>> rows) {
        try {
            read(std::move(rows));
        } catch (const WorkbookError& error) {
            return error.message();
        }
        return {};
    }

    test::TempFolder folder;
    ImportLinesTable lines;
    ImportDocumentsTable documents;
};

TEST_P(MovementReaderTest, cells_are_trimmed_cut_and_typed_by_position) {
    auto row = line(u"D-0001"_s, 1.00015);
    row[L::ValorBase] = Cell::ofText(u"1234,5"_s);
    read({row});
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.value(0, L::TpTerc), Value(2));
    EXPECT_EQ(lines.value(0, L::Conta), Value(u"211123456789012"_s));
    EXPECT_EQ(lines.value(0, L::Terc), Value(u"211"_s));  // a number read as text
    EXPECT_EQ(lines.value(0, L::TpDoc), Value(u"FTX"_s));
    EXPECT_EQ(lines.value(0, L::DataDoc), Value(u"31-01-2024"_s));
    EXPECT_EQ(lines.value(0, L::Valor), Value(Money::fromUnits(10002)));  // half to even
    EXPECT_EQ(lines.value(0, L::DbCr), Value(1));
    EXPECT_EQ(lines.value(0, L::LinCC), Value(123));
    EXPECT_EQ(lines.value(0, L::ValorBase), Value(Money::fromUnits(12345000)));
    EXPECT_EQ(lines.value(0, L::RubOrc), Value(QString()));  // blanks: empty text, not null
    EXPECT_TRUE(lines.value(0, L::Setor).isNull());          // empty cell: null
    EXPECT_TRUE(lines.value(0, L::CodIva).isNull());
    ASSERT_EQ(documents.size(), 1);
    EXPECT_EQ(documents.value(0, ImportDocumentsTable::Ano), Value(2024));
    EXPECT_EQ(documents.value(0, ImportDocumentsTable::Serie), Value(u"A"_s));
}

// A number the sheet shows as a time reads as that time in a text column; an amount or a whole
// number shown so still takes the number itself.
TEST_P(MovementReaderTest, time_formatted_numbers_read_as_shown_in_text_columns_only) {
    auto row = line(u"D1"_s, 0.5);
    row[L::Descr] = Cell::ofNumber(0.3368402777777778);
    row[L::Ref] = Cell::ofNumber(1.25);
    row[L::DbCr] = Cell::ofNumber(1);
    QStringList formats(L::MaxColumns);
    formats[L::Descr] = u"hh:mm:ss"_s;
    formats[L::Ref] = u"[h]:mm:ss"_s;
    formats[L::Valor] = u"hh:mm"_s;
    formats[L::DbCr] = u"h:mm"_s;
    read({row}, formats);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.value(0, L::Descr), Value(u"08:05:03"_s));
    EXPECT_EQ(lines.value(0, L::Ref), Value(u"30:00:00"_s));
    EXPECT_EQ(lines.value(0, L::Valor), Value(Money::fromUnits(5000)));
    EXPECT_EQ(lines.value(0, L::DbCr), Value(1));
}

TEST_P(MovementReaderTest, a_key_that_comes_back_joins_its_first_document) {
    read({line(u"A"_s), line(u"A"_s), line(u"B"_s), line(u"A"_s), line(u"a"_s)});
    EXPECT_EQ(lines.size(), 5);
    ASSERT_EQ(documents.size(), 3);
    EXPECT_EQ(documents.value(0, ImportDocumentsTable::Doc), Value(u"A"_s));
    EXPECT_EQ(documents.value(1, ImportDocumentsTable::Doc), Value(u"B"_s));
    EXPECT_EQ(documents.value(2, ImportDocumentsTable::Doc), Value(u"a"_s));
    // Each line keeps its sheet row and shows it as its heading.
    EXPECT_EQ(lines.sourceRow(3), 5);
    EXPECT_EQ(lines.headerData(3, Qt::Vertical), QVariant(5));
}

TEST_P(MovementReaderTest,
       a_bad_row_stops_the_read_naming_row_and_column_and_keeps_the_rows_before) {
    auto noKey = line(QString());
    EXPECT_EQ(message({line(u"A"_s), line(u"A"_s), noKey, line(u"B"_s)}),
              QStringLiteral("Linha 4 da folha 'Mov': a coluna W (Doc) está vazia; cada linha tem "
                             "de indicar o documento."));
    EXPECT_EQ(lines.size(), 3);  // the row without a key is stored before the read stops
    EXPECT_EQ(documents.size(), 1);

    auto textValue = line(u"B"_s);
    textValue[L::Valor] = Cell::ofText(u"dez euros"_s);
    EXPECT_EQ(message({line(u"A"_s), textValue}),
              QStringLiteral("Linha 3 da folha 'Mov', coluna F (Valor): o valor 'dez euros' não "
                             "serve: não é um valor."));
    EXPECT_EQ(lines.size(), 2);

    auto letterKind = line(u"B"_s);
    letterKind[L::DbCr] = Cell::ofText(u"D"_s);
    EXPECT_TRUE(message({letterKind}).startsWith(u"Linha 2 da folha 'Mov', coluna G (DbCr)"_s));

    std::vector<Cell> narrow(L::MaxColumns - 1, Cell::ofText(u"x"_s));
    SheetData sheet{u"Curta"_s, {narrow, narrow}, {}};
    const QString path = folder.file(u"narrow.xlsx"_s);
    writeWorkbook(path, {sheet}, WorkbookFormat::Xlsx);
    try {
        readMovementSheet(*Workbook::open(path), u"Curta"_s, lines, documents);
        ADD_FAILURE();
    } catch (const WorkbookError& error) {
        EXPECT_TRUE(error.message().contains(u"falta a coluna W (Doc)"_s));
    }
    EXPECT_EQ(lines.size(), 0);
}

// "1.234" may be 1234 with its thousands grouped or one and a bit: refused in both amount
// columns, naming row, column and text. Texts no reader could take otherwise, and numbers, pass.
TEST_P(MovementReaderTest, an_amount_text_that_may_be_thousands_is_refused_and_clear_ones_read) {
    const auto refusal = [&](int column, const QString& text) {
        auto row = line(u"B"_s);
        row[column] = Cell::ofText(text);
        return message({line(u"A"_s), row});
    };
    EXPECT_EQ(refusal(L::Valor, u"1.234"_s),
              QString::fromUtf8("Linha 3 da folha 'Mov', coluna F (Valor): Valor ambíguo '1.234' "
                                "(milhares ou casas decimais): escreva 1234, 1.234,00 ou 1,2340, "
                                "conforme o que quer dizer."));
    EXPECT_EQ(lines.size(), 2);  // the read stopped in that row
    EXPECT_TRUE(refusal(L::ValorBase, u" 12,500 "_s)
                    .startsWith(QString::fromUtf8("Linha 3 da folha 'Mov', coluna V (ValorBase): "
                                                  "Valor ambíguo ' 12,500 '")));
    EXPECT_TRUE(refusal(L::Valor, u"-999.000"_s).contains(u"-999000"_s));

    const std::pair<const char*, std::int64_t> clear[] = {
        {"1.234,00", 12340000}, {"1,2340", 12340}, {"0,125", 1250},           {"12.34", 123400},
        {"1234.567", 12345670}, {"1,2345", 12345}, {"1.234.567", 12345670000}};
    std::vector<std::vector<Cell>> rows;
    for (const auto& [text, units] : clear) {
        rows.push_back(line(u"C"_s));
        rows.back()[L::Valor] = Cell::ofText(QString::fromLatin1(text));
    }
    rows.push_back(line(u"C"_s, 1.234));
    read(rows);
    ASSERT_EQ(lines.size(), static_cast<int>(std::size(clear)) + 1);
    for (int row = 0; row < lines.size() - 1; ++row)
        EXPECT_EQ(lines.value(row, L::Valor), Value(Money::fromUnits(clear[row].second)))
            << clear[row].first;
    EXPECT_EQ(lines.value(lines.size() - 1, L::Valor), Value(Money::fromUnits(12340)));
}

// Reads the first sheet of a golden workbook, which must stop at a refused row: the refusal's text,
// with the lines and documents read before it left in `lines` and `documents`.
QString refusalOfGoldenSheet(const char* file, ImportLinesTable& lines,
                             ImportDocumentsTable& documents) {
    try {
        const auto book =
            Workbook::open(QStringLiteral(AGRIMOR_GOLDEN_DIR "/") + QString::fromUtf8(file));
        readMovementSheet(*book, book->sheetNames().front(), lines, documents);
    } catch (const WorkbookError& error) {
        return error.message();
    }
    return {};
}

// The same movement sheet saved by other programs in every format gives the same import lines.
// Its blank row 6 stops the read, as a row without a document does.
TEST(MovementSheets, sheets_written_by_other_programs_give_the_same_lines) {
    const char* const files[] = {
        "lo-movements-xlsx/movimentos.xlsx",     "lo-movements-xls/movimentos.xls",
        "openpyxl-movements/movimentos.xlsx",    "gnumeric-movements-xlsx/movimentos.xlsx",
        "gnumeric-movements-xls/movimentos.xls", "gnumeric-movements-xls95/movimentos.xls",
    };
    QStringList first;
    for (const char* file : files) {
        SCOPED_TRACE(file);
        ImportLinesTable lines;
        ImportDocumentsTable documents;
        const QString refusal = refusalOfGoldenSheet(file, lines, documents);
        EXPECT_TRUE(refusal.startsWith(u"Linha 6 da folha"_s)) << refusal.toStdString();
        QStringList read;
        for (int row = 0; row < lines.size(); ++row) {
            QStringList fields;
            for (int column = 0; column < L::MaxColumns; ++column)
                fields << (lines.value(row, column).isNull() ? u"null"_s
                                                             : lines.value(row, column).toText());
            read << fields.join(QLatin1Char('|'));
        }
        ASSERT_EQ(read.size(), 5);  // rows 2 to 5, and the blank row 6
        EXPECT_TRUE(read[0].startsWith(u"2|211101|00123|FT|02-03-2026|1230"_s))
            << read[0].toStdString();
        EXPECT_EQ(documents.size(), 2);
        if (first.isEmpty())
            first = read;
        EXPECT_EQ(read, first);
    }
}

// Amounts typed as text in sheets other programs wrote: the clear ones read, "12,500" stops the
// read at its row in both formats.
TEST(MovementSheets, an_ambiguous_amount_text_from_other_programs_is_refused_at_its_row) {
    for (const char* file :
         {"openpyxl-amount-texts/movimentos.xlsx", "gnumeric-amount-texts-xls/movimentos.xls"}) {
        SCOPED_TRACE(file);
        ImportLinesTable lines;
        ImportDocumentsTable documents;
        const QString refusal = refusalOfGoldenSheet(file, lines, documents);
        EXPECT_TRUE(refusal.startsWith(QString::fromUtf8(
            "Linha 4 da folha 'Movimentos', coluna F (Valor): Valor ambíguo '12,500'")))
            << refusal.toStdString();
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines.value(0, L::Valor), Value(Money::fromUnits(12340000)));
        EXPECT_EQ(lines.value(0, L::ValorBase), Value(Money::fromUnits(1250)));
        EXPECT_EQ(lines.value(1, L::Valor), Value(Money::fromUnits(12340)));
    }
}

// Reads the rows after a header `headerWidth` cells wide from a workbook in memory: the refusal's
// text, empty when the whole sheet was read into `lines` and `documents`.
class MovementCells : public ::testing::Test {
protected:
    QString read(const std::vector<std::vector<Cell>>& rows, int headerWidth = L::MaxColumns) {
        std::vector<std::vector<Cell>> sheet{{}};
        for (int c = 0; c < headerWidth; ++c)
            sheet.front().push_back(Cell::ofText(u"C%1"_s.arg(c)));
        sheet.insert(sheet.end(), rows.begin(), rows.end());
        try {
            readMovementSheet(test::MemoryWorkbook({{u"Mov"_s, sheet}}), u"Mov"_s, lines,
                              documents);
        } catch (const WorkbookError& error) {
            return error.message();
        }
        return {};
    }
    ImportLinesTable lines;
    ImportDocumentsTable documents;
};

TEST_F(MovementCells, error_cells_are_refused_and_booleans_and_date_times_read_as_shown) {
    std::vector<Cell> row(L::MaxColumns);
    row[L::TpTerc] = Cell::ofBoolean(true);
    row[L::DataDoc] = Cell::ofDate(QDate(2024, 1, 31), QTime(23, 59, 59));
    row[L::Valor] = Cell::ofBoolean(false);
    row[L::Descr] = Cell::ofBoolean(true);
    row[L::Doc] = Cell::ofText(u"D1"_s);
    EXPECT_EQ(read({row}), QString());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.value(0, L::TpTerc), Value(1));
    EXPECT_EQ(lines.value(0, L::DataDoc), Value(u"31-01-2024"_s));
    EXPECT_EQ(lines.value(0, L::Valor), Value(Money::fromWhole(0)));
    EXPECT_EQ(lines.value(0, L::Descr), Value(u"VERDADEIRO"_s));

    row[L::Valor] = Cell::ofError(u"#DIV/0!"_s);
    EXPECT_EQ(read({row, row}), QStringLiteral("Linha 2 da folha 'Mov', coluna F (Valor): a "
                                               "célula tem o erro #DIV/0!."));
    EXPECT_EQ(lines.size(), 1);  // as with any bad cell, the read stops in the row
}

// A cut that would fall inside a surrogate pair drops the whole character: half of one is no
// text at all, and would reach the database as a replacement sign.
TEST_F(MovementCells, a_cut_never_splits_a_character) {
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // two UTF-16 units
    std::vector<Cell> row(L::MaxColumns);
    row[L::Conta] = Cell::ofText(u"12345678901234"_s + smile + u"x"_s);
    row[L::Descr] = Cell::ofText(u"Caf"_s + smile);
    row[L::Doc] = Cell::ofText(u"ABCDEFGH"_s + smile + u"I"_s);
    EXPECT_EQ(read({row}), QString());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.value(0, L::Conta), Value(u"12345678901234"_s));
    EXPECT_EQ(lines.value(0, L::Descr), Value(u"Caf"_s + smile));  // fits whole
    EXPECT_EQ(lines.value(0, L::Doc), Value(u"ABCDEFGH"_s + smile));
    ASSERT_EQ(documents.size(), 1);
    EXPECT_EQ(documents.value(0, ImportDocumentsTable::Doc), Value(u"ABCDEFGH"_s + smile));
}

// A file need not state its used range: the sheet is then as wide as its widest row, even when
// only the data rows reach column W.
TEST_F(MovementCells, a_sheet_is_as_wide_as_its_cells_when_the_file_states_no_range) {
    std::vector<Cell> row(L::MaxColumns);
    row[L::Conta] = Cell::ofText(u"6221"_s);
    row[L::Doc] = Cell::ofText(u"D1"_s);
    EXPECT_EQ(read({row, row}, 20), QString());
    EXPECT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.value(1, L::Doc), Value(u"D1"_s));

    row[L::ValorBase] = Cell::ofNumber(1);
    row.resize(L::MaxColumns - 1);  // no row reaches column W
    EXPECT_EQ(read({row}, 20),
              QStringLiteral("A folha 'Mov' tem 22 colunas e uma folha de movimentos tem 23: "
                             "falta a coluna W (Doc) na linha 1."));
    EXPECT_EQ(lines.size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, MovementReaderTest,
                         ::testing::Values(WorkbookFormat::Xls, WorkbookFormat::Xlsx),
                         [](const auto& info) {
                             return std::string(info.param == WorkbookFormat::Xls ? "xls" : "xlsx");
                         });

}  // namespace
}  // namespace agrimor
