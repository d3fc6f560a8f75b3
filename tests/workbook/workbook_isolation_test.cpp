#include "workbook/workbook_isolation.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <csignal>

#include "tests/support/test_databases.h"
#include "workbook/workbook_writer.h"

namespace agrimor {
namespace {

using namespace std::chrono_literals;
namespace isolation = workbook_isolation;

class CountingSink : public SheetSink {
public:
    void begin(int) override {}
    void row(int, std::span<const Cell>) override { ++rows; }
    int rows = 0;
};

// Puts the open() settings back after each test.
class WorkbookIsolationTest : public ::testing::Test {
protected:
    ~WorkbookIsolationTest() override { isolation::settings() = saved_; }

    QString writeBook() {
        const QString path = folder_.file(QStringLiteral("book.xlsx"));
        writeWorkbook(path,
                      {SheetData{QStringLiteral("S"),
                                 {{Cell::ofText(QStringLiteral("h"))}, {Cell::ofNumber(1)}},
                                 {}}},
                      WorkbookFormat::Xlsx);
        return path;
    }

private:
    isolation::Settings saved_ = isolation::settings();
    test::TempFolder folder_;
};

// Files that crash or abort the libraries when they parse them in this process.
TEST_F(WorkbookIsolationTest, files_that_crash_the_libraries_are_refused_and_the_program_goes_on) {
    const QDir data(QStringLiteral(AGRIMOR_WORKBOOK_TEST_DATA));
    const QStringList files = data.entryList(QDir::Files);
    ASSERT_GE(files.size(), 3);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QString path = data.filePath(file);
        try {
            const auto book = Workbook::open(path);
            for (const QString& sheet : book->sheetNames()) {
                CountingSink sink;
                book->readSheet(sheet, sink);
            }
            ADD_FAILURE() << "a damaged workbook was read";
        } catch (const WorkbookError& error) {
            EXPECT_EQ(error.number(), WorkbookError::kUnreadable);
            EXPECT_TRUE(error.message().contains(path));
        }
    }
    // The same process still reads a sound workbook.
    CountingSink sink;
    Workbook::open(writeBook())->readSheet(QStringLiteral("S"), sink);
    EXPECT_EQ(sink.rows, 1);
}

TEST_F(WorkbookIsolationTest, a_child_that_hangs_is_stopped_at_the_time_limit) {
    const QString path = writeBook();
    isolation::settings().timeLimit = 300ms;
    isolation::settings().inChild = [](int) {
        for (;;)
            pause();
    };
    QElapsedTimer clock;
    clock.start();
    try {
        Workbook::open(path);
        ADD_FAILURE() << "a hanging read returned";
    } catch (const WorkbookError& error) {
        EXPECT_EQ(error.number(), WorkbookError::kUnreadable);
        EXPECT_TRUE(error.message().contains(QStringLiteral("interrompida"))) << error.what();
        EXPECT_TRUE(error.message().contains(path));
    }
    EXPECT_EQ(isolation::lastOutcome(), isolation::Outcome::TimedOut);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(WorkbookIsolationTest,
       a_child_that_dies_fails_or_sends_garbage_gives_the_damaged_file_error) {
    const QString path = writeBook();
    const struct {
        const char* what;
        std::function<void(int)> hook;
        isolation::Outcome outcome;
    } cases[] = {
        {"signal", [](int) { std::raise(SIGSEGV); }, isolation::Outcome::Crashed},
        {"exit code", [](int) { _exit(1); }, isolation::Outcome::Failed},
        {"garbage",
         [](int output) {
             const char bytes[] = "N\x02\x02S";
             _exit(write(output, bytes, sizeof bytes - 1) > 0 ? 0 : 1);
         },
         isolation::Outcome::Malformed},
        {"nothing", [](int) { _exit(0); }, isolation::Outcome::Malformed},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        isolation::settings().inChild = test.hook;
        try {
            Workbook::open(path);
            ADD_FAILURE() << "the workbook opened";
        } catch (const WorkbookError& error) {
            EXPECT_EQ(
                error.message(),
                QStringLiteral("O ficheiro não é um livro Excel válido ou está danificado: %1")
                    .arg(path));
        }
        EXPECT_EQ(isolation::lastOutcome(), test.outcome);
    }
    isolation::settings().inChild = nullptr;
    EXPECT_EQ(Workbook::open(path)->sheetNames(), QStringList{QStringLiteral("S")});
    EXPECT_EQ(isolation::lastOutcome(), isolation::Outcome::Read);
}

TEST_F(WorkbookIsolationTest, what_the_reader_refuses_arrives_with_its_own_message) {
    // An OLE2 compound document header and nothing after it: the .xls reader's own refusal
    // reaches the caller as it was raised in the child.
    const QString path = writeBook() + QStringLiteral(".xls");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0'));
    file.close();
    try {
        Workbook::open(path);
        ADD_FAILURE();
    } catch (const WorkbookError& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Não foi possível ler")))
            << error.what();
    }
    EXPECT_EQ(isolation::lastOutcome(), isolation::Outcome::Refused);
}

}  // namespace
}  // namespace agrimor
