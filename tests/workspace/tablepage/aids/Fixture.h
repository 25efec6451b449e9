#pragma once
// The query-by-example window, with the Sort Order and Find Field dialogs worked by the test.
#include "app/Options.h"
#include "platform/ini/IniFile.h"
#include "tests/workspace/tablepage/qbe/Fixture.h"
#include "workspace/tablepage/FindFld.h"
#include "workspace/tablepage/SortOrdr.h"

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
        answerOther = [this](const platform::modal::Request& r, platform::modal::Answer&) {
            if (auto* order = qobject_cast<TForm_Order*>(r.window)) {
                if (workOrder)
                    workOrder(*order);
                QTest::mouseClick(order->ui()->BitBtn_Ok, Qt::LeftButton);
                return true;
            }
            if (auto* prompt = qobject_cast<TForm_FindField*>(r.window)) {
                ++prompts;
                if (findText) {
                    prompt->ui()->Edit_Search->setText(*findText);
                    QTest::mouseClick(prompt->ui()->BitBtn_OK, Qt::LeftButton);
                } else {
                    QTest::mouseClick(prompt->ui()->BitBtn_Cancel, Qt::LeftButton);
                }
                return true;
            }
            return false;
        };
    }

    QString ini(const QString& section, const QString& key)
    {
        return platform::IniFile(kQuorvelIni).readString(section, key, QStringLiteral("<missing>"));
    }
};
