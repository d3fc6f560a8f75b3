#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace agrimor {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const QStringList kKeys = {text("MainLeft"), text("MainTop"), text("MainWidth"),
                           text("MainHeight")};

class MainWindowTest : public ::testing::Test {
protected:
    QString settingsPath() const { return dir_.filePath(text("settings.ini")); }

    std::unique_ptr<QSettings> settings() const {
        return std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat);
    }

    void store(const QStringList& values) const {
        QSettings file(settingsPath(), QSettings::IniFormat);
        for (int i = 0; i < kKeys.size(); ++i)
            file.setValue(text("Settings/") + kKeys[i], values[i]);
    }

    QStringList stored() const {
        QSettings file(settingsPath(), QSettings::IniFormat);
        QStringList values;
        for (const QString& key : kKeys)
            values << file.value(text("Settings/") + key).toString();
        return values;
    }

    // Twips for a length in pixels on the window's screen, horizontally.
    static double twipsX(const QWidget& window, int pixels) {
        return pixels * 1440.0 / window.screen()->logicalDotsPerInchX();
    }
    static double twipsY(const QWidget& window, int pixels) {
        return pixels * 1440.0 / window.screen()->logicalDotsPerInchY();
    }

private:
    QTemporaryDir dir_;
};

TEST_F(MainWindowTest, close_stores_the_placement_and_the_next_run_restores_it) {
    QRect geometry;
    {
        MainWindow window(settings());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.move(40, 30);
        window.resize(520, 360);
        geometry = QRect(window.pos(), window.size());
        EXPECT_TRUE(window.close());
        const QStringList values = stored();
        EXPECT_FLOAT_EQ(values[0].toFloat(), float(twipsX(window, 40)));
        EXPECT_FLOAT_EQ(values[1].toFloat(), float(twipsY(window, 30)));
        EXPECT_FLOAT_EQ(values[2].toFloat(), float(twipsX(window, 520)));
        EXPECT_FLOAT_EQ(values[3].toFloat(), float(twipsY(window, 360)));
    }
    MainWindow next(settings());
    EXPECT_EQ(QRect(next.pos(), next.size()), geometry);
}

TEST_F(MainWindowTest, close_while_minimised_leaves_the_stored_placement) {
    const QStringList before = {text("1500"), text("3000"), text("9000"), text("6000")};
    store(before);
    MainWindow window(settings());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.move(10, 10);
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    EXPECT_TRUE(window.close());
    EXPECT_EQ(stored(), before);
}

TEST_F(MainWindowTest, close_while_maximised_stores_the_maximised_geometry) {
    MainWindow window(settings());
    window.showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.isMaximized());
    const QSize maximised = window.size();
    ASSERT_GT(maximised.width(), 433);
    EXPECT_TRUE(window.close());
    EXPECT_FLOAT_EQ(stored()[2].toFloat(), float(twipsX(window, maximised.width())));
    EXPECT_FLOAT_EQ(stored()[3].toFloat(), float(twipsY(window, maximised.height())));
}

TEST_F(MainWindowTest, a_stored_value_that_is_not_a_number_falls_back_to_its_default) {
    store({text("abc"), text("1500"), text(""), text("nan")});
    MainWindow window(settings());
    EXPECT_NEAR(twipsX(window, window.x()), 1000, 15);
    EXPECT_NEAR(twipsY(window, window.y()), 1500, 15);
    EXPECT_NEAR(twipsX(window, window.width()), 6500, 15);
    EXPECT_NEAR(twipsY(window, window.height()), 6500, 15);
}

TEST_F(MainWindowTest, sair_closes_the_window_and_screens_are_added_after_it) {
    MainWindow window(settings());
    QAction* import = window.addScreenAction(text("ImpMov"), text("&Importar Movimentos"));
    const QList<QAction*> items = window.menuBar()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[1], import);

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    items[0]->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(stored().size(), 4);
    EXPECT_FALSE(stored()[0].isEmpty());
}

}  // namespace
}  // namespace agrimor
