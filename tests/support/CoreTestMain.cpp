#include <gtest/gtest.h>

#include <QCoreApplication>

// One QCoreApplication for a test program of the core alone: no widgets and no display, so a
// test that passes here shows that the code under it runs where nothing can be shown.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
