#include "app/MainWindow.h"

#include "app/ConnectionStatus.h"
#include "app/DatabaseRegistry.h"
#include "components/BVAboutBox.h"
#include "components/BVExecFile.h"
#include "components/BVSplashScreen.h"

#include "ui_Main.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QScreen>
#include <QTabBar>

#include <algorithm>

namespace {

// The program's picture, shown by the splash screen and the about box.
QPixmap applicationPicture()
{
    QPixmap pixmap(142, 142);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // A database drum of three discs.
    const QRectF body(26, 30, 90, 88);
    const qreal rim = 22;
    QLinearGradient side(body.left(), 0, body.right(), 0);
    side.setColorAt(0, QColor(20, 60, 120));
    side.setColorAt(0.45, QColor(70, 140, 210));
    side.setColorAt(1, QColor(15, 45, 95));
    p.setPen(QPen(QColor(10, 30, 70), 2));
    for (int disc = 2; disc >= 0; --disc) {
        const qreal top = body.top() + disc * (body.height() - rim) / 3;
        const qreal bottom = top + (body.height() - rim) / 3;
        QPainterPath path;
        path.moveTo(body.left(), top + rim / 2);
        path.lineTo(body.left(), bottom + rim / 2);
        path.arcTo(QRectF(body.left(), bottom, body.width(), rim), 180, 180);
        path.lineTo(body.right(), top + rim / 2);
        path.closeSubpath();
        p.setBrush(side);
        p.drawPath(path);
    }
    p.setBrush(QColor(150, 200, 240));
    p.drawEllipse(QRectF(body.left(), body.top(), body.width(), rim));

    // A magnifying glass over the drum: looking at the data.
    p.setPen(QPen(QColor(120, 70, 20), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(98, 100), QPointF(126, 128));
    p.setPen(QPen(QColor(200, 160, 40), 6));
    p.setBrush(QColor(255, 255, 225, 170));
    p.drawEllipse(QPointF(84, 86), 22, 22);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(28);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(128, 0, 128));
    p.drawText(QRectF(62, 64, 44, 44), Qt::AlignCenter, QStringLiteral("Q"));
    return pixmap;
}

// Page tabs at least 120 pixels wide, yet never narrower than their caption; the style draws them.
class TabWidthStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_TabBarTab)
            result.setWidth(std::max(result.width(), 120));
        return result;
    }
};

} // namespace

TForm_Main::TForm_Main(QWidget* parent) : QMainWindow(parent), ui_(std::make_unique<Ui::TForm_Main>())
{
    ui_->setupUi(this);
    completeWindowDefinition();
    BVSplashScreen = new TBVSplashScreen(this);
    BVExecFile = new TBVExecFile(this);
    BVAboutBox = new TBVAboutBox(this);
    registry_ = std::make_unique<DatabaseRegistry>(state_, *ui_->MenuItem_Database,
                                                   [this](QAction* item) { bindDatabaseItem(item); });
    // As the class library shows an exception escaping a creation handler, and the window lives on.
    try {
        FormCreate();
    } catch (const std::exception& error) {
        ShowApplicationException(error);
    }
}

TForm_Main::~TForm_Main()
{
    FormDestroy();
}

