// The options window against the INI file: what it shows, what OK, the title-bar close, Cancel and
// Esc write, lists longer than the grid's usual rows, typing into the grids, and the options
// loaded again afterwards.
#include "app/Options.h"
#include "app/SetOptions.h"
#include "components/SaveMsgDlg.h"
#include "components/Utils.h"
#include "platform/ini/AtomicFile.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"

#include "ui_Main.h"
#include "ui_SetOptions.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using platform::modal::Answer;
using platform::modal::Request;

const QString kIni = QStringLiteral("Quorvel.ini");

QByteArray iniBytes()
{
    QFile f(platform::IniFile(kIni).fileName());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString cell(QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

class OptionsWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::IniFile ini(kIni);
        ini.writeBool("ORACLE", "USESYNONYMS", false);
        ini.writeBool("ORACLE", "ALTERREGINFO", true);
        ini.writeBool("FTP", "USEFTP", true);
        ini.writeString("FTP", "PATH", "/opt/Ftp/WsFtp");
        ini.writeString("FTP", "SERVER1", "ftp.one");
        ini.writeString("FTP", "SERVER4", "ftp.four");
        ini.writeString("SERIALFIELDS", "orders", "order_id");
        ini.writeString("SERIALFIELDS", "Customers", "cust_no");
        ini.writeString("UNIQUEFIELDS", "PARTS", "PART_CODE");
        ini.writeString("NOUPDATEFIELDS", "LOG", "STAMP");
        ini.writeString("OTHER", "KEY", "kept");
    }

    void open()
    {
        window = std::make_unique<TForm_SetOptions>();
        window->show();
        QApplication::processEvents();
    }

    Ui::TForm_SetOptions& u() const { return *window->ui(); }

    testsupport::TempHome home;
    platform::modal::ScopedResponder quiet{[](const Request&) { return Answer{}; }};
    std::unique_ptr<TForm_SetOptions> window;
};

TEST_F(OptionsWindow, ShowsTheStoredOptions)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Edit Options"));
    EXPECT_EQ(u().PageControl->currentWidget(), u().TabSheet_Options);
    EXPECT_FALSE(u().CheckBox_UseSynonyms->isChecked());
    EXPECT_TRUE(u().CheckBox_AlterRegInfo->isChecked());
    EXPECT_TRUE(u().CheckBox_UseFTP->isChecked());
    EXPECT_EQ(u().Edit_FTP->text(), QStringLiteral("/opt/Ftp/WsFtp"));
    EXPECT_TRUE(u().Edit_FTP->isReadOnly());
    EXPECT_EQ(u().StringGrid_FTP->horizontalHeaderItem(0)->text(), QStringLiteral("FTP Servers"));
    EXPECT_EQ(u().StringGrid_FTP->rowCount(), 5);
    QStringList servers;
    for (int r = 0; r < 5; ++r)
        servers << cell(u().StringGrid_FTP, r, 0);
    EXPECT_EQ(servers, (QStringList{"ftp.one", "", "", "ftp.four", ""}));

    // Lower-case lines shown upper-cased and sorted.
    QTableWidget* identity = u().StringGrid_Identity;
    EXPECT_EQ(identity->horizontalHeaderItem(0)->text(), QStringLiteral("Table"));
    EXPECT_EQ(identity->horizontalHeaderItem(1)->text(), QStringLiteral("Field"));
    EXPECT_EQ(identity->rowCount(), TForm_SetOptions::kTableRows);
    EXPECT_EQ(cell(identity, 0, 0), QStringLiteral("CUSTOMERS"));
    EXPECT_EQ(cell(identity, 0, 1), QStringLiteral("CUST_NO"));
    EXPECT_EQ(cell(identity, 1, 0), QStringLiteral("ORDERS"));
    EXPECT_EQ(cell(identity, 1, 1), QStringLiteral("ORDER_ID"));
    EXPECT_EQ(cell(identity, 2, 0), QString());
    EXPECT_EQ(cell(u().StringGrid_Unique, 0, 0), QStringLiteral("PARTS"));
    EXPECT_EQ(cell(u().StringGrid_NoUpdate, 0, 1), QStringLiteral("STAMP"));

    // Unticking FTP disables its controls, keeping their contents.
    u().CheckBox_UseFTP->click();
    for (QWidget* w : std::initializer_list<QWidget*>{u().Label_FTP, u().Edit_FTP, u().SpeedButton_FTP, u().StringGrid_FTP})
        EXPECT_FALSE(w->isEnabled());
    EXPECT_EQ(u().Edit_FTP->text(), QStringLiteral("/opt/Ftp/WsFtp"));
}

