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

using namespace Qt::StringLiterals;
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
        arguments << u"--data-folder"_s << folder.path();
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
                               u"MovCTB"_s, QLatin1String(where));
    }

    test::TempFolder folder;
};

TEST_F(ImportCommand, checks_refuses_anomalies_asks_and_imports_the_demo_movements) {
    const QString company = u"--company"_s;
    const std::int64_t before = movements("Mes = 12");
    EXPECT_EQ(before, 0);

    Outcome checked = run({book(demo::kMovementSample), company, u"1"_s, u"--check"_s});
    EXPECT_EQ(checked.code, 0) << checked.out.toStdString();
    EXPECT_TRUE(checked.out.startsWith(
        u"Empresa:  Velmor\nCheckUp efetuado com sucesso!\nDocumento  Linhas"_s))
        << checked.out.toStdString();
    EXPECT_TRUE(checked.out.contains(u"\nTotal "_s));

    const Outcome anomalies = run({book(demo::kAnomalySample), company, u"1"_s});
    EXPECT_EQ(anomalies.code, 2);
    EXPECT_TRUE(anomalies.out.endsWith(u"Deve corrigir o excel de importação!\n"_s));

    const Outcome refused = run({book(demo::kMovementSample), company, u"1"_s});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.out.contains(u"Pretende continuar? [Cancelar]"_s));
    EXPECT_EQ(movements("Mes = 12"), 0);

    const Outcome imported = run({book(demo::kMovementSample), company, u"1"_s, u"--sheet"_s,
                                  demo::kMovementSample, u"--yes"_s});
    EXPECT_EQ(imported.code, 0) << imported.out.toStdString();
    EXPECT_TRUE(imported.out.contains(u"Pretende continuar? [OK]\nTarefa Terminada!"_s));
    const auto lines = demo::movementSampleSheet({}).rows.size() - 1;  // without the header
    EXPECT_EQ(movements("Mes = 12 AND Origem = 9"), static_cast<std::int64_t>(lines));
}

TEST_F(ImportCommand, refuses_wrong_arguments_and_a_company_without_parameters) {
    EXPECT_EQ(run({book(demo::kMovementSample)}).code, 1);
    const Outcome wrongCompany = run({book(demo::kMovementSample), u"--company"_s, u"7"_s});
    EXPECT_EQ(wrongCompany.code, 1);
    EXPECT_TRUE(wrongCompany.err.contains(u"empresa inválida: 7"_s));

    demo::openDatabase(folder.file(demo::consolidatedFileName()))
        ->execute(u"DELETE FROM zeb_CNS_Parametros WHERE BD = 3"_s);
    const Outcome noParameters = run({book(demo::kMovementSample), u"--company"_s, u"3"_s});
    EXPECT_EQ(noParameters.code, 1);
    EXPECT_EQ(noParameters.out, u"Faltam os parâmetros de ligação à Empresa Velmor Mediação!\n"_s);

    const Outcome noSheet = run({folder.file(u"nada.xlsx"_s), u"--company"_s, u"1"_s});
    EXPECT_EQ(noSheet.code, 1);
}

}  // namespace
}  // namespace agrimor
