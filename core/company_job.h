#pragma once

#include <QString>
#include <exception>
#include <optional>

namespace agrimor {

class DataAccess;
class Prompter;

// The one way a job reports its failure for a company: rolls back `db` when it is connected and
// left inside a transaction (the caller's Transaction guards have rolled back theirs by then; the
// rollback's own failure adds nothing the user could act on and is dropped), then shows
// "Empresa: <company>\n\rErro: <the error's text>". Returns that text.
QString reportCompanyFailure(Prompter& prompter, DataAccess* db, const QString& company,
                             const std::exception& error);

// Runs `work`, a job's work for one company, on `db` (null when none is open). A failure is
// reported as above and returned as its text; nothing when the work succeeded.
template <typename Work>
std::optional<QString> runForCompany(Prompter& prompter, DataAccess* db, const QString& company,
                                     Work&& work) {
    try {
        work();
        return std::nullopt;
    } catch (const std::exception& error) {
        return reportCompanyFailure(prompter, db, company, error);
    }
}

}  // namespace agrimor
