// main() of the window tests: one QApplication on the offscreen platform for the whole program,
// created before the tests and destroyed after them, while Qt's own globals still exist.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Orvane");
    return RUN_ALL_TESTS();
}
