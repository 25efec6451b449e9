#include "components/SaveMsgDlg.h"

#include "components/DialogBehaviour.h"

#include "platform/modal/Modal.h"
#include "ui_SaveMsgDlg.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QSaveFile>
#include <QScrollBar>
#include <QStyle>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>

namespace {

// Limits of the window's client area: an outer size of 200 x 120 to 640 x 480 less the frame
// of a single-border window with a caption.
constexpr int minClientWidth = 192;
constexpr int minClientHeight = 93;
constexpr int maxClientWidth = 632;
constexpr int maxClientHeight = 453;

constexpr int buttonWidth = 75;
constexpr int buttonHeight = 25;

QString applicationTitle()
{
    return QGuiApplication::applicationDisplayName();
}

} // namespace

// ---- TBitBtn -------------------------------------------------------------------------------

TBitBtn::TBitBtn(QWidget* parent) : QPushButton(parent)
{
    resize(buttonWidth, buttonHeight);
}

void TBitBtn::SetKind(TBitBtnKind kind)
{
    struct KindInfo {
        const char* caption;
        int result;
        bool isDefault;
        bool isCancel;
    };
    static constexpr KindInfo kinds[] = {
        {"OK", 1, true, false},       // bkOK
        {"&Yes", 6, true, false},     // bkYes
        {"&No", 7, false, true},      // bkNo
        {"Cancel", 2, false, true},   // bkCancel
        {"Abort", 3, false, false},   // bkAbort
        {"&Retry", 4, false, false},  // bkRetry
        {"&Ignore", 5, false, false}, // bkIgnore
        {"&All", 8, false, false},    // bkAll
    };
    const KindInfo& k = kinds[kind];
    kind_ = kind;
    setText(QString::fromLatin1(k.caption));
    modalResult_ = k.result;
    cancel_ = k.isCancel;
    // Only the first default button of a dialog answers Enter.
    bool otherDefault = false;
    if (parentWidget()) {
        for (auto* b : window()->findChildren<QPushButton*>())
            otherDefault = otherDefault || (b != this && b->isDefault());
    }
    setDefault(k.isDefault && !otherDefault);
}

// ---- TForm_SaveMsg -------------------------------------------------------------------------

TForm_SaveMsg::TForm_SaveMsg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm_SaveMsg>())
{
    ui->setupUi(this);
    Panel1 = ui->Panel1;
    Panel_Left = ui->Panel_Left;
    RichEdit = ui->RichEdit;
    Panel_Image = ui->Panel_Image;
    Image = ui->Image;
    Panel_Bottom = ui->Panel_Bottom;
    Panel_Buttons = ui->Panel_Buttons;
    Label_Size = ui->Label_Size;
    Image_Error = ui->Image_Error;
    Image_Confirm = ui->Image_Confirm;
    Image_Info = ui->Image_Info;
    Image_Warning = ui->Image_Warning;
    Image_Clear = ui->Image_Clear;
    FormCreate();
}

TForm_SaveMsg::~TForm_SaveMsg() = default;

void TForm_SaveMsg::FormCreate()
{
    // Single border, caption with the close box only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    // The text box asks for a fixed pitch, but its face has no fixed-pitch form, so the face
    // wins; a monospace stand-in would outgrow the 13-pixel lines the sizing counts on.
    QPalette pal = RichEdit->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    RichEdit->setPalette(pal);
    // The text starts at the box's edge: the height rule leaves no room for an inner margin.
    RichEdit->document()->setDocumentMargin(0);
    RichEdit->installEventFilter(this);
    RichEdit->viewport()->installEventFilter(this);
    HideCaret();

    const int iconSize = 32;
    QStyle* st = style();
    Image_Error->setPixmap(st->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(iconSize));
    Image_Confirm->setPixmap(st->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(iconSize));
    Image_Info->setPixmap(st->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(iconSize));
    Image_Warning->setPixmap(st->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize));

    // The commands live in the text box's context menu; being the window's own children they go
    // with the window, so no command can reach a message window that has closed.
    // Close stands for the system menu's own items.
    systemMenu_ = new QMenu(this);
    systemMenu_->addAction(ui->MenuItem_Close);
    AddSystemMenuItem(this, systemMenu_, QStringLiteral("-"), DividerId);
    AddSystemMenuItem(this, systemMenu_, QStringLiteral("&Print"), PrintId);
    AddSystemMenuItem(this, systemMenu_, QStringLiteral("&Save"), SaveId);
    AddSystemMenuItem(this, systemMenu_, QStringLiteral("&Copy"), CopyId);
    connect(ui->MenuItem_Close, &QAction::triggered, this, &TForm_SaveMsg::MenuItem_CloseClick);
    connect(RichEdit, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { systemMenu_->popup(RichEdit->viewport()->mapToGlobal(pos)); });

    AlignPanels();
}

