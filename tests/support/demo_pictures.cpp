#include "tests/support/demo_pictures.h"

#include <QDir>
#include <cstdio>

#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"

namespace agrimor::test {

DemoPictures::DemoPictures(int argc, char** argv, const char* program) {
    if (argc != 2) {
        std::fprintf(stderr, "Utilização: %s PASTA\n", program);
        return;
    }
    output_ = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    demo::seedDemo(demo_.path());
    db_.connect(settingsFor(EngineKind::Sqlite, demo_.path(), demo::consolidatedFileName()));
}

}  // namespace agrimor::test
