#include "workspace/tablepage/FindFld.h"

#include "app/Options.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/Utils.h"
#include "components/DialogBehaviour.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_FindFld.h"
#include "ui_Main.h"

#include <QMouseEvent>


namespace {

class RightClick : public QObject {
public:
    RightClick(QWidget& button, std::function<void()> handler) : QObject(&button), handler_(std::move(handler))
    {
        button.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::RightButton
            && static_cast<QWidget*>(watched)->isEnabled()) {
            handler_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> handler_;
};

} // namespace

void InstallRightClick(QWidget& button, std::function<void()> handler)
{
    new RightClick(button, std::move(handler));
}

TForm_FindField::TForm_FindField(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm_FindField>())
{
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui_->BitBtn_OK, &QPushButton::clicked, this, [this] {
        BitBtn_OKClick();
        done(QDialog::Accepted);
    });
    connect(ui_->BitBtn_Cancel, &QPushButton::clicked, this, [this] {
        BitBtn_CancelClick();
        done(QDialog::Rejected);
    });
    // Esc or closing the window otherwise counts as Cancel.
    connect(this, &QDialog::rejected, this, [this] { Cancelled = true; });
    CenterOnScreen(*this);
}

TForm_FindField::~TForm_FindField() = default;

void TForm_FindField::BitBtn_OKClick()
{
    Cancelled = false;
}

void TForm_FindField::BitBtn_CancelClick()
{
    Cancelled = true;
}

void BitBtn_FindFieldClick(TablePageEnv& env, bool Prompt)
{
    const QString table = env.state.CurrentTable;
    if (table.isEmpty())
        return;

    platform::IniFile ini(kQuorvelIni);
    QString search = ini.readString(QStringLiteral("FIELD SEARCH"), table, QString());
    bool cancelled = false;
    if (Prompt) {
        TForm_FindField prompt(env.window);
        prompt.ui()->Edit_Search->setText(search);
        platform::modal::execWindow(prompt);
        search = prompt.ui()->Edit_Search->text();
        cancelled = prompt.Cancelled;
    }
    if (cancelled)
        return;

    QWidget* page = env.ui.ScrollBox->widget();
    QWidget* found = nullptr;
    for (QWidget* control : PageControls(env.ui)) {
        QString fieldName;
        if (auto* edit = qobject_cast<TBVMaskEdit*>(control))
            fieldName = edit->FieldName;
        else if (auto* memo = qobject_cast<TBVMemo*>(control))
            fieldName = memo->FieldName;
        else
            continue;
        if (!control->isEnabled() || !control->isVisibleTo(page))
            continue;
        if (search.endsWith(QLatin1Char('*'))) {
            const QString part = search.chopped(1);
            // An empty part occurs nowhere: "*" alone finds nothing.
            if (!part.isEmpty() && fieldName.contains(part)) {
                search = fieldName;
                found = control;
            }
        } else if (fieldName == search) {
            found = control;
        }
        if (found)
            break;
    }

    if (found) {
        // The prompt has just closed: the window takes the keyboard back first.
        if (env.window)
            env.window->activateWindow();
        found->setFocus();
        env.ui.ScrollBox->ensureWidgetVisible(found);
    } else {
        AppMessageDlg(QStringLiteral("Field ") + search + QStringLiteral(" not found!"), mtInformation, mbOK);
        search.clear();
    }
    ini.writeString(QStringLiteral("Field Search"), table, search);
}
