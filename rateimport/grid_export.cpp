#include "rateimport/grid_export.h"

#include <QFileInfo>

#include "core/memory_table.h"
#include "core/prompter.h"

namespace agrimor {

namespace {

void showTitleless(Prompter& prompter, const QString& text, PromptIcon icon) {
    prompter.ask(Prompt{PromptKind::Titled, QString(), text, icon});
}

}  // namespace

SheetData sheetFromTable(const MemoryTable& table, const QString& sheetName) {
    SheetData sheet;
    sheet.name = sheetName;
    std::vector<Cell> header;
    for (int c = 0; c < table.columnCount(); ++c) {
        header.push_back(Cell::ofText(table.headerData(c, Qt::Horizontal).toString()));
        sheet.numberFormats << (table.columns()[static_cast<std::size_t>(c)].type ==
                                        ColumnType::Currency
                                    ? QStringLiteral("#,##0.0000")
                                    : QString());
    }
    sheet.rows.push_back(std::move(header));
    for (int r = 0; r < table.size(); ++r) {
        std::vector<Cell> row;
        for (int c = 0; c < table.columnCount(); ++c) {
            const Value& value = table.value(r, c);
            if (value.isNull()) {
                row.push_back(Cell::empty());
                continue;
            }
            switch (table.columns()[static_cast<std::size_t>(c)].type) {
                case ColumnType::Text:
                    row.push_back(Cell::ofText(value.toText()));
                    break;
                case ColumnType::Int16:
                case ColumnType::Int32:
                    row.push_back(Cell::ofNumber(static_cast<double>(value.toInt())));
                    break;
                case ColumnType::Currency:
                    row.push_back(Cell::ofNumber(value.toMoney().toDouble()));
                    break;
                case ColumnType::Date:
                    row.push_back(Cell::ofDate(value.toDate()));
                    break;
            }
        }
        sheet.rows.push_back(std::move(row));
    }
    return sheet;
}

QString exportGrid(const MemoryTable& table, Prompter& prompter,
                   const std::function<QString(const QString& filter)>& choosePath,
                   const std::function<bool(const QString& path)>& open) {
    if (table.size() > kMaxExportRows) {
        showTitleless(prompter,
                      QStringLiteral("Não é possivel exportar para excel grelhas com mais de "
                                     "65534 linhas!"),
                      PromptIcon::Information);
        return {};
    }
    QString path =
        choosePath(QStringLiteral("Ficheiros de excel (*.xls);;Ficheiros de excel 2007 (*.xlsx)"));
    if (path.isEmpty())
        return {};
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QStringLiteral("xls") && suffix != QStringLiteral("xlsx"))
        path += QStringLiteral(".xls");
    try {
        writeWorkbook(path, {sheetFromTable(table, QStringLiteral("Folha1"))},
                      workbookFormatFor(path));
    } catch (const WorkbookError& error) {
        showTitleless(prompter,
                      QStringLiteral("Não foi possivel executar a exportação para Excel !\r\n"
                                     "Erro: %1\r\n%2")
                          .arg(error.number())
                          .arg(error.message()),
                      PromptIcon::Error);
        return {};
    }
    if (open && !open(path)) {
        showTitleless(
            prompter,
            QStringLiteral("O ficheiro %1 foi gravado, mas não foi possível abri-lo.").arg(path),
            PromptIcon::Information);
    }
    return path;
}

}  // namespace agrimor
