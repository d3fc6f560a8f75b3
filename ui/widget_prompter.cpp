#include "ui/widget_prompter.h"

#include <QMessageBox>
#include <QPushButton>

namespace agrimor {

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Exclamation:
            return QMessageBox::Warning;
        case PromptIcon::Error:
            return QMessageBox::Critical;
        case PromptIcon::Information:
            break;
    }
    return QMessageBox::Information;
}

}  // namespace

Answer WidgetPrompter::ask(const Prompt& prompt) {
    QMessageBox box(parent_.data());
    box.setWindowTitle(prompt.title);
    // Messages carry data (codes, names, file paths): never let them be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(prompt.text);
    box.setIcon(boxIcon(prompt.icon));

    switch (prompt.kind) {
        case PromptKind::OkCancel: {
            QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
            QPushButton* cancel =
                box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
            box.setDefaultButton(cancel);
            box.setEscapeButton(cancel);
            box.exec();
            return box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
        }
        case PromptKind::YesNo: {
            QPushButton* yes = box.addButton(QStringLiteral("Sim"), QMessageBox::YesRole);
            QPushButton* no = box.addButton(QStringLiteral("Não"), QMessageBox::NoRole);
            box.setDefaultButton(yes);
            box.setEscapeButton(no);
            box.exec();
            return box.clickedButton() == yes ? Answer::Yes : Answer::No;
        }
        case PromptKind::MandatoryField:
        case PromptKind::Information:
        case PromptKind::Titled:
            break;
    }
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return Answer::Ok;
}

}  // namespace agrimor
