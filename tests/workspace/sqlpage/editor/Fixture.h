#pragma once
// The main window's definition with the state and the query the editor commands reach.
#include "app/MainState.h"
#include "platform/engine/Engine.h"
#include "tests/support/Support.h"
#include "workspace/sqlpage/TextEditor.h"

#include "ui_Main.h"

#include <QApplication>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui.setupUi(&window);
        for (QAction* separator : {ui.N12, ui.N5, ui.N3, ui.N4, ui.N1, ui.N8, ui.N2, ui.N9, ui.N6, ui.N14, ui.N7,
                                   ui.N20, ui.N13, ui.MenuItem_ContentsDivider})
            separator->setSeparator(true);
        window.resize(798, 606);
        window.show();
        QApplication::processEvents();
    }

    // The popup as opened on box.
    void openPopupOn(QPlainTextEdit* box)
    {
        ui.PopupMenu_RE->setProperty(kPopupOwnerProperty, QVariant::fromValue<QObject*>(box));
    }

    void showSqlPage() { ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine); }
    void showTablePage() { ui.PageControl->setCurrentWidget(ui.TabSheet_Table); }

    QMainWindow window;
    Ui::TForm_Main ui;
    MainState state;
    platform::engine::Query query;
    EditorEnv env{state, ui, &window, &query, nullptr, {}};
};
