#include "app/QtUiServices.h"

#include <QApplication>
#include <QColorDialog>
#include <QProgressDialog>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(QtUiServices, WindowsFiltersBecomeQtFilters)
{
    // A description that names its patterns already does not name them twice.
    EXPECT_EQ(QtFileFilter("vekScript Files (*.vek)|*.vek").toStdString(), "vekScript Files (*.vek)");
    EXPECT_EQ(QtFileFilter("Pictures (*.bmp;*.gif)|*.bmp;*.gif").toStdString(), "Pictures (*.bmp *.gif)");
    EXPECT_EQ(QtFileFilter("Scripts (old)|*.vek").toStdString(), "Scripts (old) (*.vek)");
    EXPECT_EQ(QtFileFilter("GIF, JPG files|*.gif;*.jpg|PNG files|*.png").toStdString(),
              "GIF, JPG files (*.gif *.jpg);;PNG files (*.png)");
    EXPECT_EQ(QtFileFilter("").toStdString(), "");
}

TEST(QtUiServices, CustomColoursTravelAsBlueGreenRedLinesAndOtherLinesStay)
{
    std::vector<std::string> lines = {"ColorA=0000FF", "a note", "ColorC=123456", "ColorZ=FFFFFF", "ColorB=zz"};
    QColorDialog::setCustomColor(1, QColor(1, 2, 3));
    ApplyCustomColors(lines);
    EXPECT_EQ(QColorDialog::customColor(0), QColor(255, 0, 0)) << "the low byte is red";
    EXPECT_EQ(QColorDialog::customColor(2), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(QColorDialog::customColor(1), QColor(1, 2, 3)) << "an unreadable value leaves the dialog's colour";

    TakeCustomColors(lines);
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines[0], "a note");
    EXPECT_EQ(lines[1], "ColorZ=FFFFFF");
    EXPECT_EQ(lines[2], "ColorA=0000FF");
    EXPECT_EQ(lines[3], "ColorB=030201");
    EXPECT_EQ(lines[4], "ColorC=123456");
}

TEST(QtUiServices, WorkShowsABusyCursorAndAfterAWhileAProgressBoxWithCancel)
{
    QWidget window;
    std::vector<std::string> colours;
    TQtUiServices ui(&window, colours);
    EXPECT_TRUE(ui.KeepAlive()) << "no work, nothing to cancel";

    ui.BeginWork("");
    ui.BeginWork("Running long.vek");
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_TRUE(ui.KeepAlive());
    EXPECT_EQ(ui.Progress(), nullptr) << "quick work shows no box";
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui.KeepAlive() && ui.Progress(); }, 10000));
    ASSERT_NE(ui.Progress(), nullptr);
    EXPECT_EQ(ui.Progress()->labelText(), "Running long.vek");
    EXPECT_TRUE(ui.Progress()->isVisible());

    ui.Progress()->cancel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ui.KeepAlive(); }, 10000));
    ui.EndWork();
    EXPECT_NE(ui.Progress(), nullptr) << "the outer work goes on";
    EXPECT_FALSE(ui.KeepAlive());
    ui.EndWork();
    EXPECT_EQ(ui.Progress(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The next work starts afresh.
    ui.BeginWork("");
    EXPECT_TRUE(ui.KeepAlive());
    ui.EndWork();
}

} // namespace
