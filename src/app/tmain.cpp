#include "app/tmain.h"

#include "app/artwork.h"
#include "app/statuspanes.h"
#include "app/tguanyu.h"
#include "config/appconfig.h"
#include "config/programhome.h"
#include "controls/messageservice.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "operators/permissions.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolBar>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

TMAIN* MAIN = nullptr;

namespace {

// The menu in display order; an empty entry stands for a separator.
struct MenuEntry
{
    const char* top;
    const char* entry;
};
const MenuEntry g_menu[] = {
    {"系统设置", "操作人员及权限设置"},
    {"系统设置", "修改密码"},
    {"系统设置", "店铺名称、界面及小票打印设置"},
    {"系统设置", ""},
    {"系统设置", "数据备份"},
    {"系统设置", "数据恢复"},
    {"系统设置", ""},
    {"系统设置", "积分手动清零"},
    {"系统设置", "历史数据清除"},
    {"系统设置", "数据初始化"},
    {"系统设置", ""},
    {"系统设置", "退出系统"},
    {"会员卡管理", "会员卡类别设置"},
    {"会员卡管理", "新增修改会员信息"},
    {"会员卡管理", "会员查询"},
    {"会员卡管理", "全部会员信息"},
    {"会员卡管理", ""},
    {"会员卡管理", "会员卡口头挂失及取消"},
    {"会员卡管理", "会员卡正式挂失"},
    {"基本业务", "增加积分"},
    {"基本业务", "退货扣积分"},
    {"基本业务", "积分兑换"},
    {"查询报表", "会员积分增减历史记录"},
    {"查询报表", "口头挂失记录"},
    {"查询报表", "全部挂失记录"},
    {"查询报表", ""},
    {"查询报表", "会员生日提醒"},
    {"查询报表", "保险到期提醒"},
    {"礼品管理", "礼品入库"},
    {"礼品管理", "礼品库存查询"},
    {"礼品管理", "礼品兑换记录"},
    {"系统帮助", "帮助"},
    {"系统帮助", "关于"},
};

// Toolbar buttons left to right: caption, the menu entry it clicks (nullptr: its own action),
// whether it shows, and its picture.
struct ToolbarEntry
{
    const char* caption;
    const char* entry;
    bool visible;
    ToolbarArt art;
    const char* shown = nullptr; // the caption over two lines, where one is too narrow
};
const ToolbarEntry g_toolbar[] = {
    {"增加积分", "增加积分", true, ToolbarArt::AddPoints},
    {"退/换货减积分", "退货扣积分", true, ToolbarArt::ReturnPoints, "退/换货\n减积分"},
    {"积分兑换", "积分兑换", true, ToolbarArt::Redeem},
    {"会员管理", "新增修改会员信息", true, ToolbarArt::Members},
    {"会员查询", "会员查询", false, ToolbarArt::MemberQuery},
    {"口头挂失及取消", "会员卡口头挂失及取消", false, ToolbarArt::VerbalLoss, "口头挂失\n及取消"},
    {"会员卡挂失/换卡", "会员卡正式挂失", true, ToolbarArt::CardLoss, "会员卡\n挂失/换卡"},
    {"生日提醒", "会员生日提醒", true, ToolbarArt::Birthday},
    {"系统帮助", "帮助", true, ToolbarArt::Help},
    {"暂时离开", nullptr, true, ToolbarArt::AwayLock},
    {"退出", nullptr, true, ToolbarArt::Exit},
};

constexpr int CaptionWidth = 1025;
constexpr int CaptionHeight = 73;

// A toolbar button 60 pixels square: the 32-pixel picture above the caption. A caption too long
// for one line is shown on the two lines it is given (its text stays the caption), in the
// largest size up to the button's own font that fits.
class ToolbarButton : public QToolButton
{
public:
    static constexpr int Side = 60;
    using QToolButton::QToolButton;
    void setCaptionLines(const QStringList& lines) { m_lines = lines; }
    QSize sizeHint() const override { return {Side, Side}; }
    QSize minimumSizeHint() const override { return {Side, Side}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        option.text.clear();
        option.icon = QIcon();
        painter.drawComplexControl(QStyle::CC_ToolButton, option);

        const QRect picture((width() - 32) / 2, 2, 32, 32);
        icon().paint(&painter, picture, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);

        const QStringList lines = m_lines.isEmpty() ? QStringList{text()} : m_lines;
        const QRect room(1, picture.bottom() + 1, width() - 2, height() - picture.bottom() - 2);
        QFont font = painter.font();
        // Chinese lines sit closer than the font's own spacing would put them.
        const auto step = [&] { return qRound(QFontInfo(font).pixelSize() * 1.1); };
        const auto fits = [&] {
            const QFontMetrics metrics(font);
            for (const QString& line : lines)
                if (metrics.horizontalAdvance(line) > room.width())
                    return false;
            return lines.size() == 1 || step() * lines.size() <= room.height();
        };
        while (!fits() && font.pointSizeF() > 6)
            font.setPointSizeF(font.pointSizeF() - 0.5);
        painter.setFont(font);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        const int lineHeight = lines.size() == 1 ? room.height() : step();
        int top = room.top() + (room.height() - lineHeight * int(lines.size())) / 2;
        for (const QString& line : lines) {
            painter.drawText(QRect(room.left(), top, room.width(), lineHeight), Qt::AlignCenter | Qt::TextDontClip, line);
            top += lineHeight;
        }
    }

private:
    QStringList m_lines;
};

} // namespace

