#include "tools/seeder/demo_seeder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <future>
#include <optional>
#include <stdexcept>

#include "data/currency.h"
#include "data/data_access.h"
#include "data/db_error.h"
#include "data/erp_schema.h"
#include "data/own_tables.h"
#include "data/sqlite_engine.h"
#include "tools/seeder/sample_workbooks.h"

namespace agrimor::demo {

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// splitmix64: tiny, fast, and the same sequence on every platform and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [low, high].
    std::int64_t between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool percent(int chance) { return between(0, 99) < chance; }
    template <typename T>
    const T& pick(const QList<T>& list) {
        return list.at(static_cast<qsizetype>(between(0, list.size() - 1)));
    }

private:
    std::uint64_t state_;
};

Money cents(std::int64_t value) {
    return Money::fromUnits(value * 100);
}

struct AccountDef {
    const char* conta;
    const char* descr;
    const char* cl9dd = nullptr;
    const char* cl9cc = nullptr;
};

// One chart for the whole group. General accounts carry the class-9 accounts their debits and
// credits are reflected on; headings, 6881 and the class-9 accounts carry none.
const AccountDef kChart[] = {
    {"1", "Meios financeiros líquidos"},
    {"11", "Caixa"},
    {"111", "Caixa - sede", "9111", "9111"},
    {"12", "Depósitos à ordem"},
    {"121", "Depósitos à ordem - Banco Atlântico", "91121", "91122"},
    {"122", "Depósitos à ordem - Banco do Norte", "91121", "91122"},
    {"2", "Contas a receber e a pagar"},
    {"21", "Clientes"},
    {"211", "Clientes c/c", "9121", "9121"},
    {"22", "Fornecedores"},
    {"221", "Fornecedores c/c", "9122", "9122"},
    {"23", "Pessoal"},
    {"231", "Remunerações a pagar"},
    {"2311", "Remunerações a pagar ao pessoal", "9123", "9123"},
    {"24", "Estado e outros entes públicos"},
    {"243", "Imposto sobre o valor acrescentado"},
    {"2432", "IVA dedutível"},
    {"24321", "IVA dedutível - taxa normal", "9124", "9124"},
    {"24322", "IVA dedutível - taxa intermédia", "9124", "9124"},
    {"24323", "IVA dedutível - taxa reduzida", "9124", "9124"},
    {"2433", "IVA liquidado"},
    {"24331", "IVA liquidado - taxa normal", "9125", "9125"},
    {"24332", "IVA liquidado - taxa intermédia", "9125", "9125"},
    {"24333", "IVA liquidado - taxa reduzida", "9125", "9125"},
    {"245", "Contribuições para a Segurança Social", "9126", "9126"},
    {"6", "Gastos"},
    {"61", "Custo das mercadorias vendidas e das matérias consumidas"},
    {"611", "Mercadorias", "96111", "96111"},
    {"62", "Fornecimentos e serviços externos"},
    {"621", "Subcontratos", "9621", "9621"},
    {"622", "Serviços especializados"},
    {"6221", "Trabalhos especializados", "96221", "96221"},
    {"6222", "Publicidade e propaganda", "96222", "96222"},
    {"6223", "Vigilância e segurança", "96223", "96223"},
    {"6226", "Conservação e reparação", "96226", "96226"},
    {"624", "Energia e fluidos"},
    {"6241", "Eletricidade", "96241", "96241"},
    {"6242", "Combustíveis", "96242", "96242"},
    {"6243", "Água", "96243", "96243"},
    {"625", "Deslocações, estadas e transportes"},
    {"6251", "Deslocações e estadas", "96251", "96251"},
    {"626", "Serviços diversos"},
    {"6261", "Rendas e alugueres", "96261", "96261"},
    {"6262", "Comunicação", "96262", "96262"},
    {"6263", "Seguros", "96263", "96263"},
    {"6267", "Limpeza, higiene e conforto", "96267", "96267"},
    {"63", "Gastos com o pessoal"},
    {"632", "Remunerações do pessoal", "9632", "9632"},
    {"635", "Encargos sobre remunerações", "9635", "9635"},
    {"68", "Outros gastos"},
    {"688", "Outros"},
    {"6881", "Outros gastos não especificados"},
    {"7", "Rendimentos"},
    {"71", "Vendas"},
    {"711", "Mercadoria", "9711", "9711"},
    {"72", "Prestações de serviços"},
    {"721", "Serviços de gestão e consultoria", "9721", "9721"},
    {"722", "Comissões de mediação", "9722", "9722"},
    {"9", "Contabilidade analítica"},
    {"91", "Contas refletidas"},
    {"911", "Meios financeiros refletidos"},
    {"9111", "Caixa refletida"},
    {"9112", "Depósitos à ordem refletidos"},
    {"91121", "Depósitos à ordem refletidos - entradas"},
    {"91122", "Depósitos à ordem refletidos - saídas"},
    {"912", "Terceiros refletidos"},
    {"9121", "Clientes refletida"},
    {"9122", "Fornecedores refletida"},
    {"9123", "Pessoal refletida"},
    {"9124", "IVA dedutível refletido"},
    {"9125", "IVA liquidado refletido"},
    {"9126", "Segurança Social refletida"},
    {"96", "Gastos por natureza"},
    {"961", "Custo das mercadorias vendidas"},
    {"9611", "Mercadorias"},
    {"96111", "Mercadorias - atividade corrente"},
    {"96112", "Mercadorias - projetos especiais"},
    {"962", "Fornecimentos e serviços externos"},
    {"9621", "Subcontratos"},
    {"9622", "Serviços especializados"},
    {"96221", "Trabalhos especializados"},
    {"96222", "Publicidade e propaganda"},
    {"96223", "Vigilância e segurança"},
    {"96226", "Conservação e reparação"},
    {"9624", "Energia e fluidos"},
    {"96241", "Eletricidade"},
    {"96242", "Combustíveis"},
    {"96243", "Água"},
    {"9625", "Deslocações, estadas e transportes"},
    {"96251", "Deslocações e estadas"},
    {"9626", "Serviços diversos"},
    {"96261", "Rendas e alugueres"},
    {"96262", "Comunicação"},
    {"96263", "Seguros"},
    {"96267", "Limpeza, higiene e conforto"},
    {"963", "Gastos com o pessoal"},
    {"9632", "Remunerações do pessoal"},
    {"9635", "Encargos sobre remunerações"},
    {"97", "Rendimentos por natureza"},
    {"971", "Vendas"},
    {"9711", "Mercadoria"},
    {"972", "Prestações de serviços"},
    {"9721", "Serviços de gestão e consultoria"},
    {"9722", "Comissões de mediação"},
    {"99", "Ajustamentos de consolidação"},
    {"999", "Arredondamentos"},
    {"9999", "Arredondamentos de consolidação"},
};

