// agrimor-seed <folder> [--size N] [--force] [--threads N]
// Builds the embedded demo in <folder>; see demo_seeder.h for what it holds.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>
#include <exception>

#include "data/db_error.h"
#include "tools/seeder/demo_seeder.h"

namespace {

void print(FILE* stream, const QString& message) {
    std::fputs(message.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int usage() {
    print(stderr,
          QStringLiteral(
              "Utilização: agrimor-seed <pasta> [--size N] [--force] [--threads N]\n"
              "  --size N     linhas de movimentos por empresa (aproximado; por omissão %1)\n"
              "  --force      substitui os ficheiros que já existam na pasta\n"
              "  --threads N  empresas geradas em simultâneo (por omissão %2)")
              .arg(agrimor::demo::SeedOptions{}.movementLines)
              .arg(agrimor::demo::SeedOptions{}.threads));
    return 2;
}

bool readCount(const QStringList& arguments, qsizetype& i, int minimum, int& value) {
    if (i + 1 >= arguments.size())
        return false;
    bool ok = false;
    value = arguments.at(++i).toInt(&ok);
    return ok && value >= minimum;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    agrimor::demo::SeedOptions options;
    QString folder;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--force")) {
            options.force = true;
        } else if (argument == QLatin1String("--size")) {
            if (!readCount(arguments, i, 0, options.movementLines))
                return usage();
        } else if (argument == QLatin1String("--threads")) {
            if (!readCount(arguments, i, 1, options.threads))
                return usage();
        } else if (argument.startsWith(QLatin1String("--")) || !folder.isEmpty()) {
            return usage();
        } else {
            folder = argument;
        }
    }
    if (folder.isEmpty())
        return usage();

    QElapsedTimer timer;
    timer.start();
    try {
        const agrimor::demo::SeedSummary summary = agrimor::demo::seedDemo(folder, options);
        const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
        print(stdout, QStringLiteral("Demonstração criada em %1")
                          .arg(QDir::toNativeSeparators(QDir(folder).absolutePath())));
        for (const agrimor::demo::CompanySummary& company : summary.companies) {
            const auto& info = agrimor::demo::companies().at(company.bd - 1);
            print(stdout, QStringLiteral("  %1 (%2, %3): %4 documentos, %5 linhas")
                              .arg(info.name, info.file, info.currency)
                              .arg(company.documents)
                              .arg(company.lines));
        }
        print(stdout, QStringLiteral("Total: %1 documentos, %2 linhas em %3 s (%4 linhas/s)")
                          .arg(summary.documents())
                          .arg(summary.lines())
                          .arg(seconds, 0, 'f', 2)
                          .arg(seconds > 0 ? static_cast<double>(summary.lines()) / seconds : 0.0,
                               0, 'f', 0));
        return 0;
    } catch (const agrimor::DbError& error) {
        print(stderr, QStringLiteral("Erro na base de dados: ") + error.message());
    } catch (const agrimor::demo::ExistingFileError& error) {
        print(stderr, error.message() + QStringLiteral(" (use --force para o substituir)"));
    } catch (const std::exception& error) {
        print(stderr, QString::fromUtf8(error.what()));
    }
    return 1;
}