TMAIN::TMAIN(QWidget* parent) : QMainWindow(parent)
{
    MAIN = this;
    setObjectName(u"MAIN"_s);
    setWindowTitle(Product::Title);
    resize(1280, 800);

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(u"MDIClient"_s);
    m_mdi->setBackground(QColor(0xee, 0xf3, 0xf7));
    m_mdi->viewport()->installEventFilter(this);
    setCentralWidget(m_mdi);

    buildCaptions();
    buildMenu();
    buildToolbar();
    buildStatusBar();

    for (QTimer* t : {&m_timer1, &m_timer2}) {
        t->setInterval(100);
        t->setSingleShot(true);
    }
    m_timer1.setObjectName(u"Timer1"_s);
    m_timer2.setObjectName(u"Timer2"_s);
    connect(&m_timer1, &QTimer::timeout, this, [this] { reminderTimerFired(&m_timer1, u"会员生日提醒"_s); });
    connect(&m_timer2, &QTimer::timeout, this, [this] { reminderTimerFired(&m_timer2, u"保险到期提醒"_s); });

    m_backupName = Values::todayText();
    m_openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    Screens::setOpener([this](const QString& caption) { return openScreen(caption); });
    setEntryHandler(u"退出系统"_s, [this] { close(); });
    setEntryHandler(u"帮助"_s, [this] { openHelp(); });
    setEntryHandler(u"关于"_s, [this] { showAbout(); });
}

TMAIN::~TMAIN()
{
    if (MAIN == this) {
        MAIN = nullptr;
        Screens::setOpener({});
    }
}

void TMAIN::buildCaptions()
{
    QWidget* client = m_mdi->viewport();
    m_image1 = new QLabel(client);
    m_image1->setObjectName(u"Image1"_s);
    m_image1->setScaledContents(true);
    m_image1->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_image1->hide();

    QFont captionFont;
    // The calligraphic face of the shop's Windows desk first, then the Kai face Debian ships.
    captionFont.setFamilies({u"华文行楷"_s, u"STXingkai"_s, u"AR PL UKai CN"_s, u"Noto Serif CJK SC"_s,
                             u"Noto Sans CJK SC"_s});
    captionFont.setPixelSize(60);
    for (QLabel** label : {&m_label1, &m_label2}) {
        *label = new QLabel(client);
        (*label)->setFont(captionFont);
        (*label)->setAlignment(Qt::AlignCenter);
        (*label)->setFixedSize(CaptionWidth, CaptionHeight);
        (*label)->setAttribute(Qt::WA_TransparentForMouseEvents);
        (*label)->setAttribute(Qt::WA_TranslucentBackground);
        (*label)->setStyleSheet(u"color: #008080; background: transparent;"_s);
    }
    m_label1->setObjectName(u"Label1"_s);
    m_label2->setObjectName(u"Label2"_s);
    m_label2->setText(Product::Title);
}

void TMAIN::buildMenu()
{
    QMenu* current = nullptr;
    QString currentTop;
    for (const MenuEntry& m : g_menu) {
        const QString top = QString::fromUtf8(m.top);
        if (top != currentTop) {
            current = menuBar()->addMenu(top);
            current->setObjectName(u"menu:"_s + top);
            currentTop = top;
        }
        const QString caption = QString::fromUtf8(m.entry);
        if (caption.isEmpty()) {
            current->addSeparator();
            continue;
        }
        QAction* action = current->addAction(caption);
        action->setObjectName(caption);
        connect(action, &QAction::triggered, this, [this, caption] {
            if (const auto handler = m_handlers.value(caption))
                handler();
        });
        m_entries.insert(caption, action);
        m_entryOrder.append(action);
    }
}

