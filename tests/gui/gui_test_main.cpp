// SPDX-License-Identifier: MIT
// The GUI tests' main: the widgets need a QApplication, which is created
// before any test runs. Without a choice of platform the tests run
// offscreen, so that they need no display, the listing of the tests included.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
