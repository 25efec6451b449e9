#pragma once
// The message window: shows a message read-only, sized to its text, with a picture for the kind
// of message and a centred row of buttons; its text box offers Copy, Save and Print.
#include <QDialog>
#include <QFont>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <memory>

class QLabel;
class QMenu;
class QPlainTextEdit;
class QFrame;

namespace Ui {
class TForm_SaveMsg;
}

// The standard button kinds of the button row.
enum TBitBtnKind : quint8 { bkOK, bkYes, bkNo, bkCancel, bkAbort, bkRetry, bkIgnore, bkAll };

// A push button of a standard kind: the kind gives its caption, its modal result and whether it
// answers Enter (default) or Esc (cancel).
class TBitBtn : public QPushButton {
    Q_OBJECT
public:
    explicit TBitBtn(QWidget* parent = nullptr);

    void SetKind(TBitBtnKind kind);
    TBitBtnKind Kind() const { return kind_; }
    int ModalResult() const { return modalResult_; }
    bool Cancel() const { return cancel_; }

private:
    TBitBtnKind kind_ = bkOK;
    int modalResult_ = 0;
    bool cancel_ = false;
};

class TForm_SaveMsg : public QDialog {
    Q_OBJECT
public:
    explicit TForm_SaveMsg(QWidget* parent = nullptr);
    ~TForm_SaveMsg() override;

    // Controls of the window definition.
    QWidget* Panel1 = nullptr;
    QWidget* Panel_Left = nullptr;
    QPlainTextEdit* RichEdit = nullptr;
    QFrame* Panel_Image = nullptr;
    QLabel* Image = nullptr;
    QWidget* Panel_Bottom = nullptr;
    QWidget* Panel_Buttons = nullptr;
    QLabel* Label_Size = nullptr;
    QLabel* Image_Error = nullptr;
    QLabel* Image_Confirm = nullptr;
    QLabel* Image_Info = nullptr;
    QLabel* Image_Warning = nullptr;
    QLabel* Image_Clear = nullptr;

    // The text box's context menu, standing in for the window's system menu.
    QMenu* SystemMenu() const { return systemMenu_; }

    // System-menu command ids; the low four bits are ignored when comparing.
    static constexpr int CopyId = 0xEC90;
    static constexpr int SaveId = 0xEC80;
    static constexpr int PrintId = 0xEC70;
    static constexpr int DividerId = 0xEC60;

    TBitBtn* ButtonRowAdd(TBitBtnKind Kind, QWidget* Panel);
    void ButtonRowPlace(QWidget* Button, QWidget* Panel);
    void ButtonRowFit(QWidget* Panel);
    void SetMessageText(const QString& Msg);
    // Lines the text takes when each of its lines wraps at the width, as the text box shows it.
    static int WrappedLineCount(const QStringList& lines, const QFont& font, int width);
    void ButtonRowCenter(QWidget* Panel);
    void ButtonResultClick(QObject* Sender);

    // 2 (cancel) once shown, the pressed button's result after a click.
    quint16 DialogResult() const { return dialogResult_; }
    // True when the window ended its run itself (a button, the close box, a Close command).
    bool ClosedItself() const { return closedItself_; }

    // A string item with the given id, or a divider for "-", put first in Menu; its command
    // reaches Window's SysCommandHook.
    static void AddSystemMenuItem(TForm_SaveMsg* Window, QMenu* Menu, const QString& Caption, int Id);

    // Lines of a text as the text box takes them: split at CR LF, CR or LF; a final line break
    // opens no further line.
    static QStringList SplitLines(const QString& text);

public slots:
    void SysCommandHook(int Id);
    void MenuItem_CopyClick();
    void MenuItem_SaveClick();
    void MenuItem_PrintClick();
    void MenuItem_CloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void done(int r) override;
    void reject() override;

private:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormResize();
    void RichEditEnter();
    void RichEditMouseDown();
    void RichEditMouseUp();
    void HideCaret();
    void SetClientSize(int width, int height);
    void AlignPanels();
    QList<QWidget*> RowControls(QWidget* Panel) const;
    TBitBtn* CancelButton() const;
    void ShowFailure(const QString& text);

    std::unique_ptr<Ui::TForm_SaveMsg> ui;
    QMenu* systemMenu_ = nullptr;
    quint16 dialogResult_ = 2;
    bool closedItself_ = false;
};