// The costing codes whose lines the class-9 integration posts to 96112 whatever the chart says.
const QString kProjectAccount = QStringLiteral("96112");
bool isProjectCosting(const QString& custeio) {
    return custeio == QLatin1String("P00631") || custeio == QLatin1String("P00763");
}

struct CodeDef {
    const char* code;
    const char* descr;
};

const CodeDef kSectors[] = {{"01", "Sede"},
                            {"02", "Comercial"},
                            {"03", "Administrativo e financeiro"},
                            {"04", "Operações"}};

const CodeDef kJournals[] = {{"01", "Compras"},
                             {"02", "Vendas"},
                             {"03", "Caixa"},
                             {"04", "Bancos"},
                             {"05", "Operações diversas"},
                             {"09", "Contabilidade analítica"}};

struct DocTypeDef {
    const char* code;
    const char* descr;
    const char* journal;
};

const DocTypeDef kDocTypes[] = {
    {"FC", "Faturas de fornecedores", "01"},
    {"FT", "Faturas a clientes", "02"},
    {"CX", "Movimentos de caixa", "03"},
    {"RC", "Recebimentos", "04"},
    {"PG", "Pagamentos", "04"},
    {"SAL", "Processamento de salários", "05"},
    {"OD", "Operações diversas", "05"},
    {"CL9", "Integração da classe 9", "09"},
    {"CNS", "Consolidação", "09"},
};

