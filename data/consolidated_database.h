#pragma once

#include <QString>
#include <memory>
#include <stdexcept>

#include "data/data_access.h"
#include "data/data_folder.h"

namespace agrimor {

// Start-up could not reach a usable consolidated database. The message names the file or server
// and says what failed, as the user is to read it.
class StartupError : public std::runtime_error {
public:
    explicit StartupError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// Reads the configuration (with its fallback), connects the shared data-access object to the
// consolidated database and brings the program's own tables up to date. Used by the program and
// by the batch command alike.
std::unique_ptr<DataAccess> openConsolidatedDatabase(const StartupFiles& files);

}  // namespace agrimor
