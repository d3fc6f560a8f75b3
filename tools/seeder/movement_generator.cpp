#include <QHash>
#include <QMap>
#include <algorithm>
#include <optional>
#include <span>

#include "data/data_access.h"
#include "ledger/erp_tables.h"
#include "tools/seeder/demo_seeder.h"
#include "tools/seeder/master_data.h"
#include "tools/seeder/seeding.h"

// The demo's movements: documents generated month by month for one company, numbered as the ERP
// numbers them, with their class-9 reflection, and written as MovCTB rows.
namespace agrimor::demo {

namespace {

Money cents(std::int64_t value) {
    return Money::fromUnits(value * 100);
}

QDate randomWeekday(Random& random, int year, int month) {
    const int days = QDate(year, month, 1).daysInMonth();
    for (;;) {
        const QDate date(year, month, static_cast<int>(random.between(1, days)));
        if (date.dayOfWeek() <= 5)
            return date;
    }
}

QDate lastWeekday(int year, int month) {
    QDate date(year, month, QDate(year, month, 1).daysInMonth());
    while (date.dayOfWeek() > 5)
        date = date.addDays(-1);
    return date;
}

QString insertStatement() {
    const QStringList& columns = movementColumns();
    return QStringLiteral("INSERT INTO MovCTB (%1) VALUES (%2)")
        .arg(columns.join(QStringLiteral(", ")),
             QStringLiteral("?, ").repeated(columns.size()).chopped(2));
}

// Date columns are bound in the dialect's text form, built once per day (the demo has few
// distinct days). Without a dialect the values stay date values.
class DateTexts {
public:
    DateTexts() = default;
    explicit DateTexts(const Dialect& dialect) : dialect_(&dialect) {}
    Value date(QDate date) {
        if (!date.isValid() || !dialect_)
            return date;
        auto found = cache_.constFind(date.toJulianDay());
        if (found == cache_.constEnd())
            found = cache_.insert(date.toJulianDay(), dialect_->dateTimeText(naiveDateTime(date)));
        return *found;
    }
    Value dateTime(const QDateTime& value) {
        if (!value.isValid() || !dialect_)
            return value;
        return dialect_->dateTimeText(value);
    }

private:
    const Dialect* dialect_ = nullptr;
    QHash<qint64, QString> cache_;
};

void normalize(Movement& line) {
    if (line.ano == 0)
        line.ano = line.dataDoc.year();
    if (line.exercicio == 0)
        line.exercicio = line.ano;
    if (line.mes == 0)
        line.mes = line.dataDoc.month();
    if (!line.dtReal.isValid())
        line.dtReal = line.dataDoc;
    if (!line.dataR.isValid())
        line.dataR = line.dataDoc;
    if (!line.dataAl.isValid())
        line.dataAl = line.dataR;
    if (!line.systemEntryDate.isValid() && line.dataR.isValid())
        line.systemEntryDate = naiveDateTime(line.dataR, QTime(18, 0));
}

// In the order of movementColumns().
Params toParams(const Movement& line, DateTexts& dates) {
    return Params{line.ano,
                  line.mes,
                  line.tpDoc,
                  line.serie,
                  line.numDoc,
                  line.numLinha,
                  line.conta,
                  line.dbCr,
                  line.valor,
                  dates.date(line.dataDoc),
                  line.nat,
                  line.statac,
                  line.exercicio,
                  line.diario,
                  line.numDiari,
                  line.tpTerc,
                  line.terc,
                  line.ref,
                  line.descr,
                  line.sector,
                  line.rubOrc,
                  line.cCustOrc,
                  line.nCont,
                  line.codIva,
                  line.codFlu,
                  line.custeio,
                  line.operador,
                  dates.date(line.dtReal),
                  line.linCC,
                  line.versao,
                  line.origem,
                  line.ligado,
                  line.erroCtb,
                  line.mnlAut,
                  dates.date(line.dataR),
                  dates.date(line.dataAl),
                  dates.dateTime(line.systemEntryDate),
                  line.mvDes,
                  line.ctResp,
                  line.valorBase};
}

// The mean of a currency's demo rates of one month, in ten-thousandths, as the consolidation
// computes it; 0 when the currency needs none or the month has none.
std::int64_t demoMonthRate(const QString& currency, int year, int month,
                           const SeedOptions& options) {
    __int128 sum = 0;
    int count = 0;
    for (const Rate& rate : demoRates(currency, options)) {
        if (rate.date.year() == year && rate.date.month() == month) {
            sum += rate.rate.units();
            ++count;
        }
    }
    return count == 0 ? 0 : divideHalfEven(sum, static_cast<__int128>(count));
}

// Builds a company's documents month by month, numbering them as the ERP would.
class MovementGenerator {
public:
    MovementGenerator(const Company& company, const SeedOptions& options)
        : options_(options),
          random_(options.seed * 1000003ull + static_cast<std::uint64_t>(company.bd)),
          roundingRandom_(options.seed * 7919ull + static_cast<std::uint64_t>(company.bd)),
          roundingRate_(
              demoMonthRate(company.currency, options.year, options.class9Months, options)) {
        for (int month = 1; month <= options_.lastMonth; ++month)
            weights_ += month <= options_.class9Months ? 2 : 1;
        const int scale[] = {100, 150, 60, 80, 70, 90};
        scale_ = scale[(company.bd - 1) % 6];
        trades_ = company.bd == 1 || company.bd >= 4;
        revenue_ = company.bd == 2   ? QStringList{QStringLiteral("721")}
                   : company.bd == 3 ? QStringList{QStringLiteral("722")}
                                     : QStringList{QStringLiteral("711"), QStringLiteral("721")};
        for (const PartyDef& supplier : suppliers()) {
            const QStringList accounts =
                QString::fromLatin1(supplier.accounts).split(QLatin1Char(' '));
            if (!trades_ && accounts == QStringList{QStringLiteral("611")})
                continue;
            suppliers_ << &supplier;
        }
        for (const PartyDef& customer : customers())
            customers_ << &customer;
    }

