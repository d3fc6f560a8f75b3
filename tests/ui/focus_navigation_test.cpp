#include "ui/focus_navigation.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QShortcut>
#include <QTest>
#include <QVBoxLayout>

namespace agrimor {
namespace {

TEST(EscapeMovesBack, esc_in_a_field_focuses_the_previous_control_and_is_swallowed) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* first = new QLineEdit(&dialog);
    auto* second = new QLineEdit(&dialog);
    auto* third = new QLineEdit(&dialog);
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addWidget(third);
    moveBackOnEscape(second);
    moveBackOnEscape(third);
    int shortcutFired = 0;
    auto* exitShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), &dialog);
    QObject::connect(exitShortcut, &QShortcut::activated, [&] { ++shortcutFired; });

    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    third->setFocus();
    QTest::keyClick(third, Qt::Key_Escape);
    EXPECT_TRUE(second->hasFocus());
    QTest::keyClick(second, Qt::Key_Escape);
    EXPECT_TRUE(first->hasFocus());

    EXPECT_EQ(shortcutFired, 0);
    EXPECT_TRUE(dialog.isVisible());  // not rejected

    // Fields that are not watched keep their usual Esc.
    QTest::keyClick(first, Qt::Key_Escape);
    EXPECT_EQ(shortcutFired, 1);
}

}  // namespace
}  // namespace agrimor
