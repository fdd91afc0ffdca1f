#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

// Every suite runs inside one application object, without a display, so that fonts, painting and
// widgets behave as in the program.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
