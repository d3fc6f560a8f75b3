#include "movimport/import_writer.h"

#include <QHash>
#include <QLocale>
#include <array>
#include <limits>
#include <optional>

#include "core/null_safe.h"
#include "data/data_access.h"
#include "data/day_month_year.h"
#include "ledger/code_tables.h"
#include "ledger/movement_line.h"
#include "movimport/import_error.h"
#include "movimport/import_tables.h"

namespace agrimor {

namespace {

using Lines = ImportLinesTable;

constexpr int kProgressStep = 512;

// "01" to "12".
const QString& monthText(int month) {
    static const std::array<QString, 13> texts = [] {
        std::array<QString, 13> made;
        for (int m = 1; m <= 12; ++m)
            made[static_cast<std::size_t>(m)] =
                QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'));
        return made;
    }();
    return texts[static_cast<std::size_t>(month)];
}

// "00000", MvDes off class 9.
const QString& zeros() {
    static const QString text = QStringLiteral("00000");
    return text;
}

// What a MovCTB column is written from.
enum class Source {
    TpTerc,
    Conta,
    TpDoc,
    NumDoc,
    Serie,
    NumDiari,
    Diario,
    NumLinha,
    Ref,
    Terc,
    DataDoc,
    Ano,
    DbCr,
    Descr,
    Sector,
    Valor,
    RubOrc,
    CCustOrc,
    NCont,
    CodIva,
    CodFlu,
    Custeio,
    Operador,
    DtReal,
    LinCC,
    Versao,
    Origem,
    Ligado,
    Statac,
    Nat,
    ErroCtb,
    MnlAut,
    Mes,
    DataR,
    DataAl,
    Exercicio,
    SystemEntryDate,
    MvDes,
    CtResp,
    ValorBase,
};

std::optional<Source> sourceOf(const QString& column) {
    static const QHash<QString, Source> sources{
        {QStringLiteral("TPTERC"), Source::TpTerc},
        {QStringLiteral("CONTA"), Source::Conta},
        {QStringLiteral("TPDOC"), Source::TpDoc},
        {QStringLiteral("NUMDOC"), Source::NumDoc},
        {QStringLiteral("SERIE"), Source::Serie},
        {QStringLiteral("NUMDIARI"), Source::NumDiari},
        {QStringLiteral("DIARIO"), Source::Diario},
        {QStringLiteral("NUMLINHA"), Source::NumLinha},
        {QStringLiteral("REF"), Source::Ref},
        {QStringLiteral("TERC"), Source::Terc},
        {QStringLiteral("DATADOC"), Source::DataDoc},
        {QStringLiteral("ANO"), Source::Ano},
        {QStringLiteral("DBCR"), Source::DbCr},
        {QStringLiteral("DESCR"), Source::Descr},
        {QStringLiteral("SECTOR"), Source::Sector},
        {QStringLiteral("VALOR"), Source::Valor},
        {QStringLiteral("RUBORC"), Source::RubOrc},
        {QStringLiteral("CCUSTORC"), Source::CCustOrc},
        {QStringLiteral("NCONT"), Source::NCont},
        {QStringLiteral("CODIVA"), Source::CodIva},
        {QStringLiteral("CODFLU"), Source::CodFlu},
        {QStringLiteral("CUSTEIO"), Source::Custeio},
        {QStringLiteral("OPERADOR"), Source::Operador},
        {QStringLiteral("DTREAL"), Source::DtReal},
        {QStringLiteral("LINCC"), Source::LinCC},
        {QStringLiteral("VERSAO"), Source::Versao},
        {QStringLiteral("ORIGEM"), Source::Origem},
        {QStringLiteral("LIGADO"), Source::Ligado},
        {QStringLiteral("STATAC"), Source::Statac},
        {QStringLiteral("NAT"), Source::Nat},
        {QStringLiteral("ERROCTB"), Source::ErroCtb},
        {QStringLiteral("MNLAUT"), Source::MnlAut},
        {QStringLiteral("MES"), Source::Mes},
        {QStringLiteral("DATAR"), Source::DataR},
        {QStringLiteral("DATAAL"), Source::DataAl},
        {QStringLiteral("EXERCICIO"), Source::Exercicio},
        {QStringLiteral("SYSTEMENTRYDATE"), Source::SystemEntryDate},
        {QStringLiteral("MVDES"), Source::MvDes},
        {QStringLiteral("CTRESP"), Source::CtResp},
        {QStringLiteral("VALOR_BASE"), Source::ValorBase},
    };
    const auto found = sources.constFind(column.toUpper());
    if (found == sources.cend())
        return std::nullopt;
    return *found;
}

struct TargetColumn {
    int column;
    Source source;
};

// The role of a line in its document's VAT: 0 none, 1 a line of a VAT code, 2 the code's own VAT
// account.
constexpr int kNoVat = 0;
constexpr int kVatBase = 1;
constexpr int kVatAccount = 2;

class Writer {
public:
    Writer(DataAccess& company, const Lines& lines, const QDateTime& now)
        : company_(company),
          lines_(lines),
          today_(now.date()),
          entry_(naiveDateTime(
              now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()))) {}

