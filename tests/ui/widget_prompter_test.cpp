#include "ui/widget_prompter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace agrimor {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList buttonTexts(const QMessageBox& box) {
    QStringList texts;
    for (QAbstractButton* button : box.buttons())
        texts << button->text();
    texts.sort();
    return texts;
}

QPushButton* buttonWithText(const QMessageBox& box, const QString& caption) {
    for (QAbstractButton* button : box.buttons())
        if (button->text() == caption)
            return qobject_cast<QPushButton*>(button);
    return nullptr;
}

// Asks `prompt` through the real message box and, once it is up, hands the box to `act`, which
// must close it.
Answer askAndAct(const Prompt& prompt, std::function<void(QMessageBox&)> act) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            act(*box);
        else
            QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
    WidgetPrompter prompter;
    const Answer answer = prompter.ask(prompt);
    *poll = nullptr;
    return answer;
}

Prompt promptOf(PromptKind kind, const char* message, PromptIcon icon = PromptIcon::Information) {
    Prompt prompt;
    prompt.kind = kind;
    prompt.title = text("Informação");
    prompt.text = text(message);
    prompt.icon = icon;
    return prompt;
}

TEST(WidgetPrompter, ok_cancel_has_portuguese_buttons_and_cancel_as_default) {
    const Prompt prompt = promptOf(PromptKind::OkCancel, "Confirma a integração?");
    const Answer pressedOk = askAndAct(prompt, [](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), text("Informação"));
        EXPECT_EQ(box.text(), text("Confirma a integração?"));
        EXPECT_EQ(box.icon(), QMessageBox::Information);
        EXPECT_EQ(buttonTexts(box), QStringList({text("Cancelar"), text("OK")}));
        ASSERT_NE(box.defaultButton(), nullptr);
        EXPECT_EQ(box.defaultButton()->text(), text("Cancelar"));
        buttonWithText(box, text("OK"))->click();
    });
    EXPECT_EQ(pressedOk, Answer::Ok);

    EXPECT_EQ(askAndAct(prompt, [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }),
              Answer::Cancel);
    EXPECT_EQ(askAndAct(prompt, [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              Answer::Cancel);
}

TEST(WidgetPrompter, yes_no_has_portuguese_buttons_and_yes_as_default) {
    const Prompt prompt = promptOf(PromptKind::YesNo, "Apagar?");
    const Answer pressedEnter = askAndAct(prompt, [](QMessageBox& box) {
        EXPECT_EQ(buttonTexts(box), QStringList({text("Não"), text("Sim")}));
        QTest::keyClick(&box, Qt::Key_Return);
    });
    EXPECT_EQ(pressedEnter, Answer::Yes);
    EXPECT_EQ(
        askAndAct(prompt, [](QMessageBox& box) { buttonWithText(box, text("Não"))->click(); }),
        Answer::No);
    EXPECT_EQ(askAndAct(prompt, [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }),
              Answer::No);
}

TEST(WidgetPrompter, messages_show_one_ok_button_and_their_text_literally) {
    Prompt prompt = promptOf(PromptKind::Titled, "Conta <b>71</b> inexistente", PromptIcon::Error);
    prompt.title = text("Corvane - Agrimor");
    const Answer answer = askAndAct(prompt, [](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), text("Corvane - Agrimor"));
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        EXPECT_EQ(box.textFormat(), Qt::PlainText);
        EXPECT_EQ(buttonTexts(box), QStringList({text("OK")}));
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    EXPECT_EQ(answer, Answer::Ok);

    const Prompt mandatory =
        promptOf(PromptKind::MandatoryField, "Campo obrigatório [Ano].", PromptIcon::Exclamation);
    askAndAct(mandatory, [](QMessageBox& box) {
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        buttonWithText(box, text("OK"))->click();
    });
}

}  // namespace
}  // namespace agrimor
