#include "workbook/xls_process.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <thread>

#include "tests/support/test_databases.h"
#include "workbook/workbook_writer.h"

namespace agrimor {

using namespace Qt::StringLiterals;
namespace {

using namespace std::chrono_literals;

class CountingSink : public SheetSink {
public:
    void begin(int) override {}
    void row(int, std::span<const Cell>) override { ++rows; }
    int rows = 0;
};

class XlsProcessTest : public ::testing::Test {
protected:
    QString writeBook(int rows = 1) {
        SheetData sheet{u"S"_s, {{Cell::ofText(u"h"_s)}}, {}};
        for (int i = 0; i < rows; ++i)
            sheet.rows.push_back({Cell::ofNumber(i)});
        const QString path = folder_.file(u"book.xls"_s);
        writeWorkbook(path, {sheet}, WorkbookFormat::Xls);
        return path;
    }
    // A stand-in for the reader executable: a shell script.
    OpenOptions fakeReader(const QByteArray& script, std::chrono::milliseconds limit = 10s) {
        const QString path = folder_.file(u"reader-%1.sh"_s.arg(++scripts_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        OpenOptions options;
        options.xlsReader = path;
        options.timeLimit = limit;
        return options;
    }
    static ReadOutcome outcomeOf(const QString& path, const OpenOptions& options,
                                 QString* message = nullptr) {
        try {
            Workbook::open(path, options);
        } catch (const XlsReadError& error) {
            if (message)
                *message = error.message();
            return error.outcome();
        }
        return ReadOutcome::Read;
    }

    test::TempFolder folder_;
    int scripts_ = 0;
};

// Files that crashed the libraries of other readers when they parsed them in this process. Ours
// reads the first (a date cell holds a tiny number; the sheet readers refuse it) and refuses
// the others; none may end the program.
TEST_F(XlsProcessTest, damaged_files_are_read_or_refused_and_the_program_goes_on) {
    const QDir data(QStringLiteral(AGRIMOR_WORKBOOK_TEST_DATA));
    const QStringList files = data.entryList(QDir::Files);
    ASSERT_GE(files.size(), 3);
    int refused = 0;
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QString path = data.filePath(file);
        try {
            const auto book = Workbook::open(path);
            for (const QString& sheet : book->sheetNames()) {
                CountingSink sink;
                book->readSheet(sheet, sink);
            }
        } catch (const WorkbookError& error) {
            ++refused;
            EXPECT_EQ(error.number(), WorkbookError::kUnreadable);
            EXPECT_TRUE(error.message().contains(path)) << error.what();
        }
    }
    EXPECT_EQ(refused, files.size() - 1);
    CountingSink sink;
    Workbook::open(writeBook())->readSheet(u"S"_s, sink);
    EXPECT_EQ(sink.rows, 1);
}

TEST_F(XlsProcessTest, a_reader_that_dies_fails_or_answers_garbage_gives_the_damaged_file_error) {
    const QString path = writeBook();
    const struct {
        const char* what;
        QByteArray script;
        ReadOutcome outcome;
    } cases[] = {
        {"signal", "kill -SEGV $$", ReadOutcome::Crashed},
        {"exit code", "exit 1", ReadOutcome::Failed},
        {"garbage", "printf 'W\\000\\002\\002S'", ReadOutcome::Malformed},
        {"nothing", "exit 0", ReadOutcome::Malformed},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        QString message;
        EXPECT_EQ(outcomeOf(path, fakeReader(test.script), &message), test.outcome);
        EXPECT_EQ(message,
                  u"O ficheiro não é um livro Excel válido ou está danificado: %1"_s.arg(path));
    }
    QString message;
    OpenOptions missing;
    missing.xlsReader = folder_.file(u"não-existe"_s);
    EXPECT_EQ(outcomeOf(path, missing, &message), ReadOutcome::Failed);
    EXPECT_TRUE(message.contains(u"não pôde ser iniciado"_s)) << message.toStdString();
    EXPECT_EQ(Workbook::open(path)->sheetNames(), QStringList{u"S"_s});
}

TEST_F(XlsProcessTest, a_reader_that_hangs_is_stopped_at_the_time_limit) {
    const QString path = writeBook();
    QElapsedTimer clock;
    clock.start();
    QString message;
    EXPECT_EQ(outcomeOf(path, fakeReader("exec sleep 30", 300ms), &message), ReadOutcome::TimedOut);
    EXPECT_TRUE(message.contains(u"interrompida"_s)) << message.toStdString();
    EXPECT_TRUE(message.contains(path));
    // Output and then silence counts too.
    EXPECT_EQ(outcomeOf(path, fakeReader("printf 'W'; exec sleep 30", 300ms)),
              ReadOutcome::TimedOut);
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(XlsProcessTest, what_the_reader_refuses_arrives_with_its_own_message) {
    // A compound document header and nothing after it.
    const QString path = folder_.file(u"vazio.xls"_s);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0'));
    file.close();
    QString message;
    EXPECT_EQ(outcomeOf(path, {}, &message), ReadOutcome::Refused);
    EXPECT_TRUE(message.startsWith(u"Não foi possível ler o livro de Excel"_s))
        << message.toStdString();
}

// The time limit is the reader's: a sink that takes its time does not use it up.
TEST_F(XlsProcessTest, only_the_time_spent_waiting_for_the_reader_counts) {
    const QString path = writeBook(5);
    OpenOptions options;
    options.timeLimit = 400ms;
    class SlowSink : public CountingSink {
    public:
        void row(int sheetRow, std::span<const Cell> cells) override {
            std::this_thread::sleep_for(150ms);
            CountingSink::row(sheetRow, cells);
        }
    } sink;
    Workbook::open(path, options)->readSheet(u"S"_s, sink);
    EXPECT_EQ(sink.rows, 5);
}

// A sink that refuses a row stops the read with its own error; the reader process is stopped.
TEST_F(XlsProcessTest, a_sink_error_reaches_the_caller_as_it_was_thrown) {
    const QString path = writeBook(3);
    class RefusingSink : public CountingSink {
    public:
        void row(int sheetRow, std::span<const Cell>) override {
            throw WorkbookError(WorkbookError::kTypeMismatch, u"linha %1 recusada"_s.arg(sheetRow));
        }
    } sink;
    try {
        Workbook::open(path)->readSheet(u"S"_s, sink);
        ADD_FAILURE();
    } catch (const XlsReadError&) {
        ADD_FAILURE() << "the sink's error was taken for the reader's";
    } catch (const WorkbookError& error) {
        EXPECT_EQ(error.number(), WorkbookError::kTypeMismatch);
        EXPECT_EQ(error.message(), u"linha 2 recusada"_s);
    }
}

}  // namespace
}  // namespace agrimor