    // Appends the month's general documents and, for months already integrated, their class-9
    // documents.
    void month(int month, std::vector<Movement>& out) {
        std::vector<Draft> drafts;
        int index = 0;
        // Every month gets the same number of general lines; the months already integrated
        // carry as many class-9 lines again.
        while (generalLines_ * weights_ <
               static_cast<std::int64_t>(options_.movementLines) * month) {
            Draft draft = index == 0   ? payroll(month)
                          : index == 1 ? payrollPayment(month, drafts.front())
                                       : randomDocument(month);
            generalLines_ += static_cast<std::int64_t>(draft.lines.size());
            drafts.push_back(std::move(draft));
            ++index;
        }
        std::stable_sort(drafts.begin(), drafts.end(), [](const Draft& a, const Draft& b) {
            return a.date != b.date ? a.date < b.date : a.tpDoc < b.tpDoc;
        });
        const size_t generalStart = out.size();
        for (Draft& draft : drafts)
            emitDocument(draft, month, out, random_);
        if (month == options_.class9Months) {
            for (Draft& draft : roundingExpenses(month))
                emitDocument(draft, month, out, roundingRandom_);
        }
        if (month <= options_.class9Months) {
            const size_t generalEnd = out.size();
            size_t i = generalStart;
            while (i < generalEnd) {
                size_t end = i;
                while (end < generalEnd && out[end].tpDoc == out[i].tpDoc &&
                       out[end].numDoc == out[i].numDoc)
                    ++end;
                emitClass9(i, end, out);
                i = end;
            }
        }
    }

    const Numbering& numbering() const { return numbering_; }
    std::int64_t documents() const { return documents_; }

private:
    struct Draft {
        QString tpDoc;
        QString diario;
        QDate date;
        QString ref;
        QString descr;
        std::vector<Movement> lines;
    };

    std::int64_t amount(int minimum, int maximum) {
        return random_.between(minimum * 100LL, maximum * 100LL) * scale_ / 100;
    }

    QString pickCode(std::span<const CodeDef> defs) {
        const auto last = static_cast<std::int64_t>(defs.size()) - 1;
        return QString::fromLatin1(defs[static_cast<std::size_t>(random_.between(0, last))].code);
    }

    QString costing() {
        const int roll = static_cast<int>(random_.between(0, 99));
        const char* code = roll < 30   ? "P00100"
                           : roll < 50 ? "P00210"
                           : roll < 70 ? "P00350"
                           : roll < 80 ? "P00631"
                           : roll < 90 ? "P00763"
                                       : "P00800";
        return QString::fromLatin1(code);
    }

