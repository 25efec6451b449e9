// main() of every test binary: private ODBC files and configuration folder first, then Qt on the
// offscreen platform, then GoogleTest.
#include "tests/support/Support.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
