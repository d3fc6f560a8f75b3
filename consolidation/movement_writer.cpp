#include "consolidation/movement_writer.h"

#include <QSet>
#include <limits>
#include <optional>

#include "consolidation/checks.h"
#include "consolidation/company_settings.h"
#include "consolidation/consolidation_error.h"
#include "consolidation/month_rate.h"
#include "consolidation/movement_query.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "ledger/company_settings_store.h"
#include "ledger/movement_line.h"
#include "ledger/numerators.h"

namespace agrimor {

namespace {

constexpr int kDebit = 1;
constexpr int kCredit = 2;

class Writer : public RowSink {
public:
    Writer(DataAccess& consolidated, const CompanySettings& settings, const Period& period,
           Money rate, const AccountChart& chart)
        : consolidated_(consolidated),
          settings_(settings),
          period_(period),
          rate_(rate),
          chart_(chart),
          target_(consolidated) {}

    void columns(const QList<ColumnInfo>& columns) override {
        names_.clear();
        plan_.clear();
        for (const ColumnInfo& column : columns) {
            names_ << column.name;
            plan_.push_back({target_.column(column.name), movementRole(column.name)});
        }
        tpDocColumn_ = requireColumn(QStringLiteral("TPDOC"));
        numDocColumn_ = requireColumn(QStringLiteral("NUMDOC"));
        valorColumn_ = requireColumn(QStringLiteral("VALOR"));
        dbCrColumn_ = requireColumn(QStringLiteral("DBCR"));
        contaColumn_ = requireColumn(QStringLiteral("CONTA"));
    }

    bool row(std::vector<Value>& movement) override {
        if (!started_) {
            documentNumber_ = firstDocumentNumber();
            summary_.firstDocument = documentNumber_;
            summary_.documents = 1;
            started_ = true;
        }
        const QString tpDoc = movement[tpDocColumn_].toText();
        const std::int64_t numDoc = movement[numDocColumn_].toInt();
        ++linesRead_;
        if (!accountChecked(movement[contaColumn_].toText()))
            throw ConsolidationError(
                QStringLiteral(
                    "A conta %1 (documento %2 %3) não existe no plano de contas de %4: os "
                    "movimentos da empresa mudaram depois da verificação das contas")
                    .arg(movement[contaColumn_].toText(), tpDoc)
                    .arg(numDoc)
                    .arg(period_.year));
        const bool startsDocument = previousType_ && previousNumber_ != 0 &&
                                    (tpDoc != *previousType_ || numDoc != previousNumber_);
        if (startsDocument) {
            closeDocument();
            line_ = 1;
            balance_ = Money();
            ++documentNumber_;
            ++summary_.documents;
        } else {
            nextLine();
        }

        const Money valor = movement[valorColumn_].toMoney();
        const Money amount = convertToEuros(valor.abs(), rate_);
        if (!amount.isZero()) {
            // A negative amount is a reversal: it goes to the other side.
            const bool debit = (movement[dbCrColumn_].toInt() == kDebit) != (valor.units() < 0);
            addToBalance(debit ? amount : -amount);
            writeLine(movement, movement[contaColumn_], amount, debit ? kDebit : kCredit, line_);
        }
        previousType_ = tpDoc;
        previousNumber_ = numDoc;
        previous_ = std::move(movement);
        return true;
    }

    std::int64_t linesRead() const { return linesRead_; }

    // After the last movement.
    WriteSummary finish() {
        if (started_)
            closeDocument();
        target_.finish();
        return summary_;
    }

private:
    int requireColumn(const QString& name) const {
        for (qsizetype c = 0; c < names_.size(); ++c) {
            if (names_.at(c).toUpper() == name)
                return static_cast<int>(c);
        }
        throw DbError(
            DbError::kInvalidColumn,
            QStringLiteral("O campo '%1' não existe nos movimentos da empresa").arg(name));
    }

    // Whether the account is in the checked chart. The lines use few accounts: each one found is
    // remembered as written, so the chart's comparison runs once per account, not per line.
    bool accountChecked(const QString& account) {
        if (accountsFound_.contains(account))
            return true;
        if (!chart_.contains(account))
            return false;
        accountsFound_.insert(account);
        return true;
    }

    int firstDocumentNumber() {
        const std::int64_t number =
            highestDocumentNumber(consolidated_, period_.year, settings_.tpDoc, settings_.serie);
        return number != 0 ? static_cast<int>(number + 1) : 1;
    }

