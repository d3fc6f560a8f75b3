#include "tools/seeder/master_data.h"

#include <stdexcept>

#include "data/data_access.h"
#include "tools/seeder/demo_seeder.h"
#include "tools/seeder/seeding.h"

namespace agrimor::demo {

namespace {

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

const ExpenseDef kExpenses[] = {
    {"611", "C23", 500, 8000},  {"621", "C23", 300, 4000},  {"6221", "C23", 150, 3000},
    {"6222", "C23", 100, 1500}, {"6223", "C23", 200, 900},  {"6226", "C23", 80, 1200},
    {"6241", "C23", 120, 900},  {"6242", "C23", 40, 400},   {"6243", "C06", 20, 150},
    {"6251", "C13", 15, 250},   {"6261", "ISE", 400, 2500}, {"6262", "C23", 30, 300},
    {"6263", "ISE", 100, 2000}, {"6267", "C23", 50, 400},
};

}  // namespace

std::span<const CodeDef> sectors() {
    return kSectors;
}
std::span<const CodeDef> journals() {
    return kJournals;
}
std::span<const CodeDef> costCentres() {
    return kCostCentres;
}
std::span<const DocTypeDef> documentTypes() {
    return kDocTypes;
}
std::span<const PartyDef> suppliers() {
    return kSuppliers;
}
std::span<const PartyDef> customers() {
    return kCustomers;
}

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

QString taxNumber(int seed) {
    QString digits = QStringLiteral("5") + QString::number(1000000 + (seed * 7919) % 9000000);
    int sum = 0;
    for (int i = 0; i < 8; ++i)
        sum += digits.at(i).digitValue() * (9 - i);
    const int check = 11 - sum % 11;
    return digits + QString::number(check >= 10 ? 0 : check);
}

bool isProjectCosting(const QString& custeio) {
    return custeio == QLatin1String("P00631") || custeio == QLatin1String("P00763");
}

QString projectAccount() {
    return QStringLiteral("96112");
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

}  // namespace agrimor::demo
