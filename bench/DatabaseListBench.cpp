// Cost of the start-up steps that read the database list from the INI file, with 1,000, 4,000 and
// 8,000 configured databases: creating the main window (which loads the list and the Database
// menu), loading the list again as showing it does, and looking up a data source's login. The
// whole should stay under a second with 8,000.
#include "app/DataSources.h"
#include "app/DatabaseRegistry.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    for (const int count : {1000, 4000, 8000}) {
        testsupport::TempHome home;
        QByteArray ini = "[OPTIONS]\nTOOLBAR=1\n\n[DATABASES]\n";
        for (int i = 0; i < count; ++i)
            ini += QStringLiteral("Database %1=SQL SERVER|Database %1|dsn%1|user%1|pw%1||server||db%1|\n").arg(i).toUtf8();
        QFile file(home.file(QStringLiteral("Quorvel.ini")));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(ini);
        file.close();

        QElapsedTimer timer;
        timer.start();
        auto form = std::make_unique<TForm_Main>();
        const double create = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        form->registry().LoadDatabases();
        const double reload = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        QString user, password;
        TForm_DataSource::LookupDataSourceLogin(QStringLiteral("dsn%1").arg(count - 1), user, password);
        const double lookup = double(timer.nsecsElapsed()) / 1e6;
        std::printf("%5d databases: create window %7.1f ms, load list again %7.1f ms, look up a login %6.1f ms,"
                    " total %7.1f ms\n",
                    count, create, reload, lookup, create + reload + lookup);
        form.reset();
    }
    return 0;
}