TEST_F(OptionsWindow, OkWritesEveryOption)
{
    open();
    u().CheckBox_UseSynonyms->setChecked(true);
    u().CheckBox_UseFTP->click();  // off; its values are still written
    u().StringGrid_FTP->setItem(1, 0, new QTableWidgetItem(QStringLiteral(" ftp.two ")));
    u().StringGrid_Identity->setItem(1, 1, new QTableWidgetItem());  // a cleared cell drops its row
    u().StringGrid_Identity->setItem(5, 0, new QTableWidgetItem(QStringLiteral(" ITEMS ")));
    u().StringGrid_Identity->setItem(5, 1, new QTableWidgetItem(QStringLiteral("ITEM_NO ")));
    u().StringGrid_Identity->setItem(6, 0, new QTableWidgetItem(QStringLiteral("CUSTOMERS")));
    u().StringGrid_Identity->setItem(6, 1, new QTableWidgetItem(QStringLiteral("LOWER_WINS")));
    QTest::mouseClick(u().BitBtn_OK, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Cancelled);

    platform::IniFile ini(kIni);
    EXPECT_TRUE(ini.readBool("ORACLE", "USESYNONYMS", false));
    EXPECT_TRUE(ini.readBool("ORACLE", "ALTERREGINFO", false));
    EXPECT_FALSE(ini.readBool("FTP", "USEFTP", true));
    EXPECT_EQ(ini.readString("FTP", "PATH", ""), QStringLiteral("/opt/Ftp/WsFtp"));
    EXPECT_EQ(ini.readSectionValues("FTP"),
              (QStringList{"USEFTP=0", "PATH=/opt/Ftp/WsFtp", "SERVER1=ftp.one", "SERVER4=ftp.four", "SERVER2=ftp.two",
                           "SERVER3=", "SERVER5="}));
    EXPECT_EQ(ini.readSectionValues("SERIALFIELDS"), (QStringList{"CUSTOMERS=LOWER_WINS", "ITEMS=ITEM_NO"}));
    EXPECT_EQ(ini.readSectionValues("UNIQUEFIELDS"), QStringList{"PARTS=PART_CODE"});
    EXPECT_EQ(ini.readSectionValues("NOUPDATEFIELDS"), QStringList{"LOG=STAMP"});
    EXPECT_EQ(ini.readString("OTHER", "KEY", ""), QStringLiteral("kept"));
}

TEST_F(OptionsWindow, CancelAndEscWriteNothingTheCloseBoxWrites)
{
    const QByteArray before = iniBytes();
    open();
    u().CheckBox_AlterRegInfo->setChecked(false);
    QTest::mouseClick(u().BitBtn_Cancel, Qt::LeftButton);
    EXPECT_TRUE(window->Cancelled);
    EXPECT_EQ(iniBytes(), before);

    open();
    u().CheckBox_AlterRegInfo->setChecked(false);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(iniBytes(), before);

    open();
    u().CheckBox_AlterRegInfo->setChecked(false);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(platform::IniFile(kIni).readBool("ORACLE", "ALTERREGINFO", true));
}

int writes = 0;
void countWrite()
{
    ++writes;
}

// 800 rows, as the file had: they all come back, from one write of the file.
TEST_F(OptionsWindow, LongListsSurviveARoundTripInOneWrite)
{
    platform::IniFile ini(kIni);
    QStringList expected;
    ini.update([&](platform::IniDocument& doc) {
        doc.eraseSection("UNIQUEFIELDS");
        for (int i = 0; i < 800; ++i) {
            const QString table = QStringLiteral("T%1").arg(i, 4, 10, QLatin1Char('0'));
            doc.writeString("UNIQUEFIELDS", table, "F" + table);
            expected << table + "=F" + table;
        }
    });
    open();
    EXPECT_GE(u().StringGrid_Unique->rowCount(), 801);
    writes = 0;
    platform::testing::setBeforeRenameHook(countWrite);
    QTest::mouseClick(u().BitBtn_OK, Qt::LeftButton);
    platform::testing::setBeforeRenameHook(nullptr);
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(platform::IniFile(kIni).readSectionValues("UNIQUEFIELDS"), expected);
}