    // A profit-and-loss line: budget heading by nature, a cost centre, a costing code.
    Movement resultLine(const QString& account, int dbCr, std::int64_t value) {
        Movement line;
        line.conta = account;
        line.dbCr = dbCr;
        line.valor = cents(value);
        const QChar nature = account.at(0);
        if (account.startsWith(QLatin1String("61")))
            line.rubOrc = QStringLiteral("R01");
        else if (account.startsWith(QLatin1String("63")))
            line.rubOrc = QStringLiteral("R03");
        else if (nature == QLatin1Char('6'))
            line.rubOrc = QStringLiteral("R02");
        else if (account.startsWith(QLatin1String("71")))
            line.rubOrc = QStringLiteral("R04");
        else
            line.rubOrc = QStringLiteral("R05");
        line.cCustOrc = pickCode(costCentres());
        line.custeio = costing();
        return line;
    }

    Movement plainLine(const QString& account, int dbCr, std::int64_t value) {
        Movement line;
        line.conta = account;
        line.dbCr = dbCr;
        line.valor = cents(value);
        return line;
    }

    Movement partyLine(const QString& account, int dbCr, std::int64_t value, int kind,
                       const PartyDef& party, int partyIndex) {
        Movement line = plainLine(account, dbCr, value);
        line.tpTerc = kind;
        line.terc = QString::fromLatin1(party.code);
        line.nCont = taxNumber(partyIndex + (kind == 1 ? 100 : 500));
        return line;
    }

    // The base lines with their VAT code, then one VAT line per code, on the same side, holding
    // its base.
    void addVat(Draft& draft, int baseSide, const QList<QPair<Movement, QString>>& bases) {
        QMap<QString, std::int64_t> basePerCode;
        for (const auto& [line, code] : bases) {
            Movement base = line;
            base.codIva = code;
            base.ctResp = 1;
            draft.lines.push_back(base);
            basePerCode[code] += base.valor.units() / 100;
        }
        for (auto it = basePerCode.cbegin(); it != basePerCode.cend(); ++it) {
            const VatDef& def = vatCode(it.key());
            if (def.rate == 0)
                continue;
            Movement vat =
                plainLine(QString::fromLatin1(def.account), baseSide,
                          divideHalfEven(static_cast<__int128>(it.value()) * def.rate, 100));
            vat.codIva = it.key();
            vat.ctResp = 2;
            vat.valorBase = cents(it.value());
            draft.lines.push_back(vat);
        }
    }

    static std::int64_t total(const Draft& draft) {
        std::int64_t sum = 0;
        for (const Movement& line : draft.lines)
            sum += line.valor.units() / 100;
        return sum;
    }

    Draft purchase(int month) {
        const int which = static_cast<int>(random_.between(0, suppliers_.size() - 1));
        const PartyDef& supplier = *suppliers_.at(which);
        QStringList accounts = QString::fromLatin1(supplier.accounts).split(QLatin1Char(' '));
        if (!trades_)
            accounts.removeAll(QStringLiteral("611"));
        Draft draft{
            QStringLiteral("FC"),
            QStringLiteral("01"),
            randomWeekday(random_, options_.year, month),
            QStringLiteral("FT %1/%2").arg(random_.between(1, 9)).arg(random_.between(100, 99999)),
            QStringLiteral("Fatura ") + text(supplier.name),
            {}};
        QList<QPair<Movement, QString>> bases;
        const int count = static_cast<int>(random_.between(1, 3));
        for (int i = 0; i < count; ++i) {
            const ExpenseDef& def = expense(random_.pick(accounts));
            bases << qMakePair(
                resultLine(QString::fromLatin1(def.account), 1, amount(def.minimum, def.maximum)),
                QString::fromLatin1(def.vat));
        }
        addVat(draft, 1, bases);
        draft.lines.push_back(
            partyLine(QStringLiteral("221"), 2, total(draft), 1, supplier, which));
        return draft;
    }