const CodeDef kBudgetHeadings[] = {
    {"R01", "Compras de mercadorias"}, {"R02", "Fornecimentos e serviços externos"},
    {"R03", "Gastos com o pessoal"},   {"R04", "Vendas"},
    {"R05", "Prestações de serviços"}, {"R06", "Investimento"}};

const CodeDef kCostCentres[] = {{"CC100", "Administração"},
                                {"CC200", "Comercial"},
                                {"CC300", "Produção"},
                                {"CC400", "Logística"},
                                {"CC500", "Projetos"}};

const CodeDef kCostings[] = {{"P00100", "Estrutura geral"},
                             {"P00210", "Projeto Alfa"},
                             {"P00350", "Projeto Beta"},
                             {"P00631", "Projeto mediação de seguros"},
                             {"P00763", "Projeto logística Norte"},
                             {"P00800", "Formação"}};

struct VatDef {
    const char* code;
    const char* descr;
    int rate;  // percent
    const char* account;
};

const VatDef kVatCodes[] = {{"C23", "IVA dedutível 23%", 23, "24321"},
                            {"C13", "IVA dedutível 13%", 13, "24322"},
                            {"C06", "IVA dedutível 6%", 6, "24323"},
                            {"V23", "IVA liquidado 23%", 23, "24331"},
                            {"V13", "IVA liquidado 13%", 13, "24332"},
                            {"V06", "IVA liquidado 6%", 6, "24333"},
                            {"ISE", "Isento", 0, nullptr}};

const CodeDef kCashFlows[] = {{"1101", "Recebimentos de clientes"},
                              {"1102", "Pagamentos a fornecedores"},
                              {"1103", "Pagamentos ao pessoal"},
                              {"1104", "Pagamento/recebimento do imposto sobre o rendimento"},
                              {"1105", "Outros recebimentos/pagamentos"}};

struct PartyDef {
    const char* code;
    const char* name;
    const char* locality;
    const char* accounts;  // suppliers: the expense accounts they invoice, space-separated
};

const PartyDef kSuppliers[] = {
    {"F0001", "Luzenergia - Comercialização de Energia, S.A.", "Lisboa", "6241"},
    {"F0002", "Águas do Vale, E.M.", "Coimbra", "6243"},
    {"F0003", "Combustíveis do Centro, Lda", "Leiria", "6242"},
    {"F0004", "Telecom Lusitana, S.A.", "Lisboa", "6262"},
    {"F0005", "Seguradora Atlântica, S.A.", "Porto", "6263"},
    {"F0006", "Imobiliária Sol Nascente, S.A.", "Lisboa", "6261"},
    {"F0007", "Limpezas Brilho, Lda", "Porto", "6267"},
    {"F0008", "Vigilância Segura, Lda", "Braga", "6223"},
    {"F0009", "Consultores Associados, Lda", "Lisboa", "6221"},
    {"F0010", "Gráfica Moderna, Lda", "Aveiro", "6222"},
    {"F0011", "Informática Global, Lda", "Porto", "6226 6221"},
    {"F0012", "Agroquímica do Sul, S.A.", "Évora", "611"},
    {"F0013", "Sementes e Adubos Ribatejo, Lda", "Santarém", "611"},
    {"F0014", "Transportes Rápidos do Norte, Lda", "Braga", "621"},
    {"F0015", "Oficina Mecânica Central, Lda", "Viseu", "6226"},
    {"F0016", "Máquinas Agrícolas Beira, S.A.", "Viseu", "611 6226"},
};

