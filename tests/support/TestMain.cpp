#include <gtest/gtest.h>

#include <QApplication>

// One QApplication for the whole test program, on the offscreen platform unless a display was
// asked for with QUILLBOX_TEST_DISPLAY=1.
int main(int argc, char** argv)
{
    if (qEnvironmentVariable("QUILLBOX_TEST_DISPLAY") != QStringLiteral("1"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