    ImportWriteSummary run(const ImportProgress& progress) {
        const DocumentGroups documents = groupByDocument(lines_);
        const int count = documents.count();
        ImportWriteSummary summary;
        {
            std::vector<DocumentNumbering> numbering;
            numbering.reserve(static_cast<std::size_t>(count));
            for (int d = 0; d < count; ++d) {
                const int first = documents.lines(d).front();
                numbering.push_back({documentYear(text(first, Lines::DataDoc)),
                                     text(first, Lines::TpDoc), text(first, Lines::Serie),
                                     text(first, Lines::Diario)});
            }
            // The numerators first: from here on the transaction holds them.
            std::vector<ReservedNumbers> numbers;
            try {
                numbers = reserveNumbers(company_, numbering);
            } catch (const MissingNumeratorError& missing) {
                throw ImportError(missing.message());
            }
            // The summary is what the writing reads each document's numbers from.
            summary.documents.reserve(static_cast<std::size_t>(count));
            for (int d = 0; d < count; ++d) {
                const auto at = static_cast<std::size_t>(d);
                summary.documents.push_back({text(documents.lines(d).front(), Lines::Doc),
                                             std::move(numbering[at]), numbers[at], 0});
            }
        }
        readVatAccounts(documents, summary.documents);

        MovementWriter target(company_);
        std::vector<TargetColumn> columns;
        for (qsizetype c = 0; c < target.columns().size(); ++c) {
            if (target.role(static_cast<int>(c)) == MovementRole::Skip)
                continue;
            if (const auto source = sourceOf(target.columns().at(c).name))
                columns.push_back({static_cast<int>(c), *source});
        }

        const int total = lines_.size();
        int done = 0;
        for (int d = 0; d < count; ++d) {
            WrittenDocument& written = summary.documents[static_cast<std::size_t>(d)];
            int lineNumber = 0;
            int lastGeneralLine = 0;  // none yet in this document
            for (const int row : documents.lines(d)) {
                if (progress && ++done % kProgressStep == 0)
                    progress(done, total);
                const QString conta = text(row, Lines::Conta);
                if (conta.isEmpty())
                    continue;
                if (lineNumber == std::numeric_limits<std::int16_t>::max())
                    throw ImportError(QString::fromUtf8("O documento %1 excede o número máximo de "
                                                        "linhas")
                                          .arg(written.key));
                ++lineNumber;
                if (conta.at(0) < QLatin1Char('9'))
                    lastGeneralLine = lineNumber;
                Line line{row, written, lineNumber, conta, lastGeneralLine};
                MovementLine& movement = target.newLine();
                for (const TargetColumn& column : columns)
                    fill(movement, column.column, column.source, line);
                target.write();
                ++written.lines;
            }
            summary.lines += written.lines;
        }
        // Rows held back for an array-bound insert fail here, not at the commit.
        target.finish();
        if (progress)
            progress(total, total);
        return summary;
    }

private:
    struct Line {
        int row;
        const WrittenDocument& document;
        int number;
        const QString& conta;
        int lastGeneralLine;
    };

    QString text(int row, int column) const { return nullSafeText(lines_.value(row, column)); }