// The disk is all but full (the file size limit stands for it): the new file would be a few bytes
// longer than there is room for. OK leaves the file byte for byte, with no temporary copy, and
// says so once. (Rewriting the file once per row lost the rows at the end of the list here.)
TEST_F(OptionsWindow, FullDiskLeavesTheFileByteForByte)
{
    platform::IniFile(kIni).update([](platform::IniDocument& doc) {
        for (int i = 0; i < 800; ++i)
            doc.writeString("UNIQUEFIELDS", QStringLiteral("TABLE_%1").arg(i), QStringLiteral("FIELD_%1").arg(i));
    });
    open();
    QTest::mouseClick(u().BitBtn_OK, Qt::LeftButton);  // every key the window writes is there now
    const QByteArray before = iniBytes();

    QStringList told;
    platform::modal::ScopedResponder responder([&](const Request& r) {
        if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window))
            told << msg->RichEdit->toPlainText();
        else
            told << r.text;
        return Answer{mrOk};
    });
    open();
    ASSERT_EQ(cell(u().StringGrid_Unique, 0, 0), QStringLiteral("PARTS"));
    u().StringGrid_Unique->setItem(0, 1, new QTableWidgetItem(QStringLiteral("A_MUCH_LONGER_FIELD_NAME")));
    {
        rlimit saved {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = saved;
        full.rlim_cur = static_cast<rlim_t>(before.size() + 8);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &full), 0);
        QTest::mouseClick(u().BitBtn_OK, Qt::LeftButton);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(iniBytes() == before) << platform::IniDocument::fromBytes(before).readSection("UNIQUEFIELDS").size()
                                      << " rows before, " << platform::IniFile(kIni).readSection("UNIQUEFIELDS").size()
                                      << " after";
    ASSERT_EQ(told.size(), 1) << told.join('|').toStdString();
    EXPECT_TRUE(told[0].startsWith(QLatin1String("The options could not be saved; the configuration file was left as it was.")))
        << told[0].toStdString();
    EXPECT_TRUE(told[0].contains(QLatin1String("File too large"))) << told[0].toStdString();
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Quorvel.ini"});
}

TEST_F(OptionsWindow, TypedLettersBecomeCapitals)
{
    const std::pair<QChar, QChar> cases[] = {{'q', 'Q'}, {'a', 'A'}, {'z', 'Z'}, {'{', '{'}, {'Q', 'Q'},
                                             {'1', '1'}, {u'ä', u'ä'}, {'_', '_'}};
    for (const auto& [typed, entered] : cases)
        EXPECT_EQ(StringGrid_IdentityKeyPress(typed), entered) << int(typed.unicode());

    open();
    u().PageControl->setCurrentWidget(u().TabSheet1);
    QTableWidget* grid = u().StringGrid_NoUpdate;
    grid->setFocus();
    grid->setCurrentCell(3, 0);
    QApplication::processEvents();
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, QStringLiteral("q{x_1"));
    QTest::keyClick(editor, Qt::Key_Tab);
    QApplication::processEvents();
    ASSERT_TRUE(QApplication::focusWidget());
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("f"));
    QTest::mouseClick(u().BitBtn_OK, Qt::LeftButton);
    EXPECT_EQ(cell(grid, 3, 0), QStringLiteral("Q{X_1"));
    EXPECT_EQ(cell(grid, 3, 1), QStringLiteral("F"));
    EXPECT_EQ(platform::IniFile(kIni).readString("NOUPDATEFIELDS", "Q{X_1", ""), QStringLiteral("F"));
}

TEST(OptionsDefaults, EmptyFileShowsTheDefaults)
{
    testsupport::TempHome home;
    TForm_SetOptions window;
    window.show();
    EXPECT_TRUE(window.ui()->CheckBox_UseSynonyms->isChecked());
    EXPECT_FALSE(window.ui()->CheckBox_AlterRegInfo->isChecked());
    EXPECT_FALSE(window.ui()->CheckBox_UseFTP->isChecked());
    EXPECT_FALSE(window.ui()->StringGrid_FTP->isEnabled());
    EXPECT_TRUE(window.ui()->Edit_FTP->text().isEmpty());
}

