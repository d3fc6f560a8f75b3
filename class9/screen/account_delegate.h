#pragma once

#include <QLineEdit>
#include <QStyledItemDelegate>
#include <functional>

class QAction;

namespace agrimor {

// The editor of a class-9 account cell: the account (at most 15 characters) with a button at its
// end that opens the lookup list of the year's class-9 accounts.
class AccountEditor : public QLineEdit {
    Q_OBJECT
public:
    explicit AccountEditor(QWidget* parent = nullptr);

    QAction* lookupAction() const { return lookup_; }

signals:
    void lookupRequested();

private:
    QAction* lookup_;
};

// Edits the class-9 column. A changed account is written into the model only when `accept`
// takes it (it tells the user why not); otherwise the cell keeps its previous account. The
// lookup button asks `lookup` for an account: one chosen is put in the cell and validated as if
// typed; none leaves the cell as it was.
class AccountDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using Accept = std::function<bool(const QString& typed)>;
    using Lookup = std::function<QString()>;

    AccountDelegate(Accept accept, Lookup lookup, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

signals:
    // After an edit was refused and the cell restored.
    void refused() const;

private:
    void lookUp(AccountEditor* editor);

    Accept accept_;
    Lookup lookup_;
    // A message shown while validating takes the focus from the editor, which would commit it
    // again: that second commit is ignored.
    mutable bool validating_ = false;
};

}  // namespace agrimor
