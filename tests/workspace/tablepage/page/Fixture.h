#pragma once
// The main window's definition, its datasets on the test database, and the state the page reads.
#include "app/MainState.h"
#include "platform/ado/Ado.h"
#include "platform/engine/Engine.h"
#include "tests/support/Support.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <gtest/gtest.h>
#include <memory>

class PageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui.setupUi(&window);
        window.resize(798, 606);
        window.show();
        QApplication::processEvents();
        connect(testsupport::sqliteDsn());
    }

    void connect(const QString& dsn, const QString& user = {}, const QString& password = {})
    {
        db.setConnected(false);
        db.params().clear();
        db.setDatabaseName(QStringLiteral("tablepage_db"));
        db.setAliasName(dsn);
        db.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
        db.setConnected(true);
        table.setDatabaseName(db.databaseName());
        query.setDatabaseName(db.databaseName());
        dbObj.DataSource = dsn;
        dbObj.UserName = user;
        dbObj.Password = password;
        state.CurrentDatabase = &dbObj;
        env = std::make_unique<TablePageEnv>(TablePageEnv{state, ui, &window, &panel0,
                                                          ColumnSources{&table, &table2, &query, &ado},
                                                          db.databaseName()});
    }

    void exec(const QStringList& statements)
    {
        for (const QString& sql : statements) {
            platform::engine::Query q;
            q.setDatabaseName(db.databaseName());
            q.sql() << sql;
            q.execSQL();
        }
    }

    void recreate(const QString& name, const QString& columns)
    {
        exec({QStringLiteral("DROP TABLE IF EXISTS ") + name,
              QStringLiteral("CREATE TABLE ") + name + QStringLiteral(" (") + columns + QLatin1Char(')')});
    }

    void build(const QString& tableName)
    {
        state.CurrentTable = tableName;
        BuildTablePage(*env);
    }

    template <class T>
    T* control(const QString& name)
    {
        return ui.ScrollBox->widget()->findChild<T*>(name, Qt::FindDirectChildrenOnly);
    }

    QMainWindow window;
    Ui::TForm_Main ui;
    QLabel panel0;
    MainState state;
    TDataBaseObj dbObj;
    platform::engine::Database db;
    platform::engine::Table table, table2;
    platform::engine::Query query;
    platform::ado::AdoQuery ado;
    std::unique_ptr<TablePageEnv> env;
};
