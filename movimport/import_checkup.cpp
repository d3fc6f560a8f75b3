#include "movimport/import_checkup.h"

#include <QFile>
#include <QHash>
#include <optional>

#include "core/message_box.h"
#include "core/null_safe.h"
#include "data/data_access.h"
#include "data/day_month_year.h"
#include "ledger/code_tables.h"
#include "movimport/import_environment.h"
#include "movimport/import_error.h"
#include "movimport/import_tables.h"

namespace agrimor {

namespace {

using Lines = ImportLinesTable;

constexpr int kProgressStep = 512;

const QString kInDocument = QStringLiteral(" no documento, ");

// The values one document's lines must share: the first line sets each, a later line that differs
// is an anomaly and leaves it as the first line set it.
struct References {
    std::optional<QString> serie, date, type, sector, journal;
};

bool sameAsFirst(std::optional<QString>& reference, const QString& value) {
    if (reference)
        return *reference == value;
    reference = value;
    return true;
}

class CheckUp {
public:
    CheckUp(DataAccess& company, const Lines& lines) : master_(company), lines_(lines) {}

    std::vector<ImportAnomaly> run(const ImportProgress& progress) {
        const DocumentGroups groups = groupByDocument(lines_);
        // The same checks once without a word, for the codes they look up: these are then read
        // a table at a time instead of a statement per code.
        master_.lookUpAtOnce([&] {
            for (int d = 0; d < groups.count(); ++d) {
                const ImportDocument document = groups.document(lines_, d);
                References references;
                for (const int row : document.lines)
                    checkLine(row, document.key, references);
            }
            anomalies_.clear();
        });
        const int total = lines_.size();
        int done = 0;
        for (int d = 0; d < groups.count(); ++d) {
            const ImportDocument document = groups.document(lines_, d);
            References references;
            DebitCredit sums;
            for (const int row : document.lines) {
                checkLine(row, document.key, references);
                sums.add(lines_, row, document.key);
                if (progress && ++done % kProgressStep == 0)
                    progress(done, total);
            }
            if (sums.debit != sums.credit)
                anomalies_.push_back(
                    {QString::fromUtf8("Débito <> Crédito no documento, ") + document.key,
                     document.key, -1, 0});
        }
        for (const int row : groups.withoutKey) {
            const int sheetRow = lines_.sourceRow(row);
            anomalies_.push_back({QStringLiteral("Coluna Doc vazia na linha %1 da folha")
                                      .arg(sheetRow > 0 ? sheetRow : row + 1),
                                  QString(), row, sheetRow});
        }
        if (progress)
            progress(total, total);
        return std::move(anomalies_);
    }

private:
    QString text(int row, int column) const { return nullSafeText(lines_.value(row, column)); }

    void add(int row, const QString& key, const QString& text) {
        anomalies_.push_back({text, key, row, lines_.sourceRow(row)});
    }
    void missing(int row, const QString& key, const char* column) {
        add(row, key,
            QStringLiteral("Coluna ") + QLatin1String(column) + QStringLiteral(" vazia") +
                kInDocument + key);
    }

    QDate date(const QString& text) {
        auto known = dates_.constFind(text);
        if (known == dates_.cend())
            known = dates_.insert(text, parseDayMonthYear(text));
        return *known;
    }