void TForm_SaveMsg::AddSystemMenuItem(TForm_SaveMsg* Window, QMenu* Menu, const QString& Caption, int Id)
{
    const bool divider = Caption == QLatin1String("-");
    auto* item = new QAction(divider ? QString() : Caption, Menu);
    item->setData(Id);
    item->setSeparator(divider);
    if (!item->isSeparator() && Window)
        connect(item, &QAction::triggered, Window, [Window, Id] { Window->SysCommandHook(Id); });
    const QList<QAction*> items = Menu->actions();
    Menu->insertAction(items.isEmpty() ? nullptr : items.first(), item);
}

void TForm_SaveMsg::SysCommandHook(int Id)
{
    switch (Id & 0xFFF0) {
    case CopyId: MenuItem_CopyClick(); break;
    case SaveId: MenuItem_SaveClick(); break;
    case PrintId: MenuItem_PrintClick(); break;
    default: break;
    }
}

QStringList TForm_SaveMsg::SplitLines(const QString& text)
{
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines << line;
            line.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// ---- Button row ----------------------------------------------------------------------------

QList<QWidget*> TForm_SaveMsg::RowControls(QWidget* Panel) const
{
    return Panel->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
}

TBitBtn* TForm_SaveMsg::ButtonRowAdd(TBitBtnKind Kind, QWidget* Panel)
{
    auto* button = new TBitBtn(Panel);
    ButtonRowPlace(button, Panel);
    button->SetKind(Kind);
    button->setIcon(QIcon());
    connect(button, &QPushButton::clicked, this, [this, button] {
        ButtonResultClick(button);
        if (button->ModalResult() != 0)
            done(button->ModalResult());
    });
    return button;
}

void TForm_SaveMsg::ButtonRowPlace(QWidget* Button, QWidget* Panel)
{
    int largestLeft = 0;
    for (QWidget* c : RowControls(Panel))
        largestLeft = std::max(largestLeft, c->x());
    const int left = largestLeft == 0 ? 2 : largestLeft + Button->width() + 2;
    Button->move(left, 4);
}

void TForm_SaveMsg::ButtonRowFit(QWidget* Panel)
{
    const QList<QWidget*> controls = RowControls(Panel);
    int largestLeft = 0;
    for (QWidget* c : controls)
        largestLeft = std::max(largestLeft, c->x());
    // An empty row measures from the panel itself.
    const int lastWidth = controls.isEmpty() ? Panel->width() : controls.last()->width();
    Panel->resize(lastWidth + largestLeft + 4, Panel->height());
}

void TForm_SaveMsg::ButtonRowCenter(QWidget* Panel)
{
    Panel->move((width() - Panel->width()) / 2, Panel->y());
}

void TForm_SaveMsg::ButtonResultClick(QObject* Sender)
{
    if (auto* button = qobject_cast<TBitBtn*>(Sender))
        dialogResult_ = static_cast<quint16>(button->ModalResult());
}

TBitBtn* TForm_SaveMsg::CancelButton() const
{
    TBitBtn* no = nullptr;
    for (QWidget* c : RowControls(Panel_Buttons)) {
        auto* b = qobject_cast<TBitBtn*>(c);
        if (!b || !b->Cancel())
            continue;
        if (b->Kind() == bkCancel)
            return b;
        if (!no)
            no = b;
    }
    return no;
}

// ---- Sizing --------------------------------------------------------------------------------

void TForm_SaveMsg::SetClientSize(int width, int height)
{
    setFixedSize(std::clamp(width, minClientWidth, maxClientWidth),
                 std::clamp(height, minClientHeight, maxClientHeight));
    AlignPanels();
}

// Top strip, left strip and bottom strip around the text box, as the panels are aligned.
void TForm_SaveMsg::AlignPanels()
{
    const int w = width();
    const int h = height();
    const int top = Panel1->height();
    const int bottom = Panel_Bottom->height();
    const int middle = std::max(0, h - top - bottom);
    Panel1->setGeometry(0, 0, w, top);
    Panel_Bottom->setGeometry(0, h - bottom, w, bottom);
    Panel_Left->setGeometry(0, top, Panel_Left->width(), middle);
    RichEdit->setGeometry(Panel_Left->width(), top, std::max(0, w - Panel_Left->width()), middle);
    // A one- or two-line message leaves the strip lower than the picture's place: lift the
    // picture so the button row never cuts it.
    Panel_Image->move(Panel_Image->x(), std::clamp(middle - Panel_Image->height(), 0, 11));
}

void TForm_SaveMsg::SetMessageText(const QString& Msg)
{
    const QStringList lines = SplitLines(Msg);
    RichEdit->setPlainText(lines.join(u'\n'));
    const int n = static_cast<int>(lines.size());

    int clientWidth = 632;
    int clientHeight = 206;
    SetClientSize(clientWidth, clientHeight);
    Label_Size->setFont(RichEdit->font());

    if (n == 0) {
        SetClientSize(220, 100);
        return;
    }

    const int h = n * 13 + 30 + Panel_Bottom->height();
    if (h < 446)
        clientHeight = h;

    const QFontMetrics metrics(Label_Size->font());
    int widest = 0;
    for (const QString& line : lines) {
        Label_Size->setText(line);
        widest = std::max(widest, metrics.horizontalAdvance(line) + Panel_Left->width() + 20);
    }
    if (widest < 200)
        clientWidth = 220;
    else if (widest <= 632)
        clientWidth = widest;

    if (clientWidth < Panel_Buttons->width())
        clientWidth = Panel_Buttons->width() + 20;
    SetClientSize(clientWidth, clientHeight);

    // Long lines wrap at the box's width, so no horizontal bar ever covers a line. The height
    // rule leaves room for a little wrapping; a window sized to its lines grows (up to its limit)
    // where the wrapped text needs more, so a short message is read whole without scrolling.
    const int margins = 2 * static_cast<int>(RichEdit->document()->documentMargin());
    const int textHeight = WrappedLineCount(lines, RichEdit->font(), RichEdit->width() - margins) * metrics.lineSpacing()
                           + margins;
    if (h < 446 && textHeight > RichEdit->height())
        SetClientSize(clientWidth, std::min(height() + textHeight - RichEdit->height(), maxClientHeight));
    const bool fits = textHeight <= RichEdit->height();
    RichEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RichEdit->setVerticalScrollBarPolicy(fits ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);

    // Back to the top of the text.
    RichEdit->moveCursor(QTextCursor::Start);
    RichEdit->verticalScrollBar()->setValue(0);
    RichEdit->horizontalScrollBar()->setValue(0);
}

int TForm_SaveMsg::WrappedLineCount(const QStringList& lines, const QFont& font, int width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    int count = 0;
    for (const QString& line : lines) {
        QTextLayout layout(line, font);
        layout.setTextOption(option);
        layout.beginLayout();
        int inLine = 0;
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(std::max(1, width));
            ++inLine;
        }
        layout.endLayout();
        count += std::max(1, inLine);
    }
    return count;
}