    Draft sale(int month) {
        const int which = static_cast<int>(random_.between(0, customers_.size() - 1));
        const PartyDef& customer = *customers_.at(which);
        Draft draft{QStringLiteral("FT"),
                    QStringLiteral("02"),
                    randomWeekday(random_, options_.year, month),
                    QString(),
                    QStringLiteral("Fatura ") + text(customer.name),
                    {}};
        QList<QPair<Movement, QString>> bases;
        const int count = static_cast<int>(random_.between(1, 2));
        for (int i = 0; i < count; ++i) {
            const QString account = random_.pick(revenue_);
            const bool goods = account == QLatin1String("711");
            const QString vat =
                goods && random_.percent(30) ? QStringLiteral("V06") : QStringLiteral("V23");
            bases << qMakePair(
                resultLine(account, 2, goods ? amount(800, 25000) : amount(500, 12000)), vat);
        }
        addVat(draft, 2, bases);
        draft.lines.push_back(
            partyLine(QStringLiteral("211"), 1, total(draft), 2, customer, which));
        return draft;
    }

    QString bank() { return random_.percent(70) ? QStringLiteral("121") : QStringLiteral("122"); }

    Draft receipt(int month) {
        const int which = static_cast<int>(random_.between(0, customers_.size() - 1));
        const PartyDef& customer = *customers_.at(which);
        Draft draft{QStringLiteral("RC"),
                    QStringLiteral("04"),
                    randomWeekday(random_, options_.year, month),
                    QString(),
                    QStringLiteral("Recebimento ") + text(customer.name),
                    {}};
        const std::int64_t value = amount(300, 20000);
        Movement money = plainLine(bank(), 1, value);
        money.codFlu = QStringLiteral("1101");
        draft.lines.push_back(money);
        draft.lines.push_back(partyLine(QStringLiteral("211"), 2, value, 2, customer, which));
        return draft;
    }

    Draft payment(int month) {
        const int which = static_cast<int>(random_.between(0, suppliers_.size() - 1));
        const PartyDef& supplier = *suppliers_.at(which);
        Draft draft{QStringLiteral("PG"),
                    QStringLiteral("04"),
                    randomWeekday(random_, options_.year, month),
                    QString(),
                    QStringLiteral("Pagamento ") + text(supplier.name),
                    {}};
        const std::int64_t value = amount(100, 12000);
        draft.lines.push_back(partyLine(QStringLiteral("221"), 1, value, 1, supplier, which));
        Movement money = plainLine(bank(), 2, value);
        money.codFlu = QStringLiteral("1102");
        draft.lines.push_back(money);
        return draft;
    }

    Draft cashExpense(int month) {
        Draft draft{QStringLiteral("CX"),
                    QStringLiteral("03"),
                    randomWeekday(random_, options_.year, month),
                    QString(),
                    text("Despesas de caixa"),
                    {}};
        const ExpenseDef& def =
            expense(random_.percent(60) ? QStringLiteral("6251") : QStringLiteral("6267"));
        const QString vat = QString::fromLatin1(def.vat);
        addVat(draft, 1,
               {qMakePair(resultLine(QString::fromLatin1(def.account), 1, amount(10, 250)), vat)});
        draft.lines.push_back(plainLine(QStringLiteral("111"), 2, total(draft)));
        return draft;
    }

    QString period(int month) const {
        return QStringLiteral("%1/%2").arg(month, 2, 10, QLatin1Char('0')).arg(options_.year);
    }

    // Gross pay and the employer's charges against what is owed to the staff and to social
    // security.
    Draft payroll(int month) {
        Draft draft{QStringLiteral("SAL"),
                    QStringLiteral("05"),
                    lastWeekday(options_.year, month),
                    QString(),
                    text("Processamento de salários ") + period(month),
                    {}};
        const std::int64_t gross = amount(8000, 30000);
        const std::int64_t charges = divideHalfEven(static_cast<__int128>(gross) * 2375, 10000);
        const std::int64_t withheld = divideHalfEven(static_cast<__int128>(gross) * 11, 100);
        Movement pay = resultLine(QStringLiteral("632"), 1, gross);
        Movement social = resultLine(QStringLiteral("635"), 1, charges);
        social.cCustOrc = pay.cCustOrc;
        social.custeio = pay.custeio;
        draft.lines.push_back(pay);
        draft.lines.push_back(social);
        draft.lines.push_back(plainLine(QStringLiteral("2311"), 2, gross - withheld));
        draft.lines.push_back(plainLine(QStringLiteral("245"), 2, charges + withheld));
        return draft;
    }

