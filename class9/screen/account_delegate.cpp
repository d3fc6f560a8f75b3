#include "class9/screen/account_delegate.h"

#include <QAction>
#include <QStyle>

#include "class9/working_set.h"

namespace agrimor {

AccountEditor::AccountEditor(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("ContaClasse9"));
    setMaxLength(Class9WorkingSet::kAccountWidth);
    setFrame(false);
    lookup_ = addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView),
                        QLineEdit::TrailingPosition);
    lookup_->setObjectName(QStringLiteral("btContasClasse9"));
    lookup_->setToolTip(QStringLiteral("Contas Classe 9"));
    connect(lookup_, &QAction::triggered, this, &AccountEditor::lookupRequested);
}

AccountDelegate::AccountDelegate(Accept accept, Lookup lookup, QObject* parent)
    : QStyledItemDelegate(parent), accept_(std::move(accept)), lookup_(std::move(lookup)) {}

QWidget* AccountDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex&) const {
    auto* editor = new AccountEditor(parent);
    connect(editor, &AccountEditor::lookupRequested, this,
            [self = const_cast<AccountDelegate*>(this), editor] { self->lookUp(editor); });
    return editor;
}

void AccountDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    static_cast<AccountEditor*>(editor)->setText(index.data(Qt::EditRole).toString());
}

void AccountDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                   const QModelIndex& index) const {
    if (validating_)
        return;
    const QString typed = static_cast<AccountEditor*>(editor)->text();
    if (typed == index.data(Qt::EditRole).toString())
        return;  // not changed: nothing to check
    validating_ = true;
    const bool taken = accept_ && accept_(typed);
    validating_ = false;
    if (taken)
        model->setData(index, typed.trimmed(), Qt::EditRole);
    else
        emit refused();
}

void AccountDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                           const QModelIndex&) const {
    editor->setGeometry(option.rect);
}

void AccountDelegate::lookUp(AccountEditor* editor) {
    const QString chosen = lookup_ ? lookup_().trimmed() : QString();
    if (chosen.isEmpty()) {
        emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        return;
    }
    editor->setText(chosen);
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

}  // namespace agrimor
