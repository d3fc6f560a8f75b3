#include "core/company_job.h"

#include "core/error_text.h"
#include "core/message_box.h"
#include "data/data_access.h"
#include "data/db_error.h"

namespace agrimor {

QString reportCompanyFailure(Prompter& prompter, DataAccess* db, const QString& company,
                             const std::exception& error) {
    const QString text = errorText(error);
    try {
        if (db != nullptr && db->isConnected() && db->inTransaction())
            db->rollback();
    } catch (const DbError&) {
        // The rollback's own failure adds nothing the user can act on.
    }
    inform(prompter, QStringLiteral("Empresa: ") + company + QStringLiteral("\n\rErro: ") + text);
    return text;
}

}  // namespace agrimor
