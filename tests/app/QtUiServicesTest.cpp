#include "app/QtUiServices.h"

#include <QColorDialog>

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

} // namespace
