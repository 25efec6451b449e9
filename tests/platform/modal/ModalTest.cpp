#include "platform/modal/Modal.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace platform::modal;

namespace {

Answer reply(int result, const QString& text = {}, const QFont& font = {})
{
    Answer a;
    a.result = result;
    a.text = text;
    a.font = font;
    return a;
}

// A window with an OK button that accepts, a button that ends with a result of its own, and a
// field the responder fills in.
struct TestWindow {
    QDialog dialog;
    QLineEdit* name = new QLineEdit(&dialog);
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    QPushButton* all = new QPushButton(QStringLiteral("All"), &dialog);
    TestWindow()
    {
        dialog.setWindowTitle(QStringLiteral("Login"));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(name);
        layout->addWidget(ok);
        layout->addWidget(all);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        QObject::connect(all, &QPushButton::clicked, &dialog, [this] { dialog.done(8); });
    }
};

} // namespace

TEST(Modal, ScopedResponderInstallsAndClears)
{
    EXPECT_FALSE(hasResponder());
    {
        ScopedResponder responder([](const Request&) { return Answer{}; });
        EXPECT_TRUE(hasResponder());
    }
    EXPECT_FALSE(hasResponder());
}

TEST(Modal, WindowClosedByItsOwnButtonGivesItsResult)
{
    TestWindow w;
    Request seen;
    bool visibleWhileAnswering = false, modalWhileAnswering = true;
    ScopedResponder responder([&](const Request& r) {
        seen = r;
        visibleWhileAnswering = w.dialog.isVisible();
        modalWhileAnswering = w.dialog.isModal();
        QTest::keyClicks(w.name, QStringLiteral("scott"));
        QTest::mouseClick(w.ok, Qt::LeftButton);
        return reply(99);  // ignored: the window closed itself
    });
    EXPECT_EQ(execWindow(w.dialog), QDialog::Accepted);
    EXPECT_EQ(seen.kind, Kind::Window);
    EXPECT_EQ(seen.caption, QStringLiteral("Login"));
    EXPECT_EQ(seen.window, &w.dialog);
    EXPECT_TRUE(visibleWhileAnswering);
    EXPECT_FALSE(modalWhileAnswering);
    EXPECT_FALSE(w.dialog.isVisible());
    EXPECT_EQ(w.name->text(), QStringLiteral("scott"));  // the opener reads fields afterwards
}

