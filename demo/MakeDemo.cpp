// quorvel-make-demo SQLFILE DATABASE: makes the demo database afresh (see DemoMaker.h). Needs the
// SQLite ODBC driver declared as "SQLite3" in the odbcinst.ini that unixODBC reads.
#include "demo/DemoMaker.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: quorvel-make-demo SQLFILE DATABASE\n");
        return 2;
    }
    try {
        demo::makeDemo(args[1], args[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorvel-make-demo: %s\n", e.what());
        return 1;
    }
    std::printf("quorvel-make-demo: made %s\n", qPrintable(args[2]));
    return 0;
}