// ---- Window handlers -----------------------------------------------------------------------

void TForm_SaveMsg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm_SaveMsg::FormShow()
{
    closedItself_ = false;
    dialogResult_ = 2;
    CenterOnScreen(*this);
    RichEditEnter();
}

void TForm_SaveMsg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TForm_SaveMsg::FormActivate()
{
    HideCaret();
}

void TForm_SaveMsg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TForm_SaveMsg::FormResize()
{
    AlignPanels();
    ButtonRowCenter(Panel_Buttons);
}

void TForm_SaveMsg::HideCaret()
{
    RichEdit->setCursorWidth(0);
}

void TForm_SaveMsg::RichEditEnter()
{
    HideCaret();
    const QList<QWidget*> buttons = RowControls(Panel_Buttons);
    if (!buttons.isEmpty())
        buttons.first()->setFocus(Qt::OtherFocusReason);
    else if (RichEdit->hasFocus())
        Panel_Buttons->setFocus(Qt::OtherFocusReason);
}

void TForm_SaveMsg::RichEditMouseDown()
{
    HideCaret();
}

void TForm_SaveMsg::RichEditMouseUp()
{
    HideCaret();
}

bool TForm_SaveMsg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RichEdit && event->type() == QEvent::FocusIn)
        RichEditEnter();
    else if (watched == RichEdit->viewport() && event->type() == QEvent::MouseButtonPress)
        RichEditMouseDown();
    else if (watched == RichEdit->viewport() && event->type() == QEvent::MouseButtonRelease)
        RichEditMouseUp();
    return QDialog::eventFilter(watched, event);
}