void TForm_Main::completeWindowDefinition()
{
    // What a Designer file cannot say: named separators, a hidden submenu, the picture, the
    // status-bar panels, the first split of the SQL page, the place on the screen.
    for (QAction* separator : {ui_->N12, ui_->N5, ui_->N3, ui_->N4, ui_->N1, ui_->N8, ui_->N2, ui_->N9, ui_->N6,
                               ui_->N14, ui_->N7, ui_->N20, ui_->N13, ui_->MenuItem_ContentsDivider})
        separator->setSeparator(true);
    ui_->MenuItem_LoadTablesMulti->menuAction()->setVisible(false);
    auto* tabStyle = new TabWidthStyle;
    tabStyle->setParent(this);
    ui_->PageControl->tabBar()->setStyle(tabStyle);

    ui_->Image->setPixmap(applicationPicture());
    ui_->Image->lower();

    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(ui_->StatusBar);
        panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[i]->setMargin(1);
    }
    // Panel 0 must never widen the window with a long status text.
    panels_[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panels_[0]->setMinimumWidth(1);
    panels_[1]->setAlignment(Qt::AlignCenter);
    panels_[1]->setFixedWidth(0);
    ui_->StatusBar->addWidget(panels_[0], 1);
    ui_->StatusBar->addWidget(panels_[1], 0);

    ui_->Splitter->setStretchFactor(0, 0);
    ui_->Splitter->setStretchFactor(1, 1);
    ui_->Splitter->setSizes({139, 360});

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TForm_Main::bindDatabaseItem(QAction* item)
{
    // The database switch connects its click handler here.
    Q_UNUSED(item);
}

QLabel* TForm_Main::statusPanel(int index) const
{
    return index >= 0 && index < 2 ? panels_[index] : nullptr;
}

void TForm_Main::setPanelText(int index, const QString& text)
{
    if (QLabel* panel = statusPanel(index))
        panel->setText(text);
}

QString TForm_Main::panelText(int index) const
{
    const QLabel* panel = statusPanel(index);
    return panel ? panel->text() : QString();
}

void TForm_Main::setPanelWidth(int index, int width)
{
    QLabel* panel = statusPanel(index);
    if (!panel)
        return;
    if (index == 0)
        panel->setMinimumWidth(qMax(1, width));
    else
        panel->setFixedWidth(qMax(0, width));
}

OptionControls TForm_Main::optionControls() const
{
    OptionControls c;
    c.Memo_SQL = ui_->Memo_SQL;
    c.Memo_Results = ui_->Memo_Results;
    c.MenuItem_ToolBar = ui_->MenuItem_ToolBar;
    c.MenuItem_StatusBar = ui_->MenuItem_StatusBar;
    c.MenuItem_ShowFieldNames = ui_->MenuItem_ShowFieldNames;
    c.MenuItem_AllowLowerCase = ui_->MenuItem_AllowLowerCase;
    c.MenuItem_IncludeCommands = ui_->MenuItem_IncludeCommands;
    c.MenuItem_DefaultNulls = ui_->MenuItem_DefaultNulls;
    c.MenuItem_FTP = ui_->MenuItem_FTP;
    c.MenuItem_Servers = {ui_->MenuItem_Server01, ui_->MenuItem_Server02, ui_->MenuItem_Server03,
                          ui_->MenuItem_Server04, ui_->MenuItem_Server05};
    c.BVExecFile = BVExecFile;
    return c;
}

EngineComponents TForm_Main::engineComponents()
{
    return EngineComponents{&Database, &Table, &Query, &Query1, &Query2};
}

StartUpControls TForm_Main::startUpControls()
{
    StartUpControls c;
    c.registry = registry_.get();
    c.BVSplashScreen = BVSplashScreen;
    c.Image = ui_->Image;
    c.StatusBar = ui_->StatusBar;
    c.StatusPanel0 = panels_[0];
    c.Panel_Menu = ui_->Panel_Menu;
    c.options = optionControls();
    c.engine = engineComponents();
    return c;
}

void TForm_Main::FormCreate() { startup::FormCreate(state_, *registry_, *BVSplashScreen); }

void TForm_Main::FormShow() { startup::FormShow(state_, startUpControls()); }

void TForm_Main::FormClose() { startup::FormClose(state_, optionControls()); }

void TForm_Main::FormDestroy() { startup::FormDestroy(state_); }

void TForm_Main::LoadOptions() { ::LoadOptions(state_, optionControls()); }

QString TForm_Main::GetConnectionText() { return ::GetConnectionText(state_, ui_->StatusBar); }

void TForm_Main::LoadTableNames() { ::LoadTableNames(state_, Database.databaseName()); }

void TForm_Main::closeEvent(QCloseEvent* event)
{
    // Closing goes on when the options cannot be saved; the user is told why.
    try {
        FormClose();
    } catch (const std::exception& error) {
        ShowApplicationException(error);
    }
    event->accept();
}
