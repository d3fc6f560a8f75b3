#include "class9/screen/account_lookup.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/twips.h"

namespace agrimor {

namespace {

constexpr int kWidth = twipsToPixels(5500);
constexpr int kAccountColumn = twipsToPixels(1000);
constexpr int kDescriptionColumn = twipsToPixels(4000);

}  // namespace

AccountLookup::AccountLookup(const std::vector<Class9Account>& accounts, QWidget* parent)
    : QDialog(parent), table_(new QTableWidget(static_cast<int>(accounts.size()), 2, this)) {
    setObjectName(QStringLiteral("ContasClasse9"));
    setWindowTitle(QStringLiteral("Contas Classe 9"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Conta"), QStringLiteral("Descrição")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    for (int row = 0; row < static_cast<int>(accounts.size()); ++row) {
        const Class9Account& account = accounts[static_cast<std::size_t>(row)];
        table_->setItem(row, 0, new QTableWidgetItem(account.conta));
        table_->setItem(row, 1, new QTableWidgetItem(account.descr));
    }
    table_->setColumnWidth(0, kAccountColumn);
    table_->setColumnWidth(1, kDescriptionColumn);
    if (!accounts.empty())
        table_->setCurrentCell(0, 0);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(kWidth, 320);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });
}

QString AccountLookup::chosen() const {
    if (result() != QDialog::Accepted || table_->currentRow() < 0)
        return {};
    return table_->item(table_->currentRow(), 0)->text();
}

}  // namespace agrimor
