#include "tools/seeder/class9_months.h"

#include "data/data_access.h"

namespace agrimor::demo {

namespace {

QDate lastWeekday(int year, int month) {
    QDate date = QDate(year, month, 1).addMonths(1).addDays(-1);
    while (date.dayOfWeek() > 5)
        date = date.addDays(-1);
    return date;
}

std::int64_t highest(DataAccess& db, const QString& sql, const Params& params) {
    return db.openReadOnly(sql, params).field(0).toInt();
}

// The number after the highest `column` of the year's movements that satisfy `condition`.
int nextNumber(DataAccess& db, const char* column, int year, const char* condition,
               const Value& value) {
    return static_cast<int>(highest(db,
                                    QStringLiteral("select coalesce(max(%1),0) from MovCTB where "
                                                   "Ano=? and %2")
                                        .arg(QLatin1String(column), QLatin1String(condition)),
                                    {year, value})) +
           1;
}

// Sets a numerator row to `number`, adding the row when it is missing.
void setNumerator(DataAccess& db, const QString& table, const QString& where, const Params& key,
                  const QStringList& keyColumns, const QString& column, std::int64_t number) {
    UpdatableRecordset row = db.openUpdatable(table, where, key);
    if (row.isEmpty()) {
        row.addNew();
        for (qsizetype i = 0; i < keyColumns.size(); ++i)
            row.setField(keyColumns.at(i), key.at(i));
    }
    row.setField(column, number);
    row.update();
}

void setDocumentNumber(DataAccess& db, int year, const QString& type, std::int64_t number) {
    setNumerator(db, QStringLiteral("NumDoc"), QStringLiteral("Ano=? and Serie=? and Doc=?"),
                 {year, QStringLiteral("1"), type},
                 {QStringLiteral("Ano"), QStringLiteral("Serie"), QStringLiteral("Doc")},
                 QStringLiteral("Num"), number);
}

// One more document in a journal: the yearly and the month's counters.
void countJournal(DataAccess& db, int year, const QString& journal, int month,
                  std::int64_t yearly) {
    const QStringList keys{QStringLiteral("Ano"), QStringLiteral("Diario"), QStringLiteral("Mes")};
    const QString where = QStringLiteral("Ano=? and Diario=? and Mes=?");
    setNumerator(db, QStringLiteral("NumDiar"), where, {year, journal, 0}, keys,
                 QStringLiteral("Numerado"), yearly);
    const std::int64_t monthly =
        highest(db, QStringLiteral("select coalesce(max(Numerado),0) from NumDiar where ") + where,
                {year, journal, month}) +
        1;
    setNumerator(db, QStringLiteral("NumDiar"), where, {year, journal, month}, keys,
                 QStringLiteral("Numerado"), monthly);
}

Movement line(int year, int month, QDate date, const QString& type, int number, int lineNumber,
              const QString& account, int dbCr, Money value, const QString& journal,
              int journalNumber, const QString& descr) {
    Movement m;
    m.ano = year;
    m.mes = month;
    m.exercicio = year;
    m.tpDoc = type;
    m.numDoc = number;
    m.numLinha = lineNumber;
    m.conta = account;
    m.dbCr = dbCr;
    m.valor = value;
    m.dataDoc = date;
    m.dtReal = date;
    m.diario = journal;
    m.numDiari = journalNumber;
    m.descr = descr;
    m.sector = QStringLiteral("01");
    m.operador = QStringLiteral("demo");
    m.mnlAut = 1;
    return m;
}

}  // namespace

void seedClass9Months(DataAccess& db, const Company& company, const SeedOptions& options,
                      CompanySummary& summary) {
    const int year = options.year;
    const int month = options.lastMonth;
    if (month <= options.class9Months || month < 1 || month > 12)
        return;
    Transaction transaction(db);
    std::vector<Movement> lines;
    const QDate date = lastWeekday(year, month);

    {
        // Travel costs of the month charged from the general costing to the two projects whose
        // lines go to 96112, whatever the chart maps 6251 to (96251).
        const QString type = QStringLiteral("OD");
        const QString journal = QStringLiteral("05");
        const int number = nextNumber(db, "NumDoc", year, "TpDoc=? and Serie='1'", type);
        const int journalNumber = nextNumber(db, "NumDiari", year, "Diario=?", journal);
        const QString descr = QStringLiteral("Imputação de deslocações a projetos");
        const Money insurance = Money::fromUnits(1562000 + 10000 * company.bd);
        const Money logistics = Money::fromUnits(947500 + 10000 * company.bd);
        const QString account = QStringLiteral("6251");
        std::vector<Movement> document{line(year, month, date, type, number, 1, account, 1,
                                            insurance, journal, journalNumber, descr),
                                       line(year, month, date, type, number, 2, account, 1,
                                            logistics, journal, journalNumber, descr),
                                       line(year, month, date, type, number, 3, account, 2,
                                            insurance + logistics, journal, journalNumber, descr)};
        const char* costings[] = {"P00631", "P00763", "P00100"};
        for (std::size_t i = 0; i < document.size(); ++i) {
            document[i].rubOrc = QStringLiteral("R02");
            document[i].cCustOrc = QStringLiteral("CC500");
            document[i].custeio = QString::fromLatin1(costings[i]);
            lines.push_back(document[i]);
        }
        setDocumentNumber(db, year, type, number);
        countJournal(db, year, journal, month, journalNumber);
        summary.documents += 1;
    }

    if (company.bd == 1) {
        const QString cash = QStringLiteral("CX");
        const QString cashJournal = QStringLiteral("03");
        const int expense = nextNumber(db, "NumDoc", year, "TpDoc=? and Serie='1'", cash);
        const int cashNumber = nextNumber(db, "NumDiari", year, "Diario=?", cashJournal);
        const Money amount = Money::fromUnits(374000 + 10000 * company.bd);
        const QString descr = QStringLiteral("Despesas diversas não especificadas");
        lines.push_back(line(year, month, date, cash, expense, 1, QStringLiteral("6881"), 1, amount,
                             cashJournal, cashNumber, descr));
        lines.push_back(line(year, month, date, cash, expense, 2, QStringLiteral("111"), 2, amount,
                             cashJournal, cashNumber, descr));
        setDocumentNumber(db, year, cash, expense);
        countJournal(db, year, cashJournal, month, cashNumber);
        summary.documents += 1;
    }

    if (company.bd % 2 == 1) {
        const QString journal = QStringLiteral("09");
        const int journalNumber = nextNumber(db, "NumDiari", year, "Diario=?", journal);
        QDate midMonth(year, month, 14);
        while (midMonth.dayOfWeek() > 5)
            midMonth = midMonth.addDays(1);
        const Money energy = Money::fromUnits(1285000 + 10000 * company.bd);
        const QString text = QStringLiteral("Repartição analítica da energia");
        lines.push_back(line(year, month, midMonth, kErpClass9Type, 1, 1, QStringLiteral("96241"),
                             1, energy, journal, journalNumber, text));
        lines.push_back(line(year, month, midMonth, kErpClass9Type, 1, 2, QStringLiteral("9111"), 2,
                             energy, journal, journalNumber, text));
        UpdatableRecordset types =
            db.openUpdatable(QStringLiteral("TpDoc"), QStringLiteral("Codigo=?"), {kErpClass9Type});
        if (types.isEmpty()) {
            types.addNew();
            types.setField(QStringLiteral("Codigo"), kErpClass9Type);
            types.setField(QStringLiteral("Descr"), QStringLiteral("Analítica gerada pelo ERP"));
            types.setField(QStringLiteral("Diario"), journal);
            types.update();
        }
        setDocumentNumber(db, year, kErpClass9Type, 1);
        countJournal(db, year, journal, month, journalNumber);
        summary.documents += 1;
    }
    insertMovements(db, lines);
    summary.lines += static_cast<std::int64_t>(lines.size());
    transaction.commit();
}

}  // namespace agrimor::demo
