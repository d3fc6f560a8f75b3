#include "movimport/import_run.h"

#include <QMap>
#include <algorithm>
#include <set>
#include <stdexcept>

#include "core/message_box.h"
#include "data/company_connection.h"
#include "data/data_access.h"
#include "data/money_text.h"

namespace agrimor {

namespace {

// A numerator as the database finds its row: codes compared as its collation does.
QString rowKey(const NumeratorValue& v) {
    // The document numerators first: a refusal names the later document before its journal.
    return QStringList{v.journal ? QStringLiteral("2") : QStringLiteral("1"),
                       QString::number(v.year), comparedCode(v.series), comparedCode(v.code)}
        .join(QChar(0x1f));
}

// The numerator before the import is one below its first number taken, and null when the row
// held null (the numbers then started at 1); after it, its last number taken.
void keepLowestAndHighest(QMap<QString, std::pair<NumeratorValue, NumeratorValue>>& rows,
                          NumeratorValue v, bool wasNull) {
    const QString key = rowKey(v);
    auto found = rows.find(key);
    if (found == rows.end()) {
        NumeratorValue before = v;
        before.value = v.value - 1;
        before.null = wasNull && before.value == 0;
        rows.insert(key, {before, v});
        return;
    }
    found->first.value = std::min(found->first.value, v.value - 1);
    found->first.null = wasNull && found->first.value == 0;
    found->second.value = std::max(found->second.value, v.value);
}

QString money(Money m) {
    return formatMoney(m, 2, MoneyTextFormat::portuguese());
}

// A refusal: said to the user, nothing written.
struct Refusal {
    QString text;
};

QString numeratorName(const NumeratorValue& v) {
    return v.journal
               ? QStringLiteral("do diário %1 de %2").arg(v.code).arg(v.year)
               : QStringLiteral("do documento %1 série %2 de %3").arg(v.code, v.series).arg(v.year);
}

// Why the numerator has moved on since the import: the later document that took a number, or
// the numerator's value when no document holds one.
QString laterNumberTaken(DataAccess& company, std::int64_t id, const NumeratorValue& after,
                         std::int64_t now) {
    if (!after.journal) {
        const Recordset later = company.openReadOnly(
            QStringLiteral("SELECT min(NumDoc) AS NumDoc FROM MovCTB WHERE Ano=? AND TpDoc=? AND "
                           "Serie=? AND NumDoc>?"),
            {after.year, after.code, after.series, after.value});
        if (!later.isEmpty() && !later.isNull(QStringLiteral("NumDoc")))
            return QString::fromUtf8(
                       "Depois da importação n.º %1 foi numerado o documento %2 "
                       "série %3 n.º %4 de %5: a importação não pode ser anulada.")
                .arg(id)
                .arg(after.code, after.series)
                .arg(later.field(QStringLiteral("NumDoc")).toInt())
                .arg(after.year);
    } else {
        const Recordset later = company.openReadOnly(
            QStringLiteral("SELECT min(NumDiari) AS NumDiari FROM MovCTB WHERE Ano=? AND "
                           "Diario=? AND NumDiari>?"),
            {after.year, after.code, after.value});
        if (!later.isEmpty() && !later.isNull(QStringLiteral("NumDiari"))) {
            const std::int64_t number = later.field(QStringLiteral("NumDiari")).toInt();
            const Recordset document = company.openReadOnly(
                QStringLiteral("SELECT TpDoc, Serie, NumDoc FROM MovCTB WHERE Ano=? AND Diario=? "
                               "AND NumDiari=? AND NumLinha=1"),
                {after.year, after.code, number});
            const QString which = document.isEmpty()
                                      ? QString()
                                      : QStringLiteral(" (documento %1 série %2 n.º %3)")
                                            .arg(document.field(QStringLiteral("TpDoc")).toText(),
                                                 document.field(QStringLiteral("Serie")).toText())
                                            .arg(document.field(QStringLiteral("NumDoc")).toInt());
            return QString::fromUtf8(
                       "Depois da importação n.º %1 foi numerado o lançamento n.º "
                       "%2 do diário %3 de %4%5: a importação não pode ser "
                       "anulada.")
                .arg(id)
                .arg(number)
                .arg(after.code)
                .arg(after.year)
                .arg(which);
        }
    }
    return QString::fromUtf8(
               "Depois da importação n.º %1 foi tirado um número do numerador %2 "
               "(está em %3, a importação deixou-o em %4): a importação não pode "
               "ser anulada.")
        .arg(id)
        .arg(numeratorName(after))
        .arg(now)
        .arg(after.value);
}

// The numerator's value as the company database holds it now; none when the row is gone.
std::optional<std::int64_t> numeratorNow(DataAccess& company, const NumeratorValue& v) {
    const Recordset row =
        v.journal ? company.openReadOnly(QStringLiteral("SELECT Numerado AS Num FROM NumDiar "
                                                        "WHERE Ano=? AND Diario=? AND Mes=0"),
                                         {v.year, v.code})
                  : company.openReadOnly(
                        QStringLiteral("SELECT Num FROM NumDoc WHERE Ano=? AND Serie=? AND Doc=?"),
                        {v.year, v.series, v.code});
    if (row.isEmpty())
        return std::nullopt;
    return row.field(QStringLiteral("Num")).toInt();
}

void checkNumerators(DataAccess& company, const RunRecord& run) {
    for (const NumeratorValue& after : run.numeratorsAfter) {
        const std::optional<std::int64_t> now = numeratorNow(company, after);
        if (!now)
            throw Refusal{QString::fromUtf8("O numerador %1 já não existe: a importação n.º %2 "
                                            "não pode ser anulada.")
                              .arg(numeratorName(after))
                              .arg(run.id)};
        if (*now != after.value)
            throw Refusal{laterNumberTaken(company, run.id, after, *now)};
    }
}

// Compares every document of the import with MovCTB; returns the lines to delete per range.
void checkLines(DataAccess& company, const RunRecord& run) {
    std::vector<WrittenDocumentTrace> documents = run.documents;
    // In ranges of one numerator row: the database's WHERE finds every spelling of its codes.
    for (const auto& [i, end] : numeratorSpans(documents)) {
        const QMap<std::int64_t, DocumentNow> found =
            readDocumentTotals(company, documents[i].year, documents[i].type, documents[i].series,
                               documents[i].number, documents[end - 1].number);
        std::set<std::int64_t> written;
        const auto refuse = [&](const WrittenDocumentTrace& d, const DocumentNow& now) {
            throw Refusal{
                QString::fromUtf8(
                    "O documento %1 série %2 n.º %3 de %4 já não está como a importação n.º %5 o "
                    "escreveu (tem %6 linhas, débito %7, crédito %8; foram escritas %9 linhas, "
                    "débito %10, crédito %11): foi alterado ou apagado no ERP. A importação não "
                    "pode ser anulada.")
                    .arg(d.type, d.series)
                    .arg(d.number)
                    .arg(d.year)
                    .arg(run.id)
                    .arg(now.lines)
                    .arg(money(now.debit), money(now.credit))
                    .arg(d.lines)
                    .arg(money(d.debit), money(d.credit))};
        };
        for (std::size_t d = i; d < end; ++d) {
            const WrittenDocumentTrace& document = documents[d];
            written.insert(document.number);
            const DocumentNow now = found.value(document.number);
            if (now.lines != document.lines || now.debit != document.debit ||
                now.credit != document.credit)
                refuse(document, now);
        }
        // A document inside the range that the import did not write (numbered by hand).
        for (auto it = found.cbegin(); it != found.cend(); ++it) {
            if (written.count(it.key()) != 0)
                continue;
            WrittenDocumentTrace other = documents[i];
            other.number = it.key();
            other.lines = 0;
            other.debit = {};
            other.credit = {};
            refuse(other, it.value());
        }
    }
}

// The later runs whose lines derive from the import's: class-9 integrations and consolidations
// of the company and a month the import wrote, that ended "efetuado" and are not undone.
void checkLaterRuns(DataAccess& consolidated, const RunRecord& run) {
    std::set<std::pair<int, int>> months;
    for (const WrittenDocumentTrace& d : run.documents)
        months.insert({d.year, d.month});
    for (const QString& task : {run_task::kClass9, run_task::kConsolidation}) {
        RunFilter filter;
        filter.company = run.company;
        filter.task = task;
        for (const RunRecord& later : readRuns(consolidated, filter)) {
            if (later.id <= run.id || later.result != run_result::kDone || later.undone ||
                !later.year || !later.month)
                continue;
            const bool covers = std::any_of(months.begin(), months.end(), [&](const auto& m) {
                return m.first == *later.year &&
                       (m.second == *later.month || (later.cumulative && m.second <= *later.month));
            });
            if (!covers)
                continue;
            throw Refusal{
                QString::fromUtf8("Depois da importação n.º %1 correu %2 n.º %3 da empresa para "
                                  "%4/%5 (em %6 por %7): as suas linhas derivam das importadas. "
                                  "A importação não pode ser anulada.")
                    .arg(run.id)
                    .arg(task == run_task::kClass9 ? QString::fromUtf8("a integração da classe 9")
                                                   : QString::fromUtf8("a consolidação"))
                    .arg(later.id)
                    .arg(*later.month, 2, 10, QLatin1Char('0'))
                    .arg(*later.year)
                    .arg(later.end.toString(QStringLiteral("dd-MM-yyyy HH:mm:ss")),
                         later.userShown())};
        }
    }
}

// Deletes the import's lines, range by range, and checks that exactly those went.
std::int64_t deleteLines(DataAccess& company, const RunRecord& run) {
    std::vector<WrittenDocumentTrace> documents = run.documents;
    // In ranges of one numerator row: the database's WHERE finds every spelling of its codes.
    std::int64_t deleted = 0;
    for (const auto& [i, end] : numeratorSpans(documents)) {
        std::int64_t expected = 0;
        for (std::size_t d = i; d < end; ++d)
            expected += documents[d].lines;
        const std::int64_t gone = company.execute(
            QStringLiteral("DELETE FROM MovCTB WHERE Ano=? AND TpDoc=? AND Serie=? AND NumDoc "
                           "BETWEEN ? AND ?"),
            {documents[i].year, documents[i].type, documents[i].series, documents[i].number,
             documents[end - 1].number});
        if (gone != expected)
            throw Refusal{QString::fromUtf8("Foram encontradas %1 linhas do documento %2 série %3 "
                                            "de %4 para apagar e a importação n.º %5 escreveu "
                                            "%6: a importação não pode ser anulada.")
                              .arg(gone)
                              .arg(documents[i].type, documents[i].series)
                              .arg(documents[i].year)
                              .arg(run.id)
                              .arg(expected)};
        deleted += gone;
    }
    return deleted;
}

void restoreNumerators(DataAccess& company, const RunRecord& run) {
    for (std::size_t i = 0; i < run.numeratorsAfter.size() && i < run.numeratorsBefore.size();
         ++i) {
        const NumeratorValue& before = run.numeratorsBefore[i];
        const NumeratorValue& after = run.numeratorsAfter[i];
        // A numerator that held null gets null back, not 0.
        const QString value = before.null ? QStringLiteral("NULL") : QStringLiteral("?");
        const Params params = before.null ? Params{} : Params{before.value};
        const std::int64_t changed =
            after.journal
                ? company.execute(QStringLiteral("UPDATE NumDiar SET Numerado=%1 WHERE Ano=? AND "
                                                 "Diario=? AND Mes=0 AND Numerado=?")
                                      .arg(value),
                                  params + Params{after.year, after.code, after.value})
                : company.execute(
                      QStringLiteral("UPDATE NumDoc SET Num=%1 WHERE Ano=? AND "
                                     "Serie=? AND Doc=? AND Num=?")
                          .arg(value),
                      params + Params{after.year, after.series, after.code, after.value});
        if (changed != 1)
            throw Refusal{
                laterNumberTaken(company, run.id, after, numeratorNow(company, after).value_or(0))};
    }
}

}  // namespace

void traceImport(DataAccess& company, RunRecord& run, const ImportWriteSummary& written) {
    std::vector<WrittenDocumentTrace> documents;
    QMap<QString, std::pair<NumeratorValue, NumeratorValue>> rows;
    for (const WrittenDocument& d : written.documents) {
        WrittenDocumentTrace trace;
        trace.year = d.numbering.year;
        trace.type = d.numbering.type;
        trace.series = d.numbering.series;
        trace.number = d.numbers.document;
        trace.journal = d.numbering.journal;
        trace.journalNumber = d.numbers.journal;
        documents.push_back(trace);
        keepLowestAndHighest(
            rows,
            {false, d.numbering.year, d.numbering.series, d.numbering.type, d.numbers.document},
            d.numbers.documentWasNull);
        keepLowestAndHighest(rows,
                             {true, d.numbering.year, {}, d.numbering.journal, d.numbers.journal},
                             d.numbers.journalWasNull);
    }
    traceDocuments(company, run, std::move(documents));
    run.numeratorsBefore.clear();
    run.numeratorsAfter.clear();
    for (const auto& [before, after] : rows) {
        run.numeratorsBefore.push_back(before);
        run.numeratorsAfter.push_back(after);
    }
    std::set<int> years;
    std::set<int> months;
    for (const WrittenDocumentTrace& d : run.documents) {
        years.insert(d.year);
        months.insert(d.month);
    }
    if (years.size() == 1)
        run.year = *years.begin();
    if (years.size() == 1 && months.size() == 1)
        run.month = *months.begin();
}

UndoResult undoImport(DataAccess& consolidated, std::int64_t id, Prompter& prompter,
                      const CompanyOpener& openCompany) {
    UndoResult result;
    const auto refused = [&](const QString& text) {
        inform(prompter, text);
        result.outcome = UndoOutcome::Refused;
        result.message = text;
        return result;
    };
    std::optional<RunRecord> found;
    try {
        found = readRun(consolidated, id);
        if (!found)
            return refused(QString::fromUtf8("Não existe a execução n.º %1 no histórico.").arg(id));
        const RunRecord& run = *found;
        if (run.task != run_task::kImport)
            return refused(QString::fromUtf8("A execução n.º %1 não é uma importação de "
                                             "movimentos: só uma importação pode ser anulada.")
                               .arg(id));
        if (run.result != run_result::kDone)
            return refused(QString::fromUtf8("A importação n.º %1 terminou \"%2\": não escreveu "
                                             "movimentos que se possam anular.")
                               .arg(id)
                               .arg(run.result));
        if (run.undone)
            return refused(QString::fromUtf8("A importação n.º %1 já foi anulada em %2.")
                               .arg(id)
                               .arg(run.undone->toString(QStringLiteral("dd-MM-yyyy HH:mm:ss"))));
        checkLaterRuns(consolidated, run);
    } catch (const Refusal& refusal) {
        return refused(refusal.text);
    } catch (const std::exception& error) {
        result.message = QString::fromUtf8("A importação n.º %1 não foi anulada: %2")
                             .arg(id)
                             .arg(QString::fromUtf8(error.what()));
        inform(prompter, result.message);
        return result;
    }
    const RunRecord& run = *found;

    if (!confirmOkCancel(
            prompter,
            QString::fromUtf8("Vai anular a importação n.º %1 na empresa %2 (%3, folha %4): %5 "
                              "documentos, %6 linhas.\r\nPretende continuar?")
                .arg(id)
                .arg(run.companyName, run.file, run.sheet)
                .arg(run.documents.size())
                .arg(run.lines))) {
        result.outcome = UndoOutcome::Cancelled;
        return result;
    }

    try {
        std::unique_ptr<DataAccess> company;
        if (openCompany) {
            company = openCompany(run.company.value_or(0));
        } else {
            company = openCompanyDatabase(
                consolidated, readCompanyParameters(consolidated, run.company.value_or(0)));
        }
        if (!company)
            throw Refusal{QString::fromUtf8("A base de dados da empresa %1 não pôde ser aberta: "
                                            "a importação n.º %2 não foi anulada.")
                              .arg(run.companyName)
                              .arg(id)};
        // The log row first: of two undos at the same moment one waits here, then finds it
        // marked. The log commits before the company: should the company's commit fail, the
        // mark is taken back.
        const QDateTime now = QDateTime::currentDateTime();
        Transaction logged(consolidated);
        if (!markRunUndone(consolidated, id, now))
            throw Refusal{QString::fromUtf8("A importação n.º %1 já foi anulada.").arg(id)};
        Transaction undo(*company);
        checkNumerators(*company, run);
        checkLines(*company, run);
        result.linesDeleted = deleteLines(*company, run);
        restoreNumerators(*company, run);
        logged.commit();
        try {
            undo.commit();
        } catch (const std::exception& error) {
            QString text = QString::fromUtf8("A importação n.º %1 não foi anulada: %2")
                               .arg(id)
                               .arg(QString::fromUtf8(error.what()));
            try {
                unmarkRunUndone(consolidated, id, now);
            } catch (const std::exception& unmark) {
                text += QString::fromUtf8("\r\nO histórico mostra-a anulada e não está: %1")
                            .arg(QString::fromUtf8(unmark.what()));
            }
            throw std::runtime_error(text.toStdString());
        }
    } catch (const Refusal& refusal) {
        result.linesDeleted = 0;
        return refused(refusal.text);
    } catch (const std::exception& error) {
        result.linesDeleted = 0;
        const QString text = QString::fromUtf8(error.what());
        result.message =
            text.startsWith(QString::fromUtf8("A importação n.º"))
                ? text
                : QString::fromUtf8("A importação n.º %1 não foi anulada: %2").arg(id).arg(text);
        inform(prompter, result.message);
        return result;
    }
    result.outcome = UndoOutcome::Undone;
    result.message = QString::fromUtf8(
                         "Importação n.º %1 anulada: %2 linhas apagadas e os "
                         "numeradores repostos.")
                         .arg(id)
                         .arg(result.linesDeleted);
    inform(prompter, result.message);
    return result;
}

}  // namespace agrimor