void TMAIN::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(u"RzToolbar2"_s);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setIconSize(QSize(32, 32));
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolbar);

    for (const ToolbarEntry& t : g_toolbar) {
        const QString caption = QString::fromUtf8(t.caption);
        auto* button = new ToolbarButton(m_toolbar);
        button->setObjectName(caption);
        button->setText(caption);
        button->setAccessibleName(caption);
        button->setIcon(toolbarIcon(t.art));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFixedSize(ToolbarButton::Side, ToolbarButton::Side);
        if (t.shown)
            button->setCaptionLines(QString::fromUtf8(t.shown).split(u'\n'));
        button->setAutoRaise(true);
        QAction* slot = m_toolbar->addWidget(button);
        slot->setVisible(t.visible);
        if (t.entry) {
            const QString entry = QString::fromUtf8(t.entry);
            connect(button, &QToolButton::clicked, this, [this, entry] { clickEntry(entry); });
        }
        m_buttons.insert(caption, button);
        m_buttonOrder.append(button);
    }
    connect(m_buttons.value(u"退出"_s), &QToolButton::clicked, this, [this] { close(); });
    // 暂时离开 gets the away lock with the other screens' wiring.
}

void TMAIN::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(u"RzStatusBar1"_s);
    bar->setSizeGripEnabled(false);

    m_statusPane = new QLabel(bar);
    m_statusPane->setObjectName(u"RzStatusPane1"_s);
    m_statusPane->setAlignment(Qt::AlignCenter);
    m_statusPane->setFixedWidth(227);

    m_marquee = new MarqueePane(bar);
    m_marquee->setObjectName(u"RzMarqueeStatus1"_s);
    m_marquee->setFixedWidth(432);

    m_clock = new ClockPane(bar);
    m_clock->setObjectName(u"RzClockStatus1"_s);
    m_clock->setFixedWidth(287);

    bar->addWidget(m_statusPane);
    bar->addWidget(m_marquee);
    bar->addWidget(m_clock);
}

bool TMAIN::connectDatabase()
{
    QString error;
    bool damaged = false;
    Engine::Location location;
    if (DM1 && AppConfig::database(&location, &error) && DM1->connectTo(location, &error, &damaged))
        return true;
    if (damaged)
        MessageService::error(this, u"错误"_s,
                              u"数据库文件已损坏，无法使用：%1\n%2"_s.arg(
                                  error, QDir::toNativeSeparators(ProgramHome::databasePath())));
    else
        MessageService::error(this, u"错误"_s, u"无法连接到指定的数据库！请重试！\n%1"_s.arg(error));
    return false;
}

void TMAIN::applyStartupSettings(const StartupSettings& settings)
{
    setShopName(settings.shopName);
    m_marquee->setText(settings.slogan);
    m_remindBirthday = settings.remindBirthday;
    m_remindInsurance = settings.remindInsurance;
    setBackgroundPicture(settings.backgroundPath);
}

void TMAIN::setShopName(const QString& shopName)
{
    setWindowTitle(shopName + Product::Title + Product::Version);
    m_label1->setText(shopName);
}

void TMAIN::setBackgroundPicture(const QString& path)
{
    m_image1->hide();
    const QPixmap picture(path);
    if (picture.isNull())
        return;
    m_image1->setPixmap(picture);
    m_image1->setGeometry(m_mdi->viewport()->rect());
    m_image1->show();
    m_image1->lower();
}

void TMAIN::applyLogin(const QString& operatorId, const QSet<QString>& permissions)
{
    m_statusPane->setText(u"当前用户为:"_s + operatorId);
    for (const PermissionGate& gate : Permissions::gates()) {
        const bool on = permissions.contains(QString::fromUtf8(gate.name));
        if (QAction* entry = menuEntry(QString::fromUtf8(gate.menuEntry)))
            entry->setEnabled(on);
        if (gate.toolbarButton) {
            if (QToolButton* button = toolbarButton(QString::fromUtf8(gate.toolbarButton)))
                button->setEnabled(on);
        }
    }
}

