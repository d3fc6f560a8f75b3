// agrimor-batch importar on the demo: the check alone, a sheet with anomalies, a refused and an
// accepted confirmation, and the arguments it refuses.

#include "tools/batch/import_command.h"

#include <gtest/gtest.h>

#include <QFile>

#include "data/data_access.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/test_databases.h"
#include "tools/seeder/demo_seeder.h"
#include "tools/seeder/sample_workbooks.h"

namespace agrimor {
namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

QString readAll(std::FILE* file) {
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        bytes.append(buffer, static_cast<qsizetype>(n));
    std::fclose(file);
    return QString::fromUtf8(bytes);
}

class ImportCommand : public ::testing::Test {
protected:
    ImportCommand() { demo::seedDemo(folder.path()); }

    Outcome run(QStringList arguments) {
        arguments << QStringLiteral("--data-folder") << folder.path();
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        Outcome outcome;
        outcome.code = runImportCommand(arguments, folder.path(), out, err);
        outcome.out = readAll(out);
        outcome.err = readAll(err);
        return outcome;
    }
    QString book(const QString& base) const {
        return folder.file(demo::sampleFileName(base, WorkbookFormat::Xlsx));
    }
    std::int64_t movements(const char* where) {
        return test::countRows(*demo::openDatabase(folder.file(demo::companies().front().file)),
                               QStringLiteral("MovCTB"), QLatin1String(where));
    }

    test::TempFolder folder;
};

TEST_F(ImportCommand, checks_refuses_anomalies_asks_and_imports_the_demo_movements) {
    const QString company = QStringLiteral("--company");
    const std::int64_t before = movements("Mes = 12");
    EXPECT_EQ(before, 0);

    Outcome checked =
        run({book(demo::kMovementSample), company, QStringLiteral("1"), QStringLiteral("--check")});
    EXPECT_EQ(checked.code, 0) << checked.out.toStdString();
    EXPECT_TRUE(checked.out.startsWith(
        QStringLiteral("Empresa:  Velmor\nCheckUp efetuado com sucesso!\nDocumento  Linhas")))
        << checked.out.toStdString();
    EXPECT_TRUE(checked.out.contains(QStringLiteral("\nTotal ")));

    const Outcome anomalies = run({book(demo::kAnomalySample), company, QStringLiteral("1")});
    EXPECT_EQ(anomalies.code, 2);
    EXPECT_TRUE(
        anomalies.out.endsWith(QString::fromUtf8("Deve corrigir o excel de importação!\n")));

    const Outcome refused = run({book(demo::kMovementSample), company, QStringLiteral("1")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.out.contains(QStringLiteral("Pretende continuar? [Cancelar]")));
    EXPECT_EQ(movements("Mes = 12"), 0);

    const Outcome imported =
        run({book(demo::kMovementSample), company, QStringLiteral("1"), QStringLiteral("--sheet"),
             demo::kMovementSample, QStringLiteral("--yes")});
    EXPECT_EQ(imported.code, 0) << imported.out.toStdString();
    EXPECT_TRUE(
        imported.out.contains(QStringLiteral("Pretende continuar? [OK]\nTarefa Terminada!")));
    const auto lines = demo::movementSampleSheet({}).rows.size() - 1;  // without the header
    EXPECT_EQ(movements("Mes = 12 AND Origem = 9"), static_cast<std::int64_t>(lines));
}

TEST_F(ImportCommand, refuses_wrong_arguments_and_a_company_without_parameters) {
    EXPECT_EQ(run({book(demo::kMovementSample)}).code, 1);
    const Outcome wrongCompany =
        run({book(demo::kMovementSample), QStringLiteral("--company"), QStringLiteral("7")});
    EXPECT_EQ(wrongCompany.code, 1);
    EXPECT_TRUE(wrongCompany.err.contains(QString::fromUtf8("empresa inválida: 7")));

    demo::openDatabase(folder.file(demo::consolidatedFileName()))
        ->execute(QStringLiteral("DELETE FROM zeb_CNS_Parametros WHERE BD = 3"));
    const Outcome noParameters =
        run({book(demo::kMovementSample), QStringLiteral("--company"), QStringLiteral("3")});
    EXPECT_EQ(noParameters.code, 1);
    EXPECT_EQ(noParameters.out,
              QString::fromUtf8("Faltam os parâmetros de ligação à Empresa Velmor Mediação!\n"));

    const Outcome noSheet = run({folder.file(QStringLiteral("nada.xlsx")),
                                 QStringLiteral("--company"), QStringLiteral("1")});
    EXPECT_EQ(noSheet.code, 1);
}

}  // namespace
}  // namespace agrimor