const PartyDef kCustomers[] = {
    {"C0001", "Agrícola do Mondego, Lda", "Coimbra", nullptr},
    {"C0002", "Quinta das Oliveiras, S.A.", "Santarém", nullptr},
    {"C0003", "Cooperativa Agrícola de Beja, CRL", "Beja", nullptr},
    {"C0004", "Vinhos do Douro Superior, Lda", "Vila Real", nullptr},
    {"C0005", "Horto Verde, Lda", "Braga", nullptr},
    {"C0006", "Lacticínios da Serra, S.A.", "Guarda", nullptr},
    {"C0007", "Frutas do Oeste, Lda", "Leiria", nullptr},
    {"C0008", "Mediterrâneo Distribuição, S.A.", "Faro", nullptr},
    {"C0009", "Pecuária Alentejana, Lda", "Évora", nullptr},
    {"C0010", "Florestal Beira, Lda", "Viseu", nullptr},
    {"C0011", "Adega Cooperativa de Palmela, CRL", "Setúbal", nullptr},
    {"C0012", "Moagem Ribatejo, S.A.", "Santarém", nullptr},
    {"C0013", "Hortícolas do Algarve, Lda", "Faro", nullptr},
    {"C0014", "Azeites da Beira Baixa, Lda", "Castelo Branco", nullptr},
};

struct ExpenseDef {
    const char* account;
    const char* vat;
    int minimum;  // whole units of the company's currency
    int maximum;
};

const ExpenseDef kExpenses[] = {
    {"611", "C23", 500, 8000},  {"621", "C23", 300, 4000},  {"6221", "C23", 150, 3000},
    {"6222", "C23", 100, 1500}, {"6223", "C23", 200, 900},  {"6226", "C23", 80, 1200},
    {"6241", "C23", 120, 900},  {"6242", "C23", 40, 400},   {"6243", "C06", 20, 150},
    {"6251", "C13", 15, 250},   {"6261", "ISE", 400, 2500}, {"6262", "C23", 30, 300},
    {"6263", "ISE", 100, 2000}, {"6267", "C23", 50, 400},
};

const ExpenseDef& expense(const QString& account) {
    for (const ExpenseDef& def : kExpenses)
        if (account == QLatin1String(def.account))
            return def;
    throw std::logic_error("conta de gasto sem definição");
}

const VatDef& vatCode(const QString& code) {
    for (const VatDef& def : kVatCodes)
        if (code == QLatin1String(def.code))
            return def;
    throw std::logic_error("código de IVA sem definição");
}