bool TMAIN::OpenOrActivate(const QString& caption)
{
    const QList<QMdiSubWindow*> children = m_mdi->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* child : children) {
        if (child->windowTitle() != caption)
            continue;
        if (child->isMinimized() || child->isMaximized())
            child->showNormal();
        child->setEnabled(true);
        child->show();
        m_mdi->setActiveSubWindow(child);
        if (child->widget())
            child->widget()->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}

QMdiSubWindow* TMAIN::addChild(QWidget* screen, const QString& caption, QPoint position, Frame frame)
{
    screen->setWindowTitle(caption);
    // The screen's own size is what its layout was made for; the frame comes on top of it.
    const QSize wanted = screen->testAttribute(Qt::WA_Resized) ? screen->size() : screen->sizeHint();
    Qt::WindowFlags flags;
    if (frame == Frame::MinimiseAndClose)
        flags = Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    QMdiSubWindow* child = m_mdi->addSubWindow(screen, flags);
    child->setAttribute(Qt::WA_DeleteOnClose);
    child->setWindowTitle(caption);
    child->move(position);
    child->show();
    child->resize(wanted + (child->size() - screen->size()));
    m_mdi->setActiveSubWindow(child);
    return child;
}

QMdiSubWindow* TMAIN::openChild(const QString& caption, QPoint position, const std::function<QWidget*()>& create,
                                Frame frame)
{
    if (OpenOrActivate(caption))
        return m_mdi->activeSubWindow();
    return addChild(create(), caption, position, frame);
}

void TMAIN::registerScreen(const QString& entryCaption, const QString& caption, QPoint position,
                           std::function<QWidget*()> create, Frame frame)
{
    m_screens.insert(caption, {position, std::move(create), frame});
    if (!entryCaption.isEmpty())
        setEntryHandler(entryCaption, [this, caption] { openScreen(caption); });
}

bool TMAIN::openScreen(const QString& caption)
{
    const auto it = m_screens.constFind(caption);
    if (it == m_screens.cend())
        return false;
    openChild(caption, it->position, it->create, it->frame);
    return true;
}

void TMAIN::setEntryHandler(const QString& entryCaption, std::function<void()> handler)
{
    m_handlers.insert(entryCaption, std::move(handler));
}

void TMAIN::clickEntry(const QString& entryCaption)
{
    QAction* entry = menuEntry(entryCaption);
    if (entry && entry->isEnabled())
        entry->trigger();
}

QAction* TMAIN::menuEntry(const QString& caption) const
{
    return m_entries.value(caption);
}

QToolButton* TMAIN::toolbarButton(const QString& caption) const
{
    return m_buttons.value(caption);
}

QList<QAction*> TMAIN::menuEntries() const
{
    return m_entryOrder;
}

QList<QToolButton*> TMAIN::toolbarButtons() const
{
    return m_buttonOrder;
}

void TMAIN::openHelp()
{
    for (const QString& candidate : ProgramHome::helpFileCandidates()) {
        if (QFileInfo(candidate).isFile()) {
            m_openUrl(QUrl::fromLocalFile(candidate));
            return;
        }
    }
}

void TMAIN::showAbout()
{
    Tguanyu about(this);
    about.exec();
}

void TMAIN::centreCaptions()
{
    // Outer size of the window, as the shop's layout was drawn against; halves drop the remainder.
    const int w = frameGeometry().width();
    const int h = frameGeometry().height();
    m_label1->move((w - m_label1->width()) / 2, (h - 4 * m_label1->height()) / 2);
    m_label2->move((w - m_label2->width()) / 2, (h - m_label2->height()) / 2);
}

void TMAIN::reminderTimerFired(QTimer* timer, const QString& entry)
{
    timer->stop();
    clickEntry(entry);
}

void TMAIN::closeEvent(QCloseEvent* event)
{
    if (MessageService::question(this, u"系统提示"_s, u"确实要退出本系统吗？"_s))
        event->accept();
    else
        event->ignore();
}

void TMAIN::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    centreCaptions();
}

void TMAIN::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    centreCaptions();
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (m_remindBirthday)
            m_timer1.start();
        if (m_remindInsurance)
            m_timer2.start();
    }
}

bool TMAIN::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mdi->viewport() && event->type() == QEvent::Resize)
        m_image1->setGeometry(m_mdi->viewport()->rect());
    return QMainWindow::eventFilter(watched, event);
}
