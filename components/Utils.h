#pragma once
// The system's own message dialog.
#include <QString>
#include <QtGlobal>

// Message kinds (DlgType).
enum : quint8 { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

// Button set (Buttons): one bit per button.
enum : quint16 {
    mbYes = 1 << 0,
    mbNo = 1 << 1,
    mbOK = 1 << 2,
    mbCancel = 1 << 3,
    mbAbort = 1 << 4,
    mbRetry = 1 << 5,
    mbIgnore = 1 << 6,
    mbAll = 1 << 7,
};

// Results.
enum : quint16 { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8 };

// Shows Msg in the message window, modally (through the modal seam), and returns the pressed
// button's result, or mrCancel when the window was closed otherwise. HelpCtx is ignored.
quint16 AppMessageDlg(const QString& Msg, quint8 DlgType, quint16 Buttons, qint32 HelpCtx = 0);