    // A day-month-year text as a date value; an empty one as null. Valid until the next call.
    const Value& date(const Line& line, int column) {
        static const Value null;
        // A line reads its DataDoc up to three times; the lines of a document mostly share
        // their dates.
        LastDate& last = lastDates_[column == Lines::DataDoc ? 0 : 1];
        if (line.row == last.row)
            return last.date;
        const QString* text = textOf(line.row, column);
        if (!text || text->isEmpty())
            return null;
        if (*text == last.text) {
            last.row = line.row;
            return last.date;
        }
        auto known = dates_.constFind(*text);
        if (known == dates_.cend())
            known = dates_.insert(*text, parseDayMonthYear(*text));
        if (!known->isValid())
            throw ImportError(
                QString::fromUtf8("%1 '%2' não é uma data (linha %3 da folha)")
                    .arg(lines_.columns()[static_cast<std::size_t>(column)].name, *text)
                    .arg(sheetRow(line.row)));
        last.text = *text;
        last.date = Value(*known);
        last.row = line.row;
        return last.date;
    }

    int sheetRow(int row) const {
        const int number = lines_.sourceRow(row);
        return number > 0 ? number : row + 1;
    }

    // The VAT account of every code and year the import uses, read before the first row is added so
    // that the rows go out in full batches.
    void readVatAccounts(const DocumentGroups& documents,
                         const std::vector<WrittenDocument>& numbered) {
        for (int d = 0; d < documents.count(); ++d) {
            const int year = numbered[static_cast<std::size_t>(d)].numbering.year;
            for (const int row : documents.lines(d)) {
                const QString code = text(row, Lines::CodIva);
                if (code.isEmpty())
                    continue;
                const QString key = vatKey(code, year);
                if (vatAccounts_.contains(key))
                    continue;
                vatAccounts_.insert(key, vatAccount(company_, code, year));
            }
        }
    }

    static QString vatKey(const QString& code, int year) {
        return code + QChar(0x1f) + QString::number(year);
    }

    int vatRole(const Line& line) {
        const QString* code = textOf(line.row, Lines::CodIva);
        if (!code || code->isEmpty())
            return kNoVat;
        // The lines of a document mostly share their code.
        const int year = line.document.numbering.year;
        if (*code != lastVatCode_ || year != lastVatYear_) {
            lastVatAccount_ = vatAccounts_.value(vatKey(*code, year));
            lastVatCode_ = *code;
            lastVatYear_ = year;
        }
        if (!lastVatAccount_)
            return kNoVat;
        return line.conta == *lastVatAccount_ ? kVatAccount : kVatBase;
    }

    // A cell of the line as text (as text() reads it), nullptr for null.
    const QString* textOf(int row, int column) {
        const ColumnStore::CellText cell = lines_.cellText(row, column, scratch_);
        if (cell.null || cell.text)
            return cell.text;
        scratch_ = QString::fromUtf8(cell.utf8);
        return &scratch_;
    }

    // A text of the line, null as null (or as "" with `nullAsEmpty`), as the lines table keeps it.
    void setText(MovementLine& movement, int target, int row, int column,
                 bool nullAsEmpty = false) {
        const ColumnStore::CellText cell = lines_.cellText(row, column, scratch_);
        if (cell.text)
            movement.setText(target, *cell.text);
        else if (!cell.null)
            movement.setUtf8(target, cell.utf8);
        else if (nullAsEmpty)
            movement.setText(target, QString());
        else
            movement.set(target, Value());
    }
    void setNullSafeText(MovementLine& movement, int target, int row, int column) {
        setText(movement, target, row, column, true);
    }