// A Portuguese company tax number: 5, seven digits made from `seed`, the check digit.
QString taxNumber(int seed) {
    QString digits = QStringLiteral("5") + QString::number(1000000 + (seed * 7919) % 9000000);
    int sum = 0;
    for (int i = 0; i < 8; ++i)
        sum += digits.at(i).digitValue() * (9 - i);
    const int check = 11 - sum % 11;
    return digits + QString::number(check >= 10 ? 0 : check);
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

// Adds rows through an updatable result set, as the program itself writes.
void addRows(DataAccess& db, const QString& table, const QStringList& columns,
             const QList<Params>& rows) {
    UpdatableRecordset recordset = db.openUpdatable(table, QStringLiteral("1 = 0"));
    for (const Params& row : rows) {
        recordset.addNew();
        for (qsizetype i = 0; i < columns.size(); ++i)
            recordset.setField(columns.at(i), row.at(i));
        recordset.update();
    }
}

Value optionalText(const char* utf8) {
    return utf8 ? Value(text(utf8)) : Value();
}

QStringList names(std::initializer_list<const char*> list) {
    QStringList result;
    for (const char* name : list)
        result << QString::fromLatin1(name);
    return result;
}

// Last numbers used, per document type and per journal, and documents per journal and month.
struct Numbering {
    QMap<QString, int> documents;
    QMap<QString, int> journals;
    QMap<QPair<QString, int>, int> journalMonths;
};

void writeNumerators(DataAccess& db, int year, const Numbering& numbering) {
    QList<Params> documents;
    QList<Params> journals;
    for (int y : {year - 1, year}) {
        for (const DocTypeDef& type : kDocTypes) {
            const QString code = QString::fromLatin1(type.code);
            documents << Params{y, QStringLiteral("1"), code,
                                y == year ? numbering.documents.value(code) : 0};
        }
        for (const CodeDef& journal : kJournals) {
            const QString code = QString::fromLatin1(journal.code);
            for (int month = 0; month <= 12; ++month) {
                int number = 0;
                if (y == year)
                    number = month == 0 ? numbering.journals.value(code)
                                        : numbering.journalMonths.value({code, month});
                journals << Params{y, code, month, number};
            }
        }
    }
    addRows(db, QStringLiteral("NumDoc"), names({"Ano", "Serie", "Doc", "Num"}), documents);
    addRows(db, QStringLiteral("NumDiar"), names({"Ano", "Diario", "Mes", "Numerado"}), journals);
}

// Builds a company's documents month by month, numbering them as the ERP would.
class MovementGenerator {
public:
    MovementGenerator(const Company& company, const SeedOptions& options)
        : options_(options),
          random_(options.seed * 1000003ull + static_cast<std::uint64_t>(company.bd)) {
        for (int month = 1; month <= options_.lastMonth; ++month)
            weights_ += month <= options_.class9Months ? 2 : 1;
        const int scale[] = {100, 150, 60, 80, 70, 90};
        scale_ = scale[(company.bd - 1) % 6];
        trades_ = company.bd == 1 || company.bd >= 4;
        revenue_ = company.bd == 2   ? QStringList{QStringLiteral("721")}
                   : company.bd == 3 ? QStringList{QStringLiteral("722")}
                                     : QStringList{QStringLiteral("711"), QStringLiteral("721")};
        for (const PartyDef& supplier : kSuppliers) {
            const QStringList accounts =
                QString::fromLatin1(supplier.accounts).split(QLatin1Char(' '));
            if (!trades_ && accounts == QStringList{QStringLiteral("611")})
                continue;
            suppliers_ << &supplier;
        }
        for (const PartyDef& customer : kCustomers)
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
            emitDocument(draft, month, out);
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

    QString pickCode(const CodeDef* defs, size_t count) {
        return QString::fromLatin1(
            defs[random_.between(0, static_cast<std::int64_t>(count) - 1)].code);
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
        line.cCustOrc = pickCode(kCostCentres, std::size(kCostCentres));
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
            Movement vat = plainLine(QString::fromLatin1(def.account), baseSide,
                                     divideHalfEven(it.value() * def.rate, 100));
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
        const std::int64_t charges = divideHalfEven(gross * 2375, 10000);
        const std::int64_t withheld = divideHalfEven(gross * 11, 100);
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

    void emitDocument(Draft& draft, int month, std::vector<Movement>& out) {
        static const QStringList operators{QStringLiteral("ANA.SILVA"), QStringLiteral("RUI.COSTA"),
                                           QStringLiteral("MARTA.REIS")};
        const int number = ++numbering_.documents[draft.tpDoc];
        const int journalNumber = ++numbering_.journals[draft.diario];
        ++numbering_.journalMonths[{draft.diario, month}];
        ++documents_;
        if (draft.ref.isEmpty())
            draft.ref = QStringLiteral("%1 %2/%3").arg(draft.tpDoc).arg(options_.year).arg(number);
        const QString sector = pickCode(kSectors, std::size(kSectors));
        const QString& operador = random_.pick(operators);
        const QDate entered = draft.date.addDays(random_.between(0, 4));
        const QDateTime enteredAt = naiveDateTime(
            entered, QTime(8, 30).addSecs(static_cast<int>(random_.between(0, 10LL * 3600))));
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
            line.conta = isProjectCosting(line.custeio) ? kProjectAccount
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

void removeDatabaseFile(const QString& file) {
    QFile::remove(file);
    QFile::remove(file + QStringLiteral("-journal"));
    QFile::remove(file + QStringLiteral("-wal"));
    QFile::remove(file + QStringLiteral("-shm"));
}

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

ExistingFileError::ExistingFileError(const QString& file)
    : Error(QStringLiteral("Já existe o ficheiro %1").arg(QDir::toNativeSeparators(file))),
      file_(file) {}

const QList<Company>& companies() {
    static const QList<Company> list{
        {1, QStringLiteral("Velmor"), QStringLiteral("Velmor.db"), QStringLiteral("EUR")},
        {2, QStringLiteral("Velmor Holding"), QStringLiteral("VelmorHolding.db"),
         QStringLiteral("EUR")},
        {3, text("Velmor Mediação"), QStringLiteral("VelmorMediacao.db"), QStringLiteral("EUR")},
        {4, QStringLiteral("Velmor Norte"), QStringLiteral("VelmorNorte.db"),
         QStringLiteral("EUR")},
        {5, QStringLiteral("Velmor Centro"), QStringLiteral("VelmorCentro.db"),
         QStringLiteral("EUR")},
        {6, QStringLiteral("Velmor Sul"), QStringLiteral("VelmorSul.db"), QStringLiteral("USD")},
    };
    return list;
}

QString consolidatedFileName() {
    return QStringLiteral("Consolidado.db");
}
QString configFileName() {
    return QStringLiteral("Agrimor.zeb");
}

std::int64_t SeedSummary::documents() const {
    std::int64_t sum = 0;
    for (const CompanySummary& company : companies)
        sum += company.documents;
    return sum;
}

std::int64_t SeedSummary::lines() const {
    std::int64_t sum = 0;
    for (const CompanySummary& company : companies)
        sum += company.lines;
    return sum;
}

QString class9Account(const QString& account, int dbCr) {
    for (const AccountDef& def : kChart) {
        if (account != QLatin1String(def.conta))
            continue;
        const char* mapped = dbCr == 1 ? def.cl9dd : dbCr == 2 ? def.cl9cc : nullptr;
        return mapped ? QString::fromLatin1(mapped) : QString();
    }
    return {};
}

std::unique_ptr<DataAccess> createCompanyDatabase(const QString& file) {
    if (QFileInfo::exists(file))
        throw ExistingFileError(file);
    std::shared_ptr<Engine> engine = SqliteEngine::open(file, true);
    engine->begin();
    createErpTables(*engine);
    engine->commit();
    auto db = std::make_unique<DataAccess>();
    db->adopt(std::move(engine));
    return db;
}

std::unique_ptr<DataAccess> openDatabase(const QString& file) {
    const QFileInfo info(file);
    ConnectionSettings settings;
    settings.server = QStringLiteral("sqlite");
    settings.database = info.fileName();
    settings.dataFolder = info.absolutePath();
    auto db = std::make_unique<DataAccess>();
    db->connect(settings);
    return db;
}

void seedMasterData(DataAccess& db, const QList<int>& years) {
    Transaction transaction(db);

    QList<Params> accounts;
    for (int year : years) {
        for (const AccountDef& def : kChart) {
            const QString code = QString::fromLatin1(def.conta);
            bool heading = false;
            for (const AccountDef& other : kChart)
                heading = heading || (QLatin1String(other.conta).size() > code.size() &&
                                      QLatin1String(other.conta).startsWith(code));
            accounts << Params{code,
                               year,
                               text(def.descr),
                               heading ? 1 : 0,
                               static_cast<int>(std::min<qsizetype>(code.size(), 5)),
                               optionalText(def.cl9dd),
                               optionalText(def.cl9cc)};
        }
    }
    addRows(db, QStringLiteral("POC"),
            names({"Conta", "Exercicio", "Descr", "NivInt", "Grau", "cl9dd", "cl9cc"}), accounts);

    QList<Params> types;
    for (const DocTypeDef& def : kDocTypes)
        types << Params{QString::fromLatin1(def.code), text(def.descr),
                        QString::fromLatin1(def.journal)};
    addRows(db, QStringLiteral("TpDoc"), names({"Codigo", "Descr", "Diario"}), types);

    const auto codes = [&](const QString& table, const QStringList& columns, const CodeDef* defs,
                           size_t count) {
        QList<Params> rows;
        for (size_t i = 0; i < count; ++i)
            rows << Params{QString::fromLatin1(defs[i].code), text(defs[i].descr)};
        addRows(db, table, columns, rows);
    };
    codes(QStringLiteral("Sectores"), names({"Codigo", "Descr"}), kSectors, std::size(kSectors));
    codes(QStringLiteral("DIARIO"), names({"Codigo", "Descr"}), kJournals, std::size(kJournals));
    codes(QStringLiteral("RUBRORC"), names({"Cod", "Descr"}), kBudgetHeadings,
          std::size(kBudgetHeadings));
    codes(QStringLiteral("CCusto"), names({"Cod", "Descr"}), kCostCentres, std::size(kCostCentres));
    codes(QStringLiteral("Custeio"), names({"Custeio", "Descr"}), kCostings, std::size(kCostings));

    QList<Params> vat;
    QList<Params> flows;
    for (int year : years) {
        for (const VatDef& def : kVatCodes)
            vat << Params{QString::fromLatin1(def.code), year, text(def.descr),
                          Money::fromWhole(def.rate), optionalText(def.account)};
        for (const CodeDef& def : kCashFlows)
            flows << Params{QString::fromLatin1(def.code), year, text(def.descr)};
    }
    addRows(db, QStringLiteral("PLAIVA"), names({"CodIva", "Exercicio", "Descr", "Taxa", "CNTIVA"}),
            vat);
    addRows(db, QStringLiteral("PLFLUX"), names({"CodFlux", "Exercicio", "Descr"}), flows);

    const auto parties = [&](const QString& table, const PartyDef* defs, size_t count, int kind) {
        QList<Params> rows;
        for (size_t i = 0; i < count; ++i)
            rows << Params{QString::fromLatin1(defs[i].code), text(defs[i].name),
                           taxNumber(static_cast<int>(i) + (kind == 1 ? 100 : 500)),
                           text(defs[i].locality)};
        addRows(db, table, names({"Codigo", "Nome", "NCont", "Localidade"}), rows);
    };
    parties(QStringLiteral("Fornec"), kSuppliers, std::size(kSuppliers), 1);
    parties(QStringLiteral("Clientes"), kCustomers, std::size(kCustomers), 2);

    transaction.commit();
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

std::vector<Rate> demoRates(const QString& currency, const SeedOptions& options) {
    std::vector<Rate> rates;
    if (needsNoRate(currency))
        return rates;
    std::uint64_t salt = 0;
    for (QChar c : currency)
        salt = salt * 131 + c.unicode();
    Random random(options.seed ^ salt);
    std::int64_t units = 10400;  // 1.0400 of the currency per euro
    for (int year : {options.year - 1, options.year}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 8, 15, 22}) {
                QDate date(year, month, day);
                while (date.dayOfWeek() > 5)
                    date = date.addDays(1);
                units = std::clamp<std::int64_t>(units + random.between(-80, 80), 10200, 11900);
                rates.push_back({date, Money::fromUnits(units)});
            }
        }
    }
    return rates;
}

void seedConsolidation(DataAccess& db, const SeedOptions& options) {
    ensureOwnTables(db);
    Transaction transaction(db);
    QList<Params> settings;
    QList<Params> parameters;
    QList<Params> rates;
    const QDate nextRun(options.year, std::min(options.lastMonth + 1, 12), 1);
    for (const Company& company : companies()) {
        settings << Params{company.bd,
                           QStringLiteral("01"),
                           QStringLiteral("CNS"),
                           QString::number(company.bd),
                           nextRun,
                           QString(),
                           company.currency,
                           QStringLiteral("9999"),
                           QStringLiteral("CL9"),
                           QStringLiteral("1"),
                           QStringLiteral("09"),
                           0};
        parameters << Params{company.bd, QStringLiteral("sqlite"), QStringLiteral("demo"),
                             QString(), company.file};
        for (const Rate& rate : demoRates(company.currency, options))
            rates << Params{company.currency, rate.date, rate.rate};
    }
    addRows(db, QStringLiteral("zeb_CNS_DadosIniciais"),
            names({"BD", "Setor", "TpDoc", "Serie", "DataMov", "UltimoMes", "Moeda", "ContaArred",
                   "TpDocCL9", "SerieCL9", "DiarioCL9", "AteMes"}),
            settings);
    addRows(db, QStringLiteral("zeb_CNS_Parametros"),
            names({"BD", "Servidor", "Utilizador", "Password", "Empresa"}), parameters);
    // Two companies in the same currency share its rates.
    QList<Params> uniqueRates;
    QSet<QString> seen;
    for (const Params& rate : rates) {
        const QString key = rate.at(0).toText() + QLatin1Char('|') + rate.at(1).toText();
        if (!seen.contains(key)) {
            seen.insert(key);
            uniqueRates << rate;
        }
    }
    addRows(db, QStringLiteral("zeb_CNS_Cambios"), names({"Moeda", "Data", "Cambio"}), uniqueRates);
    transaction.commit();
}

void writeConfigFile(const QString& folder, const QString& databaseFile) {
    QFile file(QDir(folder).filePath(configFileName()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("Não foi possível escrever %1: %2")
                        .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    const QString content =
        QStringLiteral("[Database]\nServer=sqlite\nDatabase=%1\nUser=demo\nPassword=\n")
            .arg(databaseFile);
    file.write(content.toUtf8());
}

SeedSummary seedDemo(const QString& folder, const SeedOptions& options) {
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("Não foi possível criar a pasta %1")
                        .arg(QDir::toNativeSeparators(folder)));
    const QDir dir(folder);
    QStringList databases{dir.filePath(consolidatedFileName())};
    for (const Company& company : companies())
        databases << dir.filePath(company.file);
    const QString config = dir.filePath(configFileName());
    QStringList workbooks;
    for (const QString& name : sampleFileNames())
        workbooks << dir.filePath(name);
    for (const QString& file : databases + workbooks + QStringList{config}) {
        if (!QFileInfo::exists(file))
            continue;
        if (!options.force)
            throw ExistingFileError(file);
        removeDatabaseFile(file);
    }

    SeedSummary summary;
    summary.folder = folder;
    summary.companies.resize(static_cast<size_t>(companies().size()));
    const QList<int> years{options.year - 1, options.year};
    try {
        {
            auto consolidated = createCompanyDatabase(databases.front());
            seedMasterData(*consolidated, years);
            {
                Transaction transaction(*consolidated);
                writeNumerators(*consolidated, options.year, {});
                transaction.commit();
            }
            seedConsolidation(*consolidated, options);
        }
        // Each company is its own file and connection, so companies are seeded side by side.
        std::atomic<int> nextCompany{0};
        std::atomic<bool> failed{false};
        const auto worker = [&] {
            try {
                for (int i = nextCompany++; i < companies().size() && !failed; i = nextCompany++) {
                    const Company& company = companies().at(i);
                    auto db = createCompanyDatabase(databases.at(i + 1));
                    seedMasterData(*db, years);
                    summary.companies[static_cast<size_t>(i)] =
                        seedMovements(*db, company, options);
                }
            } catch (...) {
                failed = true;
                throw;
            }
        };
        std::vector<std::future<void>> workers;
        const int threads = std::clamp(options.threads, 1, static_cast<int>(companies().size()));
        for (int t = 0; t < threads; ++t)
            workers.push_back(std::async(std::launch::async, worker));
        std::exception_ptr failure;
        for (auto& running : workers) {
            try {
                running.get();
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
            }
        }
        if (failure)
            std::rethrow_exception(failure);
        writeSampleWorkbooks(folder, options);
        writeConfigFile(folder, consolidatedFileName());
    } catch (...) {
        // A half-built demo would pass for a whole one.
        for (const QString& file : databases)
            removeDatabaseFile(file);
        for (const QString& file : workbooks)
            QFile::remove(file);
        QFile::remove(config);
        throw;
    }
    return summary;
}

}  // namespace agrimor::demo
