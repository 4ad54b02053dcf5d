// The main of the tests that run an event loop without widgets: a core
// application, as the command-line tools have.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    qputenv("XDG_DATA_HOME", CELLWATCH_TEST_DATA_HOME);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
