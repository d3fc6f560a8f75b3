#include "core/message_box.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_prompter.h"

namespace agrimor {
namespace {

using test::ScriptedPrompter;

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST(MessageBox, mandatory_field_names_the_field_with_an_exclamation) {
    ScriptedPrompter prompter;
    EXPECT_EQ(messageBox(prompter, text("Ano"), text("ignored"), 1), 0);
    mandatoryField(prompter, text("Mês"));
    ASSERT_EQ(prompter.prompts().size(), 2u);
    const Prompt& shown = prompter.prompts()[0];
    EXPECT_EQ(shown.kind, PromptKind::MandatoryField);
    EXPECT_EQ(shown.title, text("Informação"));
    EXPECT_EQ(shown.icon, PromptIcon::Exclamation);
    EXPECT_EQ(prompter.texts(),
              QStringList({text("Campo obrigatório [Ano]."), text("Campo obrigatório [Mês].")}));
}

TEST(MessageBox, information_shows_the_message) {
    ScriptedPrompter prompter;
    EXPECT_EQ(messageBox(prompter, QString(), text("Processo concluído."), 2), 0);
    inform(prompter, text("Outra"));
    ASSERT_EQ(prompter.prompts().size(), 2u);
    EXPECT_EQ(prompter.prompts()[0].kind, PromptKind::Information);
    EXPECT_EQ(prompter.prompts()[0].icon, PromptIcon::Information);
    EXPECT_EQ(prompter.prompts()[0].title, text("Informação"));
    EXPECT_EQ(prompter.texts(), QStringList({text("Processo concluído."), text("Outra")}));
}

TEST(MessageBox, questions_give_1_or_2_for_ok_cancel_and_6_or_7_for_yes_no) {
    ScriptedPrompter prompter;
    for (Answer answer : {Answer::Ok, Answer::Cancel, Answer::Ok, Answer::Cancel, Answer::Yes,
                          Answer::No, Answer::Yes, Answer::No})
        prompter.answer(answer);
    EXPECT_EQ(messageBox(prompter, QString(), text("Confirma?"), 3), 1);
    EXPECT_EQ(messageBox(prompter, QString(), text("Confirma?"), 3), 2);
    EXPECT_TRUE(confirmOkCancel(prompter, text("Confirma?")));
    EXPECT_FALSE(confirmOkCancel(prompter, text("Confirma?")));
    EXPECT_EQ(messageBox(prompter, QString(), text("Apagar?"), 4), 6);
    EXPECT_EQ(messageBox(prompter, QString(), text("Apagar?"), 4), 7);
    EXPECT_TRUE(confirmYesNo(prompter, text("Apagar?")));
    EXPECT_FALSE(confirmYesNo(prompter, text("Apagar?")));
    EXPECT_EQ(prompter.prompts()[0].kind, PromptKind::OkCancel);
    EXPECT_EQ(prompter.prompts()[4].kind, PromptKind::YesNo);
    for (const Prompt& prompt : prompter.prompts())
        EXPECT_EQ(prompt.title, text("Informação"));
}

TEST(MessageBox, other_kinds_show_nothing_and_give_0) {
    ScriptedPrompter prompter;
    for (short kind : {0, 5, -1, 99})
        EXPECT_EQ(messageBox(prompter, text("Campo"), text("Mensagem"), kind), 0) << kind;
    EXPECT_TRUE(prompter.prompts().empty());
}

TEST(TitledMessage, carries_the_program_title_and_the_kind_icon) {
    ScriptedPrompter prompter;
    EXPECT_EQ(titledMessage(prompter, text("a"), 0), 1);
    EXPECT_EQ(titledMessage(prompter, text("b"), 1), 1);
    EXPECT_EQ(titledMessage(prompter, text("c"), 2), 1);
    EXPECT_EQ(titledMessage(prompter, text("d"), 3), 0);
    ASSERT_EQ(prompter.prompts().size(), 3u);
    const PromptIcon icons[] = {PromptIcon::Exclamation, PromptIcon::Information,
                                PromptIcon::Error};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(prompter.prompts()[i].kind, PromptKind::Titled);
        EXPECT_EQ(prompter.prompts()[i].title, text("Corvane - Agrimor"));
        EXPECT_EQ(prompter.prompts()[i].icon, icons[i]);
    }
}

}  // namespace
}  // namespace agrimor