    void checkLine(int row, const QString& d, References& references) {
        const QString serie = text(row, Lines::Serie);
        const QString dataDoc = text(row, Lines::DataDoc);
        const QString dataR = text(row, Lines::DataR);
        const QString tpDoc = text(row, Lines::TpDoc);
        const QString setor = text(row, Lines::Setor);
        const QString diario = text(row, Lines::Diario);
        const QString conta = text(row, Lines::Conta);

        if (serie.isEmpty())
            missing(row, d, "Serie");
        else if (!sameAsFirst(references.serie, serie))
            add(row, d, QString::fromUtf8("A série tem de ser igual no documento, ") + d);

        QDate documentDate;
        if (dataDoc.isEmpty()) {
            missing(row, d, "DataDoc");
        } else {
            if (!sameAsFirst(references.date, dataDoc))
                add(row, d, QStringLiteral("A data documento tem de ser igual no documento, ") + d);
            documentDate = date(dataDoc);
            if (!documentDate.isValid())
                add(row, d,
                    QString::fromUtf8("Data documento inválida ") + dataDoc + kInDocument + d);
        }

        if (!dataR.isEmpty()) {
            const QDate realDate = date(dataR);
            if (!realDate.isValid())
                add(row, d, QString::fromUtf8("Data real inválida ") + dataR + kInDocument + d);
            else if (documentDate.isValid() && realDate > documentDate)
                add(row, d, QString::fromUtf8("Data real é superior à data do documento, ") + d);
        }

        if (tpDoc.isEmpty())
            missing(row, d, "TpDoc");
        else if (!sameAsFirst(references.type, tpDoc))
            add(row, d,
                QStringLiteral("O Tipo Documento tem de ser igual em todo o documento, ") + d);
        if (setor.isEmpty())
            missing(row, d, "Setor");
        else if (!sameAsFirst(references.sector, setor))
            add(row, d, QStringLiteral("O Setor tem de ser igual em todo o documento, ") + d);
        if (diario.isEmpty())
            missing(row, d, "Diario");
        else if (!sameAsFirst(references.journal, diario))
            add(row, d, QString::fromUtf8("O Diário tem de ser igual em todo o documento, ") + d);

        // Without a DataDoc there is no year to look the per-year tables up in.
        const bool haveYear = !dataDoc.isEmpty();
        const int year = documentYear(dataDoc);
        if (haveYear && !diario.isEmpty() && !master_.journalNumerator(diario, year))
            add(row, d, QString::fromUtf8("Não existe numerador do diário para o documento, ") + d);
        if (haveYear && !tpDoc.isEmpty() && !serie.isEmpty() &&
            !master_.documentNumerator(tpDoc, year, serie))
            add(row, d,
                QString::fromUtf8("Não existe numerador do tipo documento para o documento, ") + d);
        if (conta.isEmpty())
            missing(row, d, "Conta");
        else if (haveYear && !master_.account(conta, year))
            add(row, d, QString::fromUtf8("Conta Inválida ") + conta + kInDocument + d);
        if (!tpDoc.isEmpty() && !master_.documentType(tpDoc))
            add(row, d, QString::fromUtf8("Tipo Documento inválido ") + tpDoc + kInDocument + d);
        if (!setor.isEmpty() && !master_.sector(setor))
            add(row, d, QString::fromUtf8("Setor inválido ") + setor + kInDocument + d);
        if (!diario.isEmpty() && !master_.journal(diario))
            add(row, d, QString::fromUtf8("Diário inválido ") + diario + kInDocument + d);

        if (const QString code = text(row, Lines::RubOrc);
            !code.isEmpty() && !master_.budgetHeading(code))
            add(row, d, QString::fromUtf8("Rubrica Orçamental inválida ") + code + kInDocument + d);
        if (const QString code = text(row, Lines::CCustOrc);
            !code.isEmpty() && !master_.costCentre(code))
            add(row, d, QString::fromUtf8("Centro Custo inválido ") + code + kInDocument + d);
        if (const QString code = text(row, Lines::Custeio);
            !code.isEmpty() && !master_.costing(code))
            add(row, d, QString::fromUtf8("Custeio inválido ") + code + kInDocument + d);
        if (const QString code = text(row, Lines::CodIva);
            !code.isEmpty() && haveYear && !master_.vatCode(code, year))
            add(row, d, QString::fromUtf8("Código IVA inválido ") + code + kInDocument + d);
        if (const QString code = text(row, Lines::CodFlu);
            !code.isEmpty() && haveYear && !master_.cashFlow(code, year))
            add(row, d, QString::fromUtf8("Código Fluxo inválido ") + code + kInDocument + d);

        const short kind = nullSafeWhole(lines_.value(row, Lines::TpTerc));
        if (kind == 1 || kind == 2) {
            const QString party = text(row, Lines::Terc);
            if (!master_.thirdParty(kind, party))
                add(row, d, QString::fromUtf8("Terceiro inválido ") + party + kInDocument + d);
        }
    }

    CodeTables master_;
    const Lines& lines_;
    QHash<QString, QDate> dates_;
    std::vector<ImportAnomaly> anomalies_;
};

}  // namespace

std::vector<ImportAnomaly> checkImportLines(DataAccess& company, const ImportLinesTable& lines,
                                            const ImportProgress& progress) {
    return CheckUp(company, lines).run(progress);
}

QString importAnomaliesFileName(const QString& dataFolder, const QDateTime& startedAt) {
    return dataFolder + QStringLiteral("/Anomalias_ImpMov") +
           startedAt.toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral(".txt");
}

void writeImportAnomaliesFile(const QString& path, const std::vector<ImportAnomaly>& anomalies) {
    QByteArray bytes;
    for (const ImportAnomaly& anomaly : anomalies)
        bytes += anomaly.text.toUtf8() + "\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ImportError(QString::fromUtf8("Não foi possível criar o ficheiro %1: %2")
                              .arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw ImportError(QString::fromUtf8("Não foi possível escrever o ficheiro %1: %2")
                              .arg(path, file.errorString()));
}

ImportCheckUp checkUpImport(ImportEnvironment& environment, const ImportLinesTable& lines) {
    if (environment.company == nullptr || !environment.company->isConnected())
        throw ImportError(QString::fromUtf8("Não há ligação à base de dados da empresa %1.")
                              .arg(environment.companyName));
    const QString file = importAnomaliesFileName(environment.dataFolder, environment.clock());
    ImportCheckUp result;
    result.anomalies = checkImportLines(*environment.company, lines, environment.progress);
    const QString company = QStringLiteral("Empresa:  ") + environment.companyName;
    if (result.ok()) {
        inform(environment.prompter, company + QStringLiteral("\r\nCheckUp efetuado com sucesso!"));
        return result;
    }
    writeImportAnomaliesFile(file, result.anomalies);
    result.anomaliesFile = file;
    inform(environment.prompter,
           company + QStringLiteral("\r\nAnomalias detetadas!\r\nConsulte: ") + file);
    return result;
}

}  // namespace agrimor
