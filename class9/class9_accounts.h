#pragma once

#include <QString>
#include <vector>

namespace agrimor {

class DataAccess;
class Prompter;

// One class-9 account of the chart, as the lookup list shows it.
struct Class9Account {
    QString conta;
    QString descr;
};

// The class-9 accounts (code beginning with "9") of the chart of the typed year, by code. A year
// that is not a whole number has none. A database failure propagates (DbError).
std::vector<Class9Account> listClass9Accounts(DataAccess& company, const QString& yearText);

// Checks an account typed into the class-9 column and tells the user what is wrong with it:
// empty (trimmed): the mandatory-field message for "Conta"; not in the chart of the typed year:
// "Conta não existente!"; in the chart but not beginning with "9": "Conta Inválida!". Returns
// true when the account may be taken. A database failure propagates (DbError).
bool validateClass9Account(DataAccess& company, Prompter& prompter, const QString& yearText,
                           const QString& typed);

}  // namespace agrimor
