#include "components/Utils.h"

#include "components/SaveMsgDlg.h"
#include "platform/modal/Modal.h"

#include <QGuiApplication>
#include <QLabel>

quint16 AppMessageDlg(const QString& Msg, quint8 DlgType, quint16 Buttons, qint32 HelpCtx)
{
    Q_UNUSED(HelpCtx);
    TForm_SaveMsg form;

    // Left to right in this order, whatever the order of the bits.
    static constexpr struct {
        quint16 bit;
        TBitBtnKind kind;
    } row[] = {
        {mbOK, bkOK},       {mbYes, bkYes},     {mbNo, bkNo},         {mbCancel, bkCancel},
        {mbAbort, bkAbort}, {mbRetry, bkRetry}, {mbIgnore, bkIgnore}, {mbAll, bkAll},
    };
    for (const auto& b : row) {
        if (Buttons & b.bit)
            form.ButtonRowAdd(b.kind, form.Panel_Buttons);
    }

    const QLabel* picture = form.Image_Clear;
    switch (DlgType) {
    case mtError:
        form.setWindowTitle(QStringLiteral("Error"));
        picture = form.Image_Error;
        break;
    case mtConfirmation:
        form.setWindowTitle(QStringLiteral("Confirm"));
        picture = form.Image_Confirm;
        break;
    case mtWarning:
        form.setWindowTitle(QStringLiteral("Warning"));
        picture = form.Image_Warning;
        break;
    case mtInformation:
        form.setWindowTitle(QStringLiteral("Information"));
        picture = form.Image_Info;
        break;
    default:
        form.setWindowTitle(QGuiApplication::applicationDisplayName());
        form.Panel_Left->resize(20, form.Panel_Left->height());
        form.Panel_Image->hide();
        break;
    }
    form.Image->setPixmap(picture->pixmap());

    form.ButtonRowFit(form.Panel_Buttons);
    form.SetMessageText(Msg);
    form.ButtonRowCenter(form.Panel_Buttons);

    const int answer = platform::modal::execWindow(form);
    // A test's responder may answer for the window instead of working its buttons.
    if (!form.ClosedItself() && answer >= mrOk && answer <= mrAll)
        return static_cast<quint16>(answer);
    return form.DialogResult();
}