TEST(Modal, WindowResults)
{
    struct Case {
        const char* what;
        std::function<void(TestWindow&)> work;
        int answer;
        int expected;
    };
    const Case cases[] = {
        {"left open: the answer", [](TestWindow&) {}, 7, 7},
        {"done() with a result of its own", [](TestWindow& w) { QTest::mouseClick(w.all, Qt::LeftButton); }, 5, 8},
        {"closed through the close box", [](TestWindow& w) { w.dialog.close(); }, 5, QDialog::Rejected},
        {"hidden without done(): the answer", [](TestWindow& w) { w.dialog.hide(); }, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestWindow w;
        w.dialog.setResult(42);  // a result left from an earlier run must not leak through
        ScopedResponder responder([&](const Request&) {
            c.work(w);
            return reply(c.answer);
        });
        EXPECT_EQ(execWindow(w.dialog), c.expected);
        EXPECT_EQ(w.dialog.result(), c.expected);
        EXPECT_FALSE(w.dialog.isVisible());
    }
}

TEST(Modal, WindowThatDeletesItselfOnClose)
{
    QPointer<QDialog> dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    ScopedResponder responder([&](const Request&) {
        dialog->accept();
        return Answer{};
    });
    EXPECT_EQ(execWindow(*dialog), QDialog::Accepted);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}

TEST(Modal, ModalRunStartedFromAWindowIsAnsweredToo)
{
    TestWindow w;
    QObject::connect(w.ok, &QPushButton::clicked, &w.dialog, [&] {
        if (messageBox(&w.dialog, QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("Sure?"),
                       QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
            w.name->setText(QStringLiteral("confirmed"));
    });
    QList<Kind> asked;
    ScopedResponder responder([&](const Request& r) {
        asked << r.kind;
        if (r.kind == Kind::MessageBox)
            return reply(QMessageBox::Yes);
        QTest::mouseClick(w.ok, Qt::LeftButton);
        return Answer{};
    });
    EXPECT_EQ(execWindow(w.dialog), QDialog::Accepted);
    EXPECT_EQ(asked, (QList<Kind>{Kind::Window, Kind::MessageBox}));
    EXPECT_EQ(w.name->text(), QStringLiteral("confirmed"));
}

TEST(Modal, MessageBoxReportsWhatItOffers)
{
    Request seen;
    ScopedResponder responder([&](const Request& r) {
        seen = r;
        return reply(QMessageBox::No);
    });
    EXPECT_EQ(messageBox(nullptr, QMessageBox::Critical, QStringLiteral("Error"), QStringLiteral("Bad date"),
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::No),
              QMessageBox::No);
    EXPECT_EQ(seen.kind, Kind::MessageBox);
    EXPECT_EQ(seen.caption, QStringLiteral("Error"));
    EXPECT_EQ(seen.text, QStringLiteral("Bad date"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, (QStringList{"Yes", "No", "Cancel"}));
}

TEST(Modal, InputBox)
{
    Request seen;
    int result = 1;
    ScopedResponder responder([&](const Request& r) {
        seen = r;
        return reply(result, QStringLiteral("ORDER BY 1"));
    });
    EXPECT_EQ(inputBox(nullptr, QStringLiteral("Add SQL to Query"), QStringLiteral("SQL:"), QStringLiteral("old")),
              std::optional<QString>(QStringLiteral("ORDER BY 1")));
    EXPECT_EQ(seen.kind, Kind::InputBox);
    EXPECT_EQ(seen.caption, QStringLiteral("Add SQL to Query"));
    EXPECT_EQ(seen.text, QStringLiteral("SQL:"));
    EXPECT_EQ(seen.value, QStringLiteral("old"));
    result = 0;
    EXPECT_EQ(inputBox(nullptr, QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("old")), std::nullopt);
}

TEST(Modal, FileAndFolderChoosers)
{
    Request seen;
    Answer answer;
    ScopedResponder responder([&](const Request& r) {
        seen = r;
        return answer;
    });
    const QString filter = QStringLiteral("Text Files|*.txt|All Files|*.*");

    answer = reply(1, QStringLiteral("/tmp/in.sql"));
    EXPECT_EQ(openFileName(nullptr, QStringLiteral("Open"), QStringLiteral("/tmp/a.sql"), filter),
              QStringLiteral("/tmp/in.sql"));
    EXPECT_EQ(seen.kind, Kind::OpenFile);
    EXPECT_EQ(seen.caption, QStringLiteral("Open"));
    EXPECT_EQ(seen.value, QStringLiteral("/tmp/a.sql"));
    EXPECT_EQ(seen.filter, filter);

    // A chosen name without a suffix gets the default one, as the real dialog adds it.
    struct SaveCase { QString chosen, suffix, expected; };
    const SaveCase saves[] = {
        {"/tmp/log", "*.txt", "/tmp/log.txt"},
        {"/tmp/log", "txt", "/tmp/log.txt"},
        {"/tmp/log.csv", "*.txt", "/tmp/log.csv"},
        {"/tmp/log", "", "/tmp/log"},
    };
    for (const SaveCase& c : saves) {
        SCOPED_TRACE(c.chosen.toStdString() + " " + c.suffix.toStdString());
        answer = reply(1, c.chosen);
        EXPECT_EQ(saveFileName(nullptr, QStringLiteral("Save"), {}, filter, c.suffix), c.expected);
        EXPECT_EQ(seen.kind, Kind::SaveFile);
    }

    answer = reply(1, QStringLiteral("/srv/db"));
    EXPECT_EQ(directory(nullptr, QStringLiteral("Folder"), QStringLiteral("/srv")), QStringLiteral("/srv/db"));
    EXPECT_EQ(seen.kind, Kind::Directory);
    EXPECT_EQ(seen.value, QStringLiteral("/srv"));

    answer = reply(0, QStringLiteral("/tmp/ignored"));  // cancelled: the text does not count
    EXPECT_EQ(openFileName(nullptr, {}, {}, filter), QString());
    EXPECT_EQ(saveFileName(nullptr, {}, {}, filter, QStringLiteral("txt")), QString());
    EXPECT_EQ(directory(nullptr, {}, {}), QString());
}

TEST(Modal, FontAndPrinterDialogs)
{
    Request seen;
    Answer answer;
    ScopedResponder responder([&](const Request& r) {
        seen = r;
        return answer;
    });
    const QFont initial(QStringLiteral("MS Sans Serif"), 8);
    const QFont chosen(QStringLiteral("Courier New"), 10);

    answer = {1, {}, chosen};
    EXPECT_EQ(font(nullptr, initial), std::optional<QFont>(chosen));
    EXPECT_EQ(seen.kind, Kind::Font);
    EXPECT_EQ(seen.font, initial);
    answer = {0, {}, chosen};
    EXPECT_EQ(font(nullptr, initial), std::nullopt);

    QPrinter printer;
    for (int result : {1, 0}) {
        answer = reply(result);
        EXPECT_EQ(printDialog(nullptr, printer), result != 0);
        EXPECT_EQ(seen.kind, Kind::Print);
        EXPECT_EQ(seen.printer, &printer);
        EXPECT_EQ(pageSetupDialog(nullptr, printer), result != 0);
        EXPECT_EQ(seen.kind, Kind::PageSetup);
        EXPECT_EQ(seen.printer, &printer);
    }
}

TEST(Modal, FilterPairsBecomeQtFilters)
{
    struct Case { const char* pairs; const char* qt; };
    const Case cases[] = {
        {"Text Files|*.txt|All Files|*.*", "Text Files (*.txt);;All Files (*.*)"},
        {"Text Files|*.txt", "Text Files (*.txt)"},
        {"All Image Files|*.jpg;*.jpeg;*.bmp;*.gif|Bitmap File|*.bmp",
         "All Image Files (*.jpg *.jpeg *.bmp *.gif);;Bitmap File (*.bmp)"},
        // A description that shows its own pattern keeps it; Qt reads the last parentheses.
        {"JPEG Image File (*.jpg)|*.jpg;*.jpeg", "JPEG Image File (*.jpg) (*.jpg *.jpeg)"},
        {"", ""},
        {"Text Files|*.txt|", "Text Files (*.txt)"},
        {"Anything", "Anything (*)"},
        {"Text Files| *.txt ; *.log |", "Text Files (*.txt *.log)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(qtFilter(QString::fromUtf8(c.pairs)), QString::fromUtf8(c.qt)) << c.pairs;
}

// Without a responder the real dialogs run; a timer works the one that is up.
TEST(Modal, WithoutResponderTheDialogsRunModally)
{
    ASSERT_FALSE(hasResponder());
    auto whenModal = [](std::function<void(QWidget*)> work) {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, timer, [timer, work] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                QPointer<QWidget> guard(w);
                work(w);
                if (guard && guard->isVisible())
                    guard->close();  // a failed check must not leave the run waiting
            }
        });
        timer->start(10);
    };

    whenModal([](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Confirm"));
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    EXPECT_EQ(messageBox(nullptr, QMessageBox::Question, QStringLiteral("Confirm"), QStringLiteral("Sure?"),
                         QMessageBox::Yes | QMessageBox::No),
              QMessageBox::No);

    whenModal([](QWidget* w) {
        auto* input = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->textValue(), QStringLiteral("old"));
        input->setTextValue(QStringLiteral("new"));
        input->accept();
    });
    EXPECT_EQ(inputBox(nullptr, QStringLiteral("c"), QStringLiteral("p"), QStringLiteral("old")),
              std::optional<QString>(QStringLiteral("new")));

    whenModal([](QWidget* w) {
        auto* files = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->nameFilters(), (QStringList{"Text Files (*.txt)", "All Files (*.*)"}));
        files->reject();
    });
    EXPECT_EQ(saveFileName(nullptr, QStringLiteral("Save"), {}, QStringLiteral("Text Files|*.txt|All Files|*.*"),
                           QStringLiteral("*.txt")),
              QString());

    TestWindow window;
    whenModal([&](QWidget* w) {
        EXPECT_EQ(w, &window.dialog);
        QTest::mouseClick(window.all, Qt::LeftButton);
    });
    EXPECT_EQ(execWindow(window.dialog), 8);
}
