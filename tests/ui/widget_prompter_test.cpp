#include "ui/widget_prompter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

namespace agrimor {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
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

// Enter takes the safe answer of a question (Cancel before a write, Yes to a yes/no), Escape the
// negative one, and a message shows its text literally, never as markup.
TEST(WidgetPrompter, enter_and_escape_take_each_kinds_default_and_texts_stay_plain) {
    const auto key = [](Qt::Key key) {
        return [key](QMessageBox& box) { QTest::keyClick(&box, key); };
    };
    const auto click = [](const char* caption) {
        return [caption](QMessageBox& box) {
            for (QAbstractButton* button : box.buttons())
                if (button->text() == text(caption))
                    return button->click();
            ADD_FAILURE() << caption;
            box.reject();
        };
    };
    const Prompt okCancel = promptOf(PromptKind::OkCancel, "Confirma a integração?");
    const Prompt yesNo = promptOf(PromptKind::YesNo, "Apagar?");
    EXPECT_EQ(askAndAct(okCancel, key(Qt::Key_Return)), Answer::Cancel);
    EXPECT_EQ(askAndAct(okCancel, key(Qt::Key_Escape)), Answer::Cancel);
    EXPECT_EQ(askAndAct(okCancel, click("OK")), Answer::Ok);
    EXPECT_EQ(askAndAct(yesNo, key(Qt::Key_Return)), Answer::Yes);
    EXPECT_EQ(askAndAct(yesNo, key(Qt::Key_Escape)), Answer::No);
    EXPECT_EQ(askAndAct(yesNo, click("Não")), Answer::No);

    const Prompt message =
        promptOf(PromptKind::Titled, "Conta <b>71</b> inexistente", PromptIcon::Error);
    EXPECT_EQ(askAndAct(message,
                        [](QMessageBox& box) {
                            EXPECT_EQ(box.textFormat(), Qt::PlainText);
                            EXPECT_EQ(box.text(), text("Conta <b>71</b> inexistente"));
                            QTest::keyClick(&box, Qt::Key_Escape);
                        }),
              Answer::Ok);
}

}  // namespace
}  // namespace agrimor
