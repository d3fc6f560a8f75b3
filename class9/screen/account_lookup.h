#pragma once

#include <QDialog>
#include <vector>

#include "class9/class9_accounts.h"

class QTableWidget;

namespace agrimor {

// The lookup list "Contas Classe 9": the year's class-9 accounts with their descriptions. A
// double click, Enter or "OK" chooses the current account.
class AccountLookup : public QDialog {
    Q_OBJECT
public:
    explicit AccountLookup(const std::vector<Class9Account>& accounts, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    // The account chosen; empty unless the list was accepted on a row.
    QString chosen() const;

private:
    QTableWidget* table_;
};

}  // namespace agrimor