void TForm_SaveMsg::keyPressEvent(QKeyEvent* event)
{
    // Esc presses the cancel button (Cancel before No); without one it does nothing, as the
    // window then closes only through its close box or Close command.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (TBitBtn* cancel = CancelButton())
            cancel->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm_SaveMsg::done(int r)
{
    closedItself_ = true;
    QDialog::done(r);
}

// The close box and the Close command: the dialog result stays what it was (2 unless a button
// was pressed).
void TForm_SaveMsg::reject()
{
    done(2);
}

// ---- Commands ------------------------------------------------------------------------------

void TForm_SaveMsg::MenuItem_CopyClick()
{
    RichEdit->setUpdatesEnabled(false);
    RichEdit->selectAll();
    RichEdit->copy();
    QTextCursor cursor = RichEdit->textCursor();
    cursor.clearSelection();
    RichEdit->setTextCursor(cursor);
    RichEdit->setUpdatesEnabled(true);
}

void TForm_SaveMsg::ShowFailure(const QString& text)
{
    platform::modal::messageBox(this, QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok);
}

void TForm_SaveMsg::MenuItem_SaveClick()
{
    const QString path = platform::modal::saveFileName(this, QStringLiteral("Save As"), QString(),
                                                       QStringLiteral("Text Files|*.txt"), QStringLiteral("*.txt"));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    for (const QString& line : RichEdit->toPlainText().split(u'\n'))
        bytes += line.toUtf8() + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        ShowFailure(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString()));
    }
}

void TForm_SaveMsg::MenuItem_PrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    if (!platform::modal::printDialog(this, printer))
        return;

    QPlainTextEdit box(this);
    box.hide();
    box.resize(640, 600);
    box.setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont f = box.font();
    f.setFamily(RichEdit->font().family());
    f.setPointSize(10);
    box.setFont(f);
    box.setPlainText(applicationTitle() + u'\n' + RichEdit->toPlainText());

    printer.setDocName(applicationTitle() + QStringLiteral(" : ") + QStringLiteral("Error Log"));
    box.print(&printer);
    if (printer.printerState() == QPrinter::Error) {
        const QString target = printer.outputFileName();
        ShowFailure(target.isEmpty() ? QStringLiteral("The message could not be printed.")
                                     : QStringLiteral("The message could not be printed to \"%1\".").arg(target));
    }
}

void TForm_SaveMsg::MenuItem_CloseClick()
{
    close();
}
