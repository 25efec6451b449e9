#pragma once
// The query-by-example window, with the Sort Order and Find Field dialogs worked by the test.
#include "app/Options.h"
#include "platform/ini/IniFile.h"
#include "tests/workspace/qbe/Fixture.h"
#include "workspace/FindFld.h"
#include "workspace/SortOrdr.h"

#include "ui_FindFld.h"
#include "ui_SortOrdr.h"

#include <functional>

class ToolsWindow : public QbeWindow {
protected:
    std::function<void(TForm_Order&)> workOrder;          // then OK
    std::optional<QString> findText;                      // typed, then OK; nullopt: Cancel
    int prompts = 0;

    void SetUp() override
    {
        QbeWindow::SetUp();
        platform::modal::setResponder([this](const platform::modal::Request& r) {
            platform::modal::Answer a;
            if (auto* chooser = qobject_cast<TForm_SelectTable*>(r.window)) {
                const auto found = chooser->ui()->ListBox_TableName->findItems(tableToChoose, Qt::MatchFixedString);
                if (!found.isEmpty())
                    chooser->ui()->ListBox_TableName->setCurrentItem(found.first());
                QTest::mouseClick(chooser->ui()->BitBtn_OK, Qt::LeftButton);
            } else if (auto* order = qobject_cast<TForm_Order*>(r.window)) {
                if (workOrder)
                    workOrder(*order);
                QTest::mouseClick(order->ui()->BitBtn_Ok, Qt::LeftButton);
            } else if (auto* prompt = qobject_cast<TForm_FindField*>(r.window)) {
                ++prompts;
                if (findText) {
                    prompt->ui()->Edit_Search->setText(*findText);
                    QTest::mouseClick(prompt->ui()->BitBtn_OK, Qt::LeftButton);
                } else {
                    QTest::mouseClick(prompt->ui()->BitBtn_Cancel, Qt::LeftButton);
                }
            } else if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window)) {
                messages << msg->RichEdit->toPlainText();
                a.result = 1;
            } else if (r.kind == platform::modal::Kind::MessageBox) {
                messages << r.text;
                a.result = QMessageBox::Ok;
            }
            return a;
        });
    }

    QString ini(const QString& section, const QString& key)
    {
        return platform::IniFile(kQuorvelIni).readString(section, key, QStringLiteral("<missing>"));
    }
};
