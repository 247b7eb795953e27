// The main of every widget test program: a QApplication on the offscreen
// platform (unless the environment names another, e.g. xcb under Xvfb), so
// real widgets are created, laid out, painted and sent events without a
// display, then every GoogleTest test of the program.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Widget tests must never wait for a person or make a sound.
    setenv("MIVEX_SILENT", "1", 1);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