    Draft payrollPayment(int month, const Draft& payroll) {
        Draft draft{QStringLiteral("PG"),
                    QStringLiteral("04"),
                    payroll.date,
                    QString(),
                    text("Pagamento de salários ") + period(month),
                    {}};
        const std::int64_t net = payroll.lines.at(2).valor.units() / 100;
        draft.lines.push_back(plainLine(QStringLiteral("2311"), 1, net));
        Movement money = plainLine(QStringLiteral("121"), 2, net);
        money.codFlu = QStringLiteral("1103");
        draft.lines.push_back(money);
        return draft;
    }

    // Converted into euros at the month rate, in cents, as the consolidation converts a line.
    std::int64_t converted(std::int64_t value) const {
        return divideHalfEven(static_cast<__int128>(value) * 10000, roundingRate_);
    }

    // For a company in a foreign currency, a few cash expenses of the last integrated month whose
    // base and VAT, each converted into euros, come a cent away from the converted total: their
    // class-9 documents get a rounding line when that month is consolidated. They come last in
    // the month and are drawn from a sequence of their own, so the other documents stay as they
    // are.
    std::vector<Draft> roundingExpenses(int month) {
        constexpr int kDocuments = 3;
        std::vector<Draft> drafts;
        if (roundingRate_ <= 0)
            return drafts;
        Random& random = roundingRandom_;
        const ExpenseDef& def = expense(QStringLiteral("6251"));
        const QString vat = QString::fromLatin1(def.vat);
        const int vatRate = vatCode(vat).rate;
        // A rate that converts every amount exactly would never round: the tries are bounded.
        for (int tries = 0; tries < 1000 && static_cast<int>(drafts.size()) < kDocuments; ++tries) {
            const std::int64_t base = random.between(def.minimum * 100LL, def.maximum * 100LL);
            const std::int64_t tax = divideHalfEven(static_cast<__int128>(base) * vatRate, 100);
            if (converted(base) + converted(tax) == converted(base + tax))
                continue;
            Draft draft{QStringLiteral("CX"),
                        QStringLiteral("03"),
                        lastWeekday(options_.year, month),
                        QString(),
                        text("Despesas de caixa"),
                        {}};
            Movement line = plainLine(QString::fromLatin1(def.account), 1, base);
            line.rubOrc = QStringLiteral("R02");
            line.cCustOrc = QString::fromLatin1(costCentres().front().code);
            line.custeio = QStringLiteral("P00100");
            addVat(draft, 1, {qMakePair(line, vat)});
            draft.lines.push_back(plainLine(QStringLiteral("111"), 2, total(draft)));
            drafts.push_back(std::move(draft));
        }
        return drafts;
    }

    Draft randomDocument(int month) {
        const int roll = static_cast<int>(random_.between(0, 99));
        if (roll < 30)
            return purchase(month);
        if (roll < 55)
            return sale(month);
        if (roll < 70)
            return receipt(month);
        if (roll < 85)
            return payment(month);
        return cashExpense(month);
    }

    void emitDocument(Draft& draft, int month, std::vector<Movement>& out, Random& random) {
        static const QStringList operators{QStringLiteral("ANA.SILVA"), QStringLiteral("RUI.COSTA"),
                                           QStringLiteral("MARTA.REIS")};
        const int number = ++numbering_.documents[draft.tpDoc];
        const int journalNumber = ++numbering_.journals[draft.diario];
        ++numbering_.journalMonths[{draft.diario, month}];
        ++documents_;
        if (draft.ref.isEmpty())
            draft.ref = QStringLiteral("%1 %2/%3").arg(draft.tpDoc).arg(options_.year).arg(number);
        const auto lastSector = static_cast<std::int64_t>(sectors().size()) - 1;
        const QString sector = QString::fromLatin1(
            sectors()[static_cast<std::size_t>(random.between(0, lastSector))].code);
        const QString& operador = random.pick(operators);
        const QDate entered = draft.date.addDays(random.between(0, 4));
        const QDateTime enteredAt = naiveDateTime(
            entered, QTime(8, 30).addSecs(static_cast<int>(random.between(0, 10LL * 3600))));
        int lineNumber = 0;
        for (Movement& line : draft.lines) {
            line.ano = options_.year;
            line.mes = month;
            line.exercicio = options_.year;
            line.tpDoc = draft.tpDoc;
            line.numDoc = number;
            line.numLinha = ++lineNumber;
            line.dataDoc = draft.date;
            line.dtReal = draft.date;
            line.diario = draft.diario;
            line.numDiari = journalNumber;
            line.ref = draft.ref;
            line.descr = draft.descr;
            line.sector = sector;
            line.operador = operador;
            line.mnlAut = 1;
            line.dataR = entered;
            line.dataAl = entered;
            line.systemEntryDate = enteredAt;
            out.push_back(std::move(line));
        }
    }

