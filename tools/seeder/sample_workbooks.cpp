#include "tools/seeder/sample_workbooks.h"

#include <QDir>
#include <functional>

#include "movimport/import_tables.h"

namespace agrimor::demo {

namespace {

// The movement sheet's columns are those of the import lines table, in the same positions.
using Column = ImportLinesTable::Column;
constexpr int ColumnCount = ImportLinesTable::MaxColumns;
using enum ImportLinesTable::Column;

using Rows = std::vector<std::vector<Cell>>;

Cell optionalText(const QString& text) {
    return text.isEmpty() ? Cell::empty() : Cell::ofText(text);
}

Cell code(const QString& text) {
    bool digits = !text.isEmpty() && text.size() < 15 && !text.startsWith(QLatin1Char('0'));
    for (QChar c : text)
        digits = digits && c.isDigit();
    return digits ? Cell::ofNumber(text.toDouble()) : optionalText(text);
}

Cell amount(Money value) {
    return Cell::ofNumber(value.toDouble());
}

SheetData movementSheet(Rows rows) {
    rows.insert(rows.begin(), movementHeader());
    QStringList formats;
    for (int c = 0; c < ColumnCount; ++c)
        formats << (c == Valor || c == ValorBase ? QStringLiteral("#,##0.00") : QString());
    return SheetData{kMovementSample, std::move(rows), formats};
}

// A balanced two-line purchase on the demo's master data: an expense with its budget heading,
// cost centre, costing and VAT codes against the supplier.
Rows purchase(const QString& key, const QString& what, QDate date) {
    Movement expense;
    expense.tpDoc = QStringLiteral("FC");
    expense.diario = QStringLiteral("01");
    expense.sector = QStringLiteral("01");
    expense.dataDoc = date;
    expense.dataR = date;
    expense.descr = what;
    expense.ref = QStringLiteral("FT 1/%1").arg(key);
    expense.operador = QStringLiteral("ANA.SILVA");
    Movement supplier = expense;

    expense.conta = QStringLiteral("6221");
    expense.dbCr = 1;
    expense.valor = Money::fromWhole(123);
    expense.rubOrc = QStringLiteral("R02");
    expense.cCustOrc = QStringLiteral("CC100");
    expense.custeio = QStringLiteral("P00100");
    expense.codIva = QStringLiteral("ISE");

    supplier.conta = QStringLiteral("221");
    supplier.dbCr = 2;
    supplier.valor = expense.valor;
    supplier.tpTerc = 1;
    supplier.terc = QStringLiteral("F0009");
    return {movementRow(expense, key), movementRow(supplier, key)};
}

}  // namespace

QString sampleFileName(const QString& base, WorkbookFormat format) {
    return base +
           (format == WorkbookFormat::Xlsx ? QStringLiteral(".xlsx") : QStringLiteral(".xls"));
}

QStringList sampleFileNames() {
    QStringList names;
    for (const QString& base : {kRateSample, kMovementSample, kAnomalySample})
        for (WorkbookFormat format : {WorkbookFormat::Xlsx, WorkbookFormat::Xls})
            names << sampleFileName(base, format);
    return names;
}

std::vector<Cell> movementHeader() {
    static const char* const names[] = {
        "TpTerc",  "Conta",  "Terc",     "TpDoc",    "DataDoc", "Valor",     "DbCr",   "Descr",
        "Setor",   "Diario", "RubOrc",   "CCustOrc", "Serie",   "NCont",     "CodIva", "CodFlu",
        "Custeio", "Ref",    "Operador", "DataR",    "LinCC",   "ValorBase", "Doc"};
    std::vector<Cell> header;
    for (const char* name : names)
        header.push_back(Cell::ofText(QString::fromLatin1(name)));
    return header;
}

std::vector<Cell> movementRow(const Movement& line, const QString& documentKey) {
    std::vector<Cell> row(ColumnCount);
    row[TpTerc] = line.tpTerc == 0 ? Cell::empty() : Cell::ofNumber(line.tpTerc);
    row[Conta] = code(line.conta);
    row[Terc] = optionalText(line.terc);
    row[TpDoc] = optionalText(line.tpDoc);
    row[DataDoc] = line.dataDoc.isValid() ? Cell::ofDate(line.dataDoc) : Cell::empty();
    row[Valor] = amount(line.valor);
    row[DbCr] = Cell::ofNumber(line.dbCr);
    row[Descr] = optionalText(line.descr.left(32));
    row[Setor] = optionalText(line.sector);
    row[Diario] = optionalText(line.diario);
    row[RubOrc] = optionalText(line.rubOrc);
    row[CCustOrc] = optionalText(line.cCustOrc);
    row[Serie] = optionalText(line.serie);
    row[NCont] = optionalText(line.nCont);
    row[CodIva] = optionalText(line.codIva);
    row[CodFlu] = optionalText(line.codFlu);
    row[Custeio] = optionalText(line.custeio);
    row[Ref] = optionalText(line.ref.left(32));
    row[Operador] = optionalText(line.operador);
    row[DataR] = line.dataR.isValid() ? Cell::ofDate(line.dataR) : Cell::empty();
    row[LinCC] = optionalText(line.linCC);
    row[ValorBase] = line.valorBase.isZero() ? Cell::empty() : amount(line.valorBase);
    row[Doc] = optionalText(documentKey);
    return row;
}

SheetData rateSampleSheet(const SeedOptions& options) {
    const QString currency = QStringLiteral("USD");
    Rows rows{{Cell::ofText(QStringLiteral("Moeda")), Cell::ofText(QStringLiteral("Data")),
               Cell::ofText(QString::fromUtf8("Câmbio"))}};
    for (const Rate& rate : demoRates(currency, options))
        rows.push_back({Cell::ofText(currency), Cell::ofDate(rate.date), amount(rate.rate)});
    return SheetData{QString::fromUtf8("Câmbios"),
                     std::move(rows),
                     {QString(), QString(), QStringLiteral("#,##0.0000")}};
}

SheetData movementSampleSheet(const SeedOptions& options) {
    // December is the month the demo leaves free; the generator numbers and balances the
    // documents as it does for the seeded months.
    SeedOptions december = options;
    december.lastMonth = 12;
    december.class9Months = 0;
    december.movementLines = 12 * 30;
    Rows rows;
    for (Movement line : demoMovements(companies().front(), december)) {
        if (line.dataDoc.month() != 12)
            continue;
        // The validation refuses a real date after the document date.
        line.dataR = line.dataDoc;
        rows.push_back(movementRow(line, QStringLiteral("%1%2").arg(line.tpDoc).arg(line.numDoc)));
    }
    return movementSheet(std::move(rows));
}

SheetData anomalySampleSheet(const SeedOptions& options) {
    const QDate date(options.year, 12, 10);
    const auto text = [](const char* utf8) { return Cell::ofText(QString::fromUtf8(utf8)); };
    // One document per kind; the first line is the one changed unless said otherwise.
    const std::vector<std::pair<const char*, std::function<void(Rows&)>>> cases{
        {"Série diferente na 2.ª linha", [&](Rows& r) { r[1][Serie] = text("2"); }},
        {"Data diferente na 2.ª linha",
         [&](Rows& r) { r[1][DataDoc] = Cell::ofDate(date.addDays(1)); }},
        {"Data real depois da data doc.",
         [&](Rows& r) { r[0][DataR] = Cell::ofDate(date.addDays(1)); }},
        {"Tipo doc. diferente na 2.ª linha", [&](Rows& r) { r[1][TpDoc] = text("FT"); }},
        {"Setor diferente na 2.ª linha", [&](Rows& r) { r[1][Setor] = text("02"); }},
        {"Diário diferente na 2.ª linha", [&](Rows& r) { r[1][Diario] = text("02"); }},
        {"Ano sem plano nem numeradores",
         [&](Rows& r) {
             for (auto& row : r)
                 row[DataDoc] = row[DataR] = Cell::ofDate(date.addYears(-2));
         }},
        {"Série sem numerador",
         [&](Rows& r) {
             for (auto& row : r)
                 row[Serie] = text("9");
         }},
        {"Conta inexistente", [&](Rows& r) { r[0][Conta] = Cell::ofNumber(699999); }},
        {"Conta de movimento não permitido", [&](Rows& r) { r[0][Conta] = Cell::ofNumber(62); }},
        {"Tipo de documento inexistente",
         [&](Rows& r) {
             for (auto& row : r)
                 row[TpDoc] = text("ZZ");
         }},
        {"Setor inexistente",
         [&](Rows& r) {
             for (auto& row : r)
                 row[Setor] = text("99");
         }},
        {"Diário inexistente",
         [&](Rows& r) {
             for (auto& row : r)
                 row[Diario] = text("99");
         }},
        {"Rubrica orçamental inexistente", [&](Rows& r) { r[0][RubOrc] = text("R99"); }},
        {"Centro de custo inexistente", [&](Rows& r) { r[0][CCustOrc] = text("CC999"); }},
        {"Custeio inexistente", [&](Rows& r) { r[0][Custeio] = text("P99999"); }},
        {"Código de IVA inexistente", [&](Rows& r) { r[0][CodIva] = text("X23"); }},
        {"Código de fluxo inexistente", [&](Rows& r) { r[1][CodFlu] = text("9999"); }},
        {"Fornecedor inexistente", [&](Rows& r) { r[1][Terc] = text("F9999"); }},
        {"Fornecedor como cliente", [&](Rows& r) { r[1][TpTerc] = Cell::ofNumber(2); }},
        {"Débito diferente do crédito", [&](Rows& r) { r[1][Valor] = Cell::ofNumber(122.99); }},
        {"Data do documento impossível",
         [&](Rows& r) {
             for (auto& row : r)
                 row[DataDoc] = row[DataR] =
                     Cell::ofText(QStringLiteral("31-02-%1").arg(options.year));
         }},
    };
    Rows rows;
    int number = 0;
    for (const auto& [what, apply] : cases) {
        const QString key = QStringLiteral("AN%1").arg(++number, 2, 10, QLatin1Char('0'));
        Rows document = purchase(key, QString::fromUtf8(what), date);
        apply(document);
        rows.insert(rows.end(), document.begin(), document.end());
    }
    return movementSheet(std::move(rows));
}

QStringList writeSampleWorkbooks(const QString& folder, const SeedOptions& options) {
    const QDir dir(folder);
    const std::pair<QString, SheetData> books[] = {
        {kRateSample, rateSampleSheet(options)},
        {kMovementSample, movementSampleSheet(options)},
        {kAnomalySample, anomalySampleSheet(options)},
    };
    QStringList written;
    for (const auto& [base, sheet] : books) {
        for (WorkbookFormat format : {WorkbookFormat::Xlsx, WorkbookFormat::Xls}) {
            const QString path = dir.filePath(sampleFileName(base, format));
            writeWorkbook(path, {sheet}, format);
            written << path;
        }
    }
    return written;
}

}  // namespace agrimor::demo
