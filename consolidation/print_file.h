#pragma once

#include <QString>
#include <QStringList>

namespace agrimor {

// How a text file is handed to the system's print service: the CUPS client by default, which
// queues the file on the default printer without showing anything.
struct PrintCommand {
    QString program = QStringLiteral("lp");
    QStringList arguments;  // put before the file name
    int timeoutMs = 30000;
};

struct PrintOutcome {
    bool accepted = false;
    QString reason;  // why not, in the print service's own words when it gave any
};

// Sends `file` to the print service. Not accepted when the command can not be run (no print
// service installed) or refuses the request (no printer, service not running).
PrintOutcome printTextFile(const QString& file, const PrintCommand& command = {});

}  // namespace agrimor
