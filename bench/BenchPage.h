#pragma once
// A shown main window's Table page connected to one data source, for the benchmarks that show
// records: the state, the database component and the datasets a TablePageEnv needs, and the status
// panel the records' counts are written to.
#include "app/MainState.h"
#include "components/StatusPanel.h"
#include "platform/ado/Ado.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"

#include <QLabel>
#include <QMainWindow>

struct BenchPage {
    QMainWindow window;
    Ui::TForm_Main ui;
    TStatusPanel panel0;  // in the status bar, as the window has it
    MainState state;
    TDataBaseObj dbObj;
    platform::engine::Database db;
    platform::engine::Table table, table2;
    platform::engine::Query query;
    platform::ado::AdoQuery ado;
    TablePageEnv env;

    BenchPage(const QString& dsn, const QString& user, const QString& password, const QString& dbType)
        : env{state, ui, &window, &panel0, ColumnSources{&table, &table2, &query, &ado}, QStringLiteral("bench_db")}
    {
        ui.setupUi(&window);
        panel0.setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        panel0.setMinimumWidth(1);
        ui.StatusBar->addWidget(new TStatusSlot(&panel0), 1);
        window.resize(798, 606);
        window.show();
        dbObj.DataSource = dsn;
        dbObj.UserName = user;
        dbObj.Password = password;
        dbObj.DBType = dbType;
        state.CurrentDatabase = &dbObj;
        db.setDatabaseName(QStringLiteral("bench_db"));
        db.setAliasName(dsn);
        db.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
        db.setConnected(true);
        for (platform::engine::DataSet* set : std::initializer_list<platform::engine::DataSet*>{&table, &table2, &query})
            set->setDatabaseName(db.databaseName());
    }

    void exec(const QString& sql)
    {
        platform::engine::Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << sql;
        q.execSQL();
    }
};
