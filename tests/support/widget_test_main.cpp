// The main of every widget test: an application object, drawing offscreen
// unless a platform is chosen explicitly (also when the tests are listed at
// build time), so results never depend on a display.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    qputenv("XDG_DATA_HOME", CELLWATCH_TEST_DATA_HOME);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
