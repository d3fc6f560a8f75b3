#include "workbook/workbook_error.h"

namespace agrimor {

QString unreadableWorkbookText(const QString& path, const QString& why) {
    return QStringLiteral("Não foi possível ler o livro de Excel %1: %2").arg(path, why);
}

}  // namespace agrimor