    // A document whose lines add up beyond the largest amount can not be balanced: an error,
    // never a wrapped balance and a rounding line made from it.
    void addToBalance(Money amount) {
        std::int64_t sum = 0;
        if (__builtin_add_overflow(balance_.units(), amount.units(), &sum) ||
            sum == std::numeric_limits<std::int64_t>::min())
            throw ConsolidationError(
                QStringLiteral("O saldo do documento %1 excede o montante máximo")
                    .arg(documentNumber_));
        balance_ = Money::fromUnits(sum);
    }

    void nextLine() {
        if (line_ == std::numeric_limits<std::int16_t>::max())
            throw ConsolidationError(
                QStringLiteral("O documento %1 excede o número máximo de linhas")
                    .arg(documentNumber_));
        ++line_;
    }

    // A document that does not balance gets a line on the rounding account, after its last line,
    // copied from the movement of that last line.
    void closeDocument() {
        if (balance_.isZero())
            return;
        nextLine();
        const int side = balance_.units() < 0 ? kDebit : kCredit;
        writeLine(previous_, settings_.contaArred, balance_.abs(), side, line_);
        ++summary_.roundingLines;
        if (summary_.firstRoundingLines.size() < WriteSummary::kRoundingLinesKept)
            summary_.firstRoundingLines.push_back(
                {documentNumber_, line_, settings_.contaArred, side, balance_.abs()});
    }

    void writeLine(const std::vector<Value>& source, const Value& account, Money amount, int side,
                   int line) {
        MovementLine& movement = target_.newLine();
        for (std::size_t c = 0; c < source.size(); ++c) {
            const Planned& column = plan_[c];
            if (column.role == MovementRole::Skip)
                continue;
            if (column.target < 0)
                target_.noSuchColumn(names_.at(static_cast<qsizetype>(c)));
            switch (column.role) {
                case MovementRole::Account:
                    movement.set(column.target, account);
                    break;
                case MovementRole::DocumentType:
                    movement.set(column.target, settings_.tpDoc);
                    break;
                case MovementRole::DocumentNumber:
                    movement.set(column.target, documentNumber_);
                    break;
                case MovementRole::Amount:
                    movement.set(column.target, amount);
                    break;
                case MovementRole::Side:
                    movement.set(column.target, side);
                    break;
                case MovementRole::Series:
                    movement.set(column.target, settings_.serie);
                    break;
                case MovementRole::Line:
                    movement.set(column.target, line);
                    break;
                case MovementRole::MvDes:
                    movement.set(column.target, 0);
                    break;
                default:
                    movement.set(column.target, source[c]);
                    break;
            }
        }
        target_.write();
        ++summary_.lines;
    }

    DataAccess& consolidated_;
    const CompanySettings& settings_;
    Period period_;
    Money rate_;
    const AccountChart& chart_;
    QSet<QString> accountsFound_;
    MovementWriter target_;

    // The source's columns: where each is written and its role.
    struct Planned {
        int target;  // -1: the table has no such column
        MovementRole role;
    };
    QStringList names_;
    std::vector<Planned> plan_;
    int tpDocColumn_ = -1, numDocColumn_ = -1, valorColumn_ = -1, dbCrColumn_ = -1,
        contaColumn_ = -1;

    std::int64_t linesRead_ = 0;
    bool started_ = false;
    int documentNumber_ = 0;
    int line_ = 0;
    Money balance_;
    std::optional<QString> previousType_;  // none until the first movement
    std::int64_t previousNumber_ = 0;
    std::vector<Value> previous_;
    WriteSummary summary_;
};

}  // namespace

WriteSummary writeMovements(DataAccess& consolidated, DataAccess& company, int bd,
                            const CompanySettings& settings, const Period& period, Money rate,
                            const CheckedAccounts& checked,
                            const std::function<void(const WriteSummary&)>& beforeCommit) {
    Transaction transaction(consolidated);
    Writer writer(consolidated, settings, period, rate, checked.chart);
    readMovements(company, period, QStringLiteral("m.*"), writer);
    if (writer.linesRead() != checked.lines)
        throw ConsolidationError(
            QStringLiteral("Foram lidas %1 linhas de movimentos para integrar e a verificação das "
                           "contas contou %2: os movimentos da empresa mudaram depois da "
                           "verificação")
                .arg(writer.linesRead())
                .arg(checked.lines));
    const WriteSummary summary = writer.finish();

    storeLastMonthProcessed(
        consolidated, bd,
        QStringLiteral("%1/%2").arg(period.month, 2, 10, QLatin1Char('0')).arg(period.year));
    if (beforeCommit)
        beforeCommit(summary);
    transaction.commit();
    return summary;
}

}  // namespace agrimor
