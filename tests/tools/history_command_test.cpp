// agrimor-batch historico and anular-importacao on the demo, after `importar`: the list with its
// filters, the undo asked, refused without --yes, done with it, and refused a second time.

#include "tools/batch/history_command.h"

#include <gtest/gtest.h>

#include "tests/support/qstring_printer.h"
#include "tests/support/test_databases.h"
#include "tools/batch/import_command.h"
#include "tools/seeder/demo_seeder.h"
#include "tools/seeder/sample_workbooks.h"

namespace agrimor {
namespace {

QString readAll(std::FILE* file) {
    std::rewind(file);
    QByteArray bytes;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        bytes.append(buffer, static_cast<qsizetype>(n));
    std::fclose(file);
    return QString::fromUtf8(bytes);
}

class HistoryCommand : public ::testing::Test {
protected:
    HistoryCommand() { demo::seedDemo(folder.path()); }

    using Command = int (*)(const QStringList&, const QString&, std::FILE*, std::FILE*);
    std::pair<int, QString> run(Command command, QStringList arguments) {
        arguments << QStringLiteral("--data-folder") << folder.path();
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const int code = command(arguments, folder.path(), out, err);
        return {code, readAll(out) + readAll(err)};
    }

    test::TempFolder folder;
};

TEST_F(HistoryCommand, lists_the_import_and_undoes_it_once) {
    const QString book =
        folder.file(demo::sampleFileName(demo::kMovementSample, WorkbookFormat::Xlsx));
    ASSERT_EQ(run(runImportCommand,
                  {book, QStringLiteral("--company"), QStringLiteral("1"), QStringLiteral("--yes")})
                  .first,
              0);

    const auto [listed, text] =
        run(runHistoryCommand, {QStringLiteral("--company"), QStringLiteral("1"),
                                QStringLiteral("--job"), QStringLiteral("importacao")});
    EXPECT_EQ(listed, 0);
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << text.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Id\tTarefa\tEmpresa\tAno\tMes\tUtilizador\tPosto\tInicio\t"
                                       "Fim\tResultado\tLinhas\tTpDoc\tSerie\tPrimeiroDoc\t"
                                       "UltimoDoc\tDebito\tCredito\tFicheiro\tAnulado"));
    const QStringList run1 = lines[1].split(u'\t');
    ASSERT_EQ(run1.size(), 19);
    EXPECT_EQ(run1[1], QStringLiteral("importacao"));
    EXPECT_EQ(run1[2], QStringLiteral("1"));
    EXPECT_EQ(run1[9], QStringLiteral("efetuado"));
    EXPECT_EQ(run1[15], run1[16]);  // a balanced import
    EXPECT_EQ(run1[17], book);
    EXPECT_TRUE(run1[18].isEmpty());
    // TpDoc, Serie, PrimeiroDoc and UltimoDoc list the range of each type, in the same order: all
    // of the documents it wrote (December's).
    ASSERT_TRUE(run1[11].contains(u','));  // the demo's workbook holds several types
    const QStringList firsts = run1[13].split(u','), lasts = run1[14].split(u',');
    std::int64_t documents = 0;
    for (qsizetype i = 0; i < firsts.size(); ++i)
        documents += lasts.value(i).toLongLong() - firsts[i].toLongLong() + 1;
    EXPECT_EQ(
        documents,
        test::countRows(*demo::openDatabase(folder.file(demo::companies().front().file)),
                        QStringLiteral("MovCTB"), QStringLiteral("Mes = 12 AND NumLinha = 1")));
    // Filters that leave it out.
    EXPECT_EQ(run(runHistoryCommand, {QStringLiteral("--company"), QStringLiteral("2")}).second,
              lines[0] + u'\n');
    EXPECT_EQ(run(runHistoryCommand, {QStringLiteral("--job"), QStringLiteral("x")}).first, 1);

    EXPECT_EQ(run(runUndoImportCommand, {run1[0]}).first, 1);  // the question is answered Cancel
    const auto [undone, said] = run(runUndoImportCommand, {run1[0], QStringLiteral("--yes")});
    EXPECT_EQ(undone, 0) << said.toStdString();
    EXPECT_EQ(test::countRows(*demo::openDatabase(folder.file(demo::companies().front().file)),
                              QStringLiteral("MovCTB"), QStringLiteral("Mes = 12")),
              0);
    const auto [again, refusal] = run(runUndoImportCommand, {run1[0], QStringLiteral("--yes")});
    EXPECT_EQ(again, 1);
    EXPECT_TRUE(refusal.contains(QString::fromUtf8("já foi anulada em"))) << refusal.toStdString();
    const QString after = run(runHistoryCommand, {}).second;
    EXPECT_FALSE(after.split(u'\n').at(1).split(u'\t').last().isEmpty()) << after.toStdString();
}

}  // namespace
}  // namespace agrimor