    void fill(MovementLine& movement, int target, Source source, const Line& line) {
        const int row = line.row;
        switch (source) {
            case Source::TpTerc:
                return movement.set(target, lines_.value(row, Lines::TpTerc));
            case Source::Conta:
                return setText(movement, target, row, Lines::Conta);
            case Source::TpDoc:
                return setText(movement, target, row, Lines::TpDoc);
            case Source::NumDoc:
                return movement.set(target, line.document.numbers.document);
            case Source::Serie:
                return setText(movement, target, row, Lines::Serie);
            case Source::NumDiari:
                return movement.set(target, line.document.numbers.journal);
            case Source::Diario:
                return setText(movement, target, row, Lines::Diario);
            case Source::NumLinha:
                return movement.set(target, line.number);
            case Source::Ref:
                return setNullSafeText(movement, target, row, Lines::Ref);
            case Source::Terc:
                return setNullSafeText(movement, target, row, Lines::Terc);
            case Source::DataDoc:
                return movement.set(target, date(line, Lines::DataDoc));
            case Source::Ano:
            case Source::Exercicio:
                return movement.set(target, line.document.numbering.year);
            case Source::DbCr:
                return movement.set(target, lines_.value(row, Lines::DbCr));
            case Source::Descr:
                return setNullSafeText(movement, target, row, Lines::Descr);
            case Source::Sector:
                return setNullSafeText(movement, target, row, Lines::Setor);
            case Source::Valor:
                return movement.set(target, lines_.value(row, Lines::Valor));
            case Source::RubOrc:
                return setNullSafeText(movement, target, row, Lines::RubOrc);
            case Source::CCustOrc:
                return setNullSafeText(movement, target, row, Lines::CCustOrc);
            case Source::NCont:
                return setNullSafeText(movement, target, row, Lines::NCont);
            case Source::CodIva:
                return setNullSafeText(movement, target, row, Lines::CodIva);
            case Source::CodFlu:
                return setNullSafeText(movement, target, row, Lines::CodFlu);
            case Source::Custeio:
                return setNullSafeText(movement, target, row, Lines::Custeio);
            case Source::Operador:
                return setNullSafeText(movement, target, row, Lines::Operador);
            case Source::DtReal: {
                const QString* dataR = textOf(row, Lines::DataR);
                return movement.set(target, !dataR || dataR->isEmpty() ? date(line, Lines::DataDoc)
                                                                       : date(line, Lines::DataR));
            }
            case Source::LinCC:
                return setNullSafeText(movement, target, row, Lines::LinCC);
            case Source::Versao:
                return movement.set(target, 0);
            case Source::Origem:
                return movement.set(target, 9);
            case Source::Ligado:
                return movement.set(target, 1);
            case Source::Statac:
            case Source::Nat:
                return movement.set(target, 2);
            case Source::ErroCtb:
                return movement.setText(target, QString());
            case Source::MnlAut:
                return movement.set(target, 1);
            case Source::Mes: {
                const Value& documentDate = date(line, Lines::DataDoc);
                if (documentDate.isNull())
                    return movement.set(target, Value());
                return movement.setText(target, monthText(documentDate.toDate().month()));
            }
            case Source::DataR:
            case Source::DataAl:
                return movement.set(target, today_);
            case Source::SystemEntryDate:
                return movement.set(target, entry_);
            case Source::MvDes:
                if (line.conta.startsWith(QLatin1Char('9')))
                    return movement.set(target, line.lastGeneralLine);
                return movement.setText(target, zeros());
            case Source::CtResp:
                return movement.set(target, vatRole(line));
            case Source::ValorBase:
                return movement.set(target,
                                    nullSafeMoney(lines_.value(row, Lines::ValorBase), locale_));
        }
    }

    DataAccess& company_;
    const Lines& lines_;
    Value today_;
    Value entry_;
    QHash<QString, QDate> dates_;
    // The last date read from DataDoc and from DataR, valid: never empty once set.
    struct LastDate {
        QString text;
        Value date;
        int row = -1;  // the line it was last read for
    };
    std::array<LastDate, 2> lastDates_;
    QHash<QString, std::optional<QString>> vatAccounts_;
    QString lastVatCode_;  // the code and year of lastVatAccount_
    int lastVatYear_ = 0;
    std::optional<QString> lastVatAccount_;
    QString scratch_;  // a cell's text where the lines table keeps it otherwise
    const QLocale locale_;
};

ImportError failure(int number, const QString& description) {
    return ImportError(QStringLiteral("%1 - %2 em GravaMovimentos").arg(number).arg(description));
}

}  // namespace

ImportWriteSummary writeImportedMovements(DataAccess& company, const ImportLinesTable& lines,
                                          const QDateTime& now, const ImportProgress& progress) {
    try {
        if (!company.inTransaction())
            throw ImportError(
                QStringLiteral("a escrita dos movimentos tem de correr numa transação"));
        return Writer(company, lines, now).run(progress);
    } catch (const Error& error) {
        throw failure(error.number(), error.message());
    } catch (const std::exception& error) {
        throw failure(ImportError::kNumber, QString::fromLocal8Bit(error.what()));
    }
}

}  // namespace agrimor
