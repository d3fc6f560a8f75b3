#include "tools/screenshots/demo_pictures.h"

#include <QDir>
#include <cstdio>

#include "tools/seeder/demo_seeder.h"

namespace agrimor::screenshots {

DemoPictures::DemoPictures(int argc, char** argv, const char* program) {
    if (argc != 2) {
        std::fprintf(stderr, "Utilização: %s PASTA\n", program);
        return;
    }
    output_ = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    demo::seedDemo(demo_.path());
    ConnectionSettings settings;
    settings.server = QStringLiteral("sqlite");
    settings.database = demo::consolidatedFileName();
    settings.dataFolder = demo_.path();
    settings.user = QStringLiteral("demo");
    db_.connect(settings);
}

}  // namespace agrimor::screenshots