    // What integrating a general document's month writes: the same lines on the class-9 accounts,
    // under the class-9 type and journal, each pointing at its source line.
    void emitClass9(size_t begin, size_t end, std::vector<Movement>& out) {
        const QString type = QStringLiteral("CL9");
        const QString journal = QStringLiteral("09");
        const int number = ++numbering_.documents[type];
        const int journalNumber = ++numbering_.journals[journal];
        ++numbering_.journalMonths[{journal, out[begin].mes}];
        ++documents_;
        int lineNumber = 0;
        for (size_t i = begin; i < end; ++i) {
            Movement line = out[i];
            line.ref = QStringLiteral("%1/%2/%3/%4/%5")
                           .arg(line.tpDoc)
                           .arg(line.ano)
                           .arg(line.serie)
                           .arg(line.numDoc)
                           .arg(line.numLinha);
            line.conta = isProjectCosting(line.custeio) ? projectAccount()
                                                        : class9Account(line.conta, line.dbCr);
            line.tpDoc = type;
            line.numDoc = number;
            line.tpTerc = 4;
            line.diario = journal;
            line.numDiari = journalNumber;
            line.numLinha = ++lineNumber;
            out.push_back(std::move(line));
        }
    }

    const SeedOptions& options_;
    Random random_;
    Random roundingRandom_;
    std::int64_t roundingRate_;  // the currency's rate of the last integrated month; 0 for euros
    int weights_ = 0;
    int scale_ = 100;
    bool trades_ = true;
    QStringList revenue_;
    QList<const PartyDef*> suppliers_;
    QList<const PartyDef*> customers_;
    std::int64_t generalLines_ = 0;
    std::int64_t documents_ = 0;
    Numbering numbering_;
};

}  // namespace

const QStringList& movementColumns() {
    static const QStringList columns = [] {
        QStringList names = movCtbColumns();
        names.removeAll(QStringLiteral("DBTS"));
        return names;
    }();
    return columns;
}

Params movementValues(const Movement& line) {
    Movement normalized = line;
    normalize(normalized);
    DateTexts dates;
    return toParams(normalized, dates);
}

void insertMovements(DataAccess& db, const std::vector<Movement>& lines) {
    std::optional<Transaction> transaction;
    if (!db.inTransaction())
        transaction.emplace(db);
    Engine& engine = db.engine();
    DateTexts dates(engine.dialect());
    const QString sql = insertStatement();
    for (Movement line : lines) {
        normalize(line);
        engine.insert(sql, toParams(line, dates));
    }
    engine.flush();
    if (transaction)
        transaction->commit();
}

std::vector<Movement> demoMovements(const Company& company, const SeedOptions& options) {
    MovementGenerator generator(company, options);
    std::vector<Movement> lines;
    for (int month = 1; month <= options.lastMonth; ++month)
        generator.month(month, lines);
    return lines;
}

CompanySummary seedMovements(DataAccess& db, const Company& company, const SeedOptions& options) {
    Transaction transaction(db);
    MovementGenerator generator(company, options);
    Engine& engine = db.engine();
    DateTexts dates(engine.dialect());
    const QString sql = insertStatement();
    CompanySummary summary;
    summary.bd = company.bd;
    std::vector<Movement> lines;
    for (int month = 1; month <= options.lastMonth; ++month) {
        lines.clear();
        generator.month(month, lines);
        for (const Movement& line : lines)
            engine.insert(sql, toParams(line, dates));
        summary.lines += static_cast<std::int64_t>(lines.size());
    }
    engine.flush();
    writeNumerators(db, options.year, generator.numbering());
    transaction.commit();
    summary.documents = generator.documents();
    return summary;
}

}  // namespace agrimor::demo
