#include "tools/sheet/sheet_command.h"

#include "core/error_text.h"
#include "movimport/import_tables.h"
#include "movimport/movement_sheet_reader.h"
#include "rateimport/rates_table.h"
#include "workbook/workbook.h"

namespace agrimor {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitError = 1;

QString escaped(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
            case u'\\':
                result += QStringLiteral("\\\\");
                break;
            case u'\t':
                result += QStringLiteral("\\t");
                break;
            case u'\n':
                result += QStringLiteral("\\n");
                break;
            case u'\r':
                result += QStringLiteral("\\r");
                break;
            default:
                result += c;
        }
    }
    return result;
}

QString field(const MemoryTable& table, int row, int column) {
    const Value& value = table.value(row, column);
    if (value.isNull())
        return QStringLiteral("\\N");
    switch (table.columns()[static_cast<std::size_t>(column)].type) {
        case ColumnType::Currency:
            return value.toMoney().toString(4);
        case ColumnType::Date:
            return dayMonthYear(value.toDate());
        case ColumnType::Int16:
        case ColumnType::Int32:
        case ColumnType::Text:
            break;
    }
    return escaped(value.toText());
}

void print(const MemoryTable& table, QTextStream& out) {
    QStringList names;
    for (const ColumnDef& column : table.columns())
        names << column.name;
    out << names.join(QLatin1Char('\t')) << '\n';
    const int columns = static_cast<int>(table.columns().size());
    for (int row = 0; row < table.size(); ++row) {
        QString line;
        for (int column = 0; column < columns; ++column) {
            if (column > 0)
                line += QLatin1Char('\t');
            line += field(table, row, column);
        }
        out << line << '\n';
    }
}

int usage(QTextStream& err, const QString& problem) {
    err << "agrimor-batch folha: " << problem << '\n'
        << "usage: agrimor-batch folha <livro> [<folha> | --rates]\n";
    return kExitError;
}

}  // namespace

int runSheetCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QString path;
    QString sheet;
    bool rates = false;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--rates"))
            rates = true;
        else if (argument.startsWith(QLatin1String("--")))
            return usage(err, QStringLiteral("opção desconhecida: %1").arg(argument));
        else if (path.isEmpty())
            path = argument;
        else if (sheet.isEmpty())
            sheet = argument;
        else
            return usage(err, QStringLiteral("argumento a mais: %1").arg(argument));
    }
    if (path.isEmpty())
        return usage(err, QStringLiteral("falta o livro de Excel"));
    if (rates && !sheet.isEmpty())
        return usage(err, QStringLiteral("os câmbios são lidos sempre da primeira folha"));

    std::unique_ptr<Workbook> book;
    try {
        book = Workbook::open(path);
    } catch (const WorkbookError& error) {
        err << errorText(error, ErrorNumber::Shown) << '\n';
        return kExitError;
    }
    if (!rates && sheet.isEmpty()) {
        for (const QString& name : book->sheetNames())
            out << escaped(name) << '\n';
        return kExitDone;
    }

    ImportLinesTable lines;
    ImportDocumentsTable documents;
    RatesTable rateRows;
    MemoryTable& table = rates ? static_cast<MemoryTable&>(rateRows) : lines;
    int result = kExitDone;
    QString failure;
    try {
        if (rates)
            readRatesWorkbook(*book, rateRows);
        else
            readMovementSheet(*book, sheet, lines, documents);
    } catch (const WorkbookError& error) {
        failure = errorText(error, ErrorNumber::Shown);
        result = kExitError;
    }
    print(table, out);
    out.flush();
    if (!failure.isEmpty())
        err << failure << '\n';
    return result;
}

}  // namespace agrimor
