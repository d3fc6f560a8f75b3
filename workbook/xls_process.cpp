#include "workbook/xls_process.h"

#include "data/program_files.h"
#include "workbook/reader_process.h"
#include "workbook/record_codec.h"

namespace agrimor {

namespace {

QString damagedText(const QString& path) {
    return QStringLiteral("O ficheiro não é um livro Excel válido ou está danificado: %1")
        .arg(path);
}

// Runs the reader process with `arguments` and decodes its answer with `reader`; throws
// XlsReadError unless it was read whole.
void runReader(const QString& path, const OpenOptions& options, const QStringList& arguments,
               record_codec::Reader& reader) {
    ProcessEnd end;
    try {
        end = runReaderProcess(
            xlsReaderProgram(options), arguments + QStringList{path}, options.timeLimit,
            [&reader](const char* data, std::size_t size) { reader.feed(data, size); });
        if (end.kind == ProcessEnd::Kind::Exited && end.code == 0)
            reader.finish();
    } catch (const record_codec::Malformed&) {
        throw XlsReadError(ReadOutcome::Malformed, WorkbookError::kUnreadable, damagedText(path));
    } catch (const ProcessStartError& error) {
        throw XlsReadError(ReadOutcome::Failed, WorkbookError::kUnreadable, error.message);
    }
    switch (end.kind) {
        case ProcessEnd::Kind::TimedOut:
            throw XlsReadError(
                ReadOutcome::TimedOut, WorkbookError::kUnreadable,
                QStringLiteral("A leitura do livro de Excel foi interrompida ao fim de %1 s; o "
                               "ficheiro pode estar danificado: %2")
                    .arg(static_cast<double>(options.timeLimit.count()) / 1000.0)
                    .arg(path));
        case ProcessEnd::Kind::Signalled:
            throw XlsReadError(ReadOutcome::Crashed, WorkbookError::kUnreadable, damagedText(path));
        case ProcessEnd::Kind::Exited:
            if (end.code != 0)
                throw XlsReadError(ReadOutcome::Failed, WorkbookError::kUnreadable,
                                   damagedText(path));
            break;
    }
    if (reader.refusal()) {
        throw XlsReadError(ReadOutcome::Refused, reader.refusal()->first, reader.refusal()->second);
    }
}

class ProcessWorkbook : public Workbook {
public:
    ProcessWorkbook(const QString& path, const OpenOptions& options)
        : path_(path), options_(options) {
        record_codec::Reader list;
        runReader(path_, options_, {QStringLiteral("--list")}, list);
        sheets_ = list.sheets();
        dateSystem_ = list.dateSystem();
    }

    std::vector<SheetInfo> sheets() const override { return sheets_; }
    DateSystem dateSystem() const override { return dateSystem_; }

    void readCells(int index, CellRowSink& sink) const override {
        checkSheetIndex(index, sheets_.size());
        record_codec::Reader rows(sink);
        runReader(path_, options_, {QStringLiteral("--sheet"), QString::number(index)}, rows);
    }

private:
    QString path_;
    OpenOptions options_;
    std::vector<SheetInfo> sheets_;
    DateSystem dateSystem_ = DateSystem::From1900;
};

}  // namespace

QString xlsReaderProgram(const OpenOptions& options) {
    if (!options.xlsReader.isEmpty())
        return options.xlsReader;
    const QByteArray fromEnvironment = qgetenv("AGRIMOR_XLS_READER");
    if (!fromEnvironment.isEmpty())
        return QString::fromLocal8Bit(fromEnvironment);
    return programFile(QStringLiteral("agrimor-xls-reader"));
}

std::unique_ptr<Workbook> openXlsInReaderProcess(const QString& path, const OpenOptions& options) {
    return std::make_unique<ProcessWorkbook>(path, options);
}

}  // namespace agrimor
