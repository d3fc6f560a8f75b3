#include "workbook/workbook_error.h"

namespace agrimor {

QString unreadableWorkbookText(const QString& path, const QString& why) {
    return QStringLiteral("Não foi possível ler o livro de Excel %1: %2").arg(path, why);
}

void checkSheetIndex(int index, std::size_t sheetCount) {
    if (index < 0 || static_cast<std::size_t>(index) >= sheetCount)
        throw WorkbookError(WorkbookError::kUnreadable,
                            QStringLiteral("A folha %1 não existe no livro.").arg(index + 1));
}

}  // namespace agrimor
