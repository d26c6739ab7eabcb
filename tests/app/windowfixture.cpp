// The window tests' one application object for the whole run, never a real screen.

#include <QApplication>

#include <gtest/gtest.h>

// One application object for the whole run, never a real screen.
int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
