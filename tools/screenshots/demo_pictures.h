#pragma once

#include <QString>
#include <QTemporaryDir>

#include "data/data_access.h"

namespace agrimor::screenshots {

// What the programs that take pictures of the screens for the documentation share: the folder
// named on their command line, and the demo seeded into a temporary folder with its consolidated
// database open.
class DemoPictures {
public:
    // Prints "Utilização: PROGRAM PASTA" and seeds nothing when the command line does not name
    // one folder; ready() then says false.
    DemoPictures(int argc, char** argv, const char* program);

    bool ready() const { return !output_.isEmpty(); }

    QString demoFolder() const { return demo_.path(); }
    DataAccess& consolidated() { return db_; }
    // Where the picture `name` goes.
    QString picture(const QString& name) const { return output_ + QLatin1Char('/') + name; }

private:
    QString output_;
    QTemporaryDir demo_;
    DataAccess db_;
};

}  // namespace agrimor::screenshots