// The command loads every option again, whichever button closed the window.
TEST(OptionsCommand, ChangesTakeEffect)
{
    testsupport::TempHome home;
    platform::modal::ScopedResponder quiet([](const Request&) { return Answer{}; });
    TForm_Main form;
    form.LoadOptions();
    EXPECT_FALSE(form.ui().MenuItem_FTP->menuAction()->isVisible());

    platform::IniFile ini(kIni);
    ini.writeInteger("MEMOS", "HEIGHT", 311);
    ini.writeString("Memo_SQL", "FONTNAME", "DejaVu Sans Mono");
    ini.writeInteger("Memo_SQL", "FONTSIZE", 12);
    ini.writeInteger("Memo_Results", "FONTCOLOR", 0x0000FF);  // red, as the class library stores it
    bool cancelled = false;
    platform::modal::ScopedResponder responder([&](const Request& r) {
        if (auto* window = qobject_cast<TForm_SetOptions*>(r.window)) {
            Ui::TForm_SetOptions& u = *window->ui();
            u.CheckBox_UseFTP->setChecked(true);
            u.StringGrid_FTP->setItem(2, 0, new QTableWidgetItem(QStringLiteral("ftp.three")));
            u.Edit_FTP->setText(QStringLiteral("/usr/bin/ftpclient"));
            u.StringGrid_Identity->setItem(0, 0, new QTableWidgetItem(QStringLiteral("ORDERS")));
            u.StringGrid_Identity->setItem(0, 1, new QTableWidgetItem(QStringLiteral("ORDER_NO")));
            QTest::mouseClick(cancelled ? u.BitBtn_Cancel : u.BitBtn_OK, Qt::LeftButton);
        }
        return Answer{};
    });
    form.MenuItem_OptionsClick(form.ui().MenuItem_Options);

    EXPECT_EQ(form.state().MemoHeight, 311);
    EXPECT_EQ(form.ui().Memo_SQL->font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(form.ui().Memo_SQL->font().pointSize(), 12);
    EXPECT_EQ(form.ui().Memo_Results->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_TRUE(form.ui().MenuItem_FTP->menuAction()->isVisible());
    EXPECT_TRUE(form.ui().MenuItem_Server03->isVisible());
    EXPECT_EQ(form.ui().MenuItem_Server03->text(), QStringLiteral("ftp.three"));
    EXPECT_FALSE(form.ui().MenuItem_Server01->isVisible());
    EXPECT_TRUE(form.state().SerialFields.contains(QStringLiteral("ORDERS=ORDER_NO")));

    // Cancel writes nothing, yet what the file holds is loaded again.
    cancelled = true;
    ini.writeInteger("MEMOS", "HEIGHT", 150);
    const QByteArray before = iniBytes();
    form.MenuItem_OptionsClick(form.ui().MenuItem_Options);
    EXPECT_EQ(iniBytes(), before);
    EXPECT_EQ(form.state().MemoHeight, 150);
}

} // namespace

namespace {

// A table name the file cannot hold as a key loses only its own row, and the user is told.
TEST_F(OptionsWindow, UnstorableNameLosesOnlyItsRow)
{
    QStringList told;
    platform::modal::ScopedResponder responder([&](const Request& r) {
        told << r.caption;
        return Answer{1};
    });
    open();
    u().StringGrid_NoUpdate->setItem(1, 0, new QTableWidgetItem(QStringLiteral("A=B")));
    u().StringGrid_NoUpdate->setItem(1, 1, new QTableWidgetItem(QStringLiteral("X")));
    u().StringGrid_NoUpdate->setItem(2, 0, new QTableWidgetItem(QStringLiteral("ZED")));
    u().StringGrid_NoUpdate->setItem(2, 1, new QTableWidgetItem(QStringLiteral("Y")));
    QTest::mouseClick(u().BitBtn_OK, Qt::LeftButton);
    EXPECT_EQ(told.size(), 1);
    EXPECT_EQ(platform::IniFile(kIni).readSectionValues("NOUPDATEFIELDS"), (QStringList{"LOG=STAMP", "ZED=Y"}));
}

} // namespace
