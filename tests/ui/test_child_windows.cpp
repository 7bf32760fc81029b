#include "app/artwork.h"
#include "controls/filedialogs.h"
#include "controls/recordgrid.h"
#include "controls/screens.h"
#include "support/screentest.h"
#include "support/snapshot.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// What the operator does on a screen before leaving it for a while: type into a field, type a
// card and press Enter, or click a box or button.
struct Step
{
    enum Kind { Type, Enter, Click };
    const char* control;
    const char* text;
    Kind kind = Type;
};

struct ScreenCase
{
    const char* entry;   // the menu entry that opens it
    const char* caption; // the caption it opens under
    std::vector<Step> steps;
};

// The twelve business screens, each with something typed, looked up or filtered that a reset
// would lose.
const std::vector<ScreenCase>& screens()
{
    static const std::vector<ScreenCase> cases = {
        {"会员卡类别设置", "会员卡类别设置", {{"Edit1", "白金卡"}}},
        {"新增修改会员信息", "新增/修改会员信息", {{"Edit2", "王小明"}, {"Edit7", "张"}}},
        {"会员查询", "会员查询", {{"Edit1", "1000", Step::Enter}}},
        {"全部会员信息",
         "全部会员信息",
         {{"Edit1", "150"}, {"Edit2", "200"}, {"CheckBox2", nullptr, Step::Click}, {"BitBtn1", nullptr, Step::Click}}},
        {"会员卡口头挂失及取消", "会员卡口头挂失及取消", {{"Edit1", "1000", Step::Enter}}},
        {"会员卡正式挂失", "会员卡正式挂失/换卡", {{"Edit1", "1000", Step::Enter}, {"Edit21", "9999"}}},
        {"增加积分", "购物或换货增加积分", {{"Edit1", "1000", Step::Enter}, {"Edit21", "50"}}},
        {"退货扣积分", "退货扣积分", {{"Edit1", "1000", Step::Enter}, {"Edit21", "30"}}},
        {"积分兑换", "积分兑换", {{"Edit1", "1000", Step::Enter}, {"Edit21", "20"}}},
        {"会员积分增减历史记录",
         "会员积分增减历史记录",
         {{"Edit1", "1000"}, {"CheckBox2", nullptr, Step::Click}, {"BitBtn1", nullptr, Step::Click}}},
        {"口头挂失记录", "口头挂失记录", {{"Edit1", "1000"}, {"BitBtn1", nullptr, Step::Click}}},
        {"全部挂失记录", "全部挂失历史记录", {{"Edit1", "Z9"}, {"BitBtn1", nullptr, Step::Click}}},
    };
    return cases;
}

class ChildWindows : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        home.exec(u"insert into 卡类别 (卡类别, 积分比例, 允许兑换礼品, 允许返现金) values ('金卡', 10, 1, 1)"_s);
        home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分, 身份证号) values "
                  u"('1000', '张三', '金卡', 100, '110105198807101234'), ('2000', '李四', '金卡', 20, '')"_s);
        home.exec(u"insert into 流水记录 (编号, 会员卡号, 增减积分) values ('0000000001', '1000', 5), ('0000000002', '2000', 6)"_s);
        home.exec(u"insert into 口头挂失记录 (会员卡号, 会员姓名) values ('1000', '张三'), ('2000', '李四')"_s);
        home.exec(u"insert into 挂失记录 (旧卡号, 新卡号) values ('Z9', '1000'), ('Z8', '2000')"_s);
    }

    QMdiSubWindow* openCase(const ScreenCase& c)
    {
        main.clickEntry(QString::fromUtf8(c.entry));
        QApplication::processEvents();
        QMdiSubWindow* child = main.mdiArea()->activeSubWindow();
        EXPECT_TRUE(child && child->windowTitle() == QString::fromUtf8(c.caption)) << c.entry;
        return child;
    }
    static void perform(QWidget* screen, const Step& s)
    {
        const QString name = QString::fromUtf8(s.control);
        if (s.kind == Step::Click) {
            auto* button = screen->findChild<QAbstractButton*>(name);
            ASSERT_TRUE(button) << s.control;
            button->click();
            return;
        }
        auto* edit = screen->findChild<QLineEdit*>(name);
        ASSERT_TRUE(edit) << s.control;
        edit->setFocus();
        edit->setText(QString::fromUtf8(s.text));
        if (s.kind == Step::Enter)
            QTest::keyClick(edit, Qt::Key_Return);
        QApplication::processEvents();
    }
    // Everything the operator sees of a screen's state: texts, ticks, enabled inputs, list rows.
    static QStringList state(QWidget* screen)
    {
        QStringList seen;
        for (QLineEdit* e : screen->findChildren<QLineEdit*>())
            seen << u"%1=%2%3"_s.arg(e->objectName(), e->text(), e->isEnabled() ? QString() : u" (off)"_s);
        for (QCheckBox* b : screen->findChildren<QCheckBox*>())
            seen << u"%1:%2"_s.arg(b->objectName()).arg(b->isChecked());
        for (QComboBox* b : screen->findChildren<QComboBox*>())
            seen << u"%1~%2"_s.arg(b->objectName(), b->currentText());
        for (QPushButton* b : screen->findChildren<QPushButton*>())
            seen << u"%1 %2"_s.arg(b->text()).arg(b->isEnabled());
        for (RecordGrid* g : screen->findChildren<RecordGrid*>())
            seen << u"grid %1: %2 rows"_s.arg(g->objectName()).arg(g->source() ? g->source()->rowCount() : -1);
        return seen;
    }
    static QPushButton* quitButton(QWidget* screen)
    {
        for (QPushButton* b : screen->findChildren<QPushButton*>())
            if (b->text() == u"退出"_s)
                return b;
        return nullptr;
    }
};

TEST_F(ChildWindows, QuitClosesOnlyTheScreen)
{
    std::vector<ScreenCase> all = screens();
    all.insert(all.end(), {{"历史数据清除", "数据整理", {}}, {"会员生日提醒", "会员生日提醒", {}}, {"保险到期提醒", "保险到期提醒", {}}});
    for (const ScreenCase& c : all) {
        QMdiSubWindow* child = openCase(c);
        ASSERT_TRUE(child);
        QPointer<QWidget> screen = child->widget();
        QPushButton* quit = quitButton(screen);
        ASSERT_TRUE(quit) << c.entry;
        messages.clear();
        quit->click();
        QTest::qWait(0);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(messages.shown().isEmpty()) << c.entry << ": no question about ending the program";
        EXPECT_TRUE(main.isVisible()) << c.entry;
        EXPECT_FALSE(screen) << c.entry << ": the screen is gone";
        EXPECT_FALSE(main.OpenOrActivate(QString::fromUtf8(c.caption))) << c.entry;
    }
    EXPECT_TRUE(main.mdiArea()->subWindowList().isEmpty());
}

// Minimised and brought back, by the title bar or by the menu entry, a screen shows what it
// showed: its opening steps belong to opening it.
TEST_F(ChildWindows, RestoringKeepsWhatTheScreenShows)
{
    for (const ScreenCase& c : screens()) {
        for (const bool byMenu : {false, true}) {
            QMdiSubWindow* child = openCase(c);
            ASSERT_TRUE(child);
            QWidget* screen = child->widget();
            for (const Step& s : c.steps)
                perform(screen, s);
            const QStringList before = state(screen);
            child->showMinimized();
            QApplication::processEvents();
            if (byMenu)
                main.clickEntry(QString::fromUtf8(c.entry));
            else
                child->showNormal();
            QApplication::processEvents();
            EXPECT_FALSE(child->isMinimized());
            EXPECT_EQ(state(screen), before) << c.entry << (byMenu ? " (menu)" : " (title bar)");
            child->close();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}

TEST_F(ChildWindows, FramesIconsAndToolbarButtons)
{
    // The transaction and history windows offer minimise and close only.
    const QStringList noMaximise = {u"购物或换货增加积分"_s, u"退货扣积分"_s, u"积分兑换"_s, u"会员积分增减历史记录"_s,
                                    u"会员积分增减详细记录"_s};
    const QIcon own = QApplication::windowIcon();
    ASSERT_FALSE(own.isNull());
    QImage ownPicture = programIcon().pixmap(16, 16).toImage();
    EXPECT_EQ(own.pixmap(16, 16).toImage(), ownPicture) << "the program's own icon";
    for (const ScreenCase& c : screens()) {
        QMdiSubWindow* child = openCase(c);
        ASSERT_TRUE(child);
        const Qt::WindowFlags flags = child->windowFlags();
        EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint)) << c.entry;
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint)) << c.entry;
        EXPECT_EQ(flags.testFlag(Qt::WindowMaximizeButtonHint), !noMaximise.contains(child->windowTitle())) << c.entry;
        EXPECT_EQ(child->windowIcon().pixmap(16, 16).toImage(), ownPicture) << c.entry << ": not Qt's icon";
    }
    snapshot(&main, u"child-windows"_s);
    Screens::open(u"会员积分增减详细记录"_s);
    EXPECT_FALSE(main.mdiArea()->activeSubWindow()->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

    for (QToolButton* b : main.toolbarButtons())
        EXPECT_EQ(b->size(), QSize(60, 60)) << b->text().toStdString();
}

TEST_F(ChildWindows, ListColumnsShowWholeValuesWithinALimit)
{
    const QString address = u"广东省广州市天河区天河路385号太古汇一座写字楼二十层2001室（近地铁站B出口）"_s;
    home.exec(u"update 会员卡信息 set 地址=?, 手机='13912345678', 固定电话='020-87654321' where 会员卡号='1000'"_s,
              {address});
    auto* screen = open<QWidget>(u"全部会员信息"_s);
    ASSERT_TRUE(screen);
    RecordGrid* grid = screen->findChild<RecordGrid*>(u"DBGridEh1"_s);
    ASSERT_TRUE(grid);
    QHeaderView* header = grid->view()->horizontalHeader();
    const QFontMetrics metrics = grid->view()->fontMetrics();
    const auto width = [&](const QString& field) {
        for (int i = 0; i < header->count(); ++i)
            if (grid->view()->model()->headerData(i, Qt::Horizontal).toString() == field)
                return header->sectionSize(i);
        return -1;
    };
    for (const QString& field : {u"身份证号"_s, u"手机"_s, u"固定电话"_s}) {
        const int row = grid->value(0, u"会员卡号"_s).toString() == u"1000"_s ? 0 : 1;
        const QString text = grid->displayText(row, field);
        EXPECT_GT(width(field), metrics.horizontalAdvance(text)) << field.toStdString() << " shows " << text.toStdString();
    }
    EXPECT_GT(width(u"地址"_s), 200);
    EXPECT_LE(width(u"地址"_s), 320) << "a long address does not push the rest off the screen";
    snapshot(main.mdiArea()->activeSubWindow(), u"member-list-columns"_s);
}

} // namespace

namespace {

// Qt's own file dialog speaks the shop's language and starts where it is told.
TEST(QtDialogs, FileDialogIsChineseAndStartsInTheGivenFolder)
{
    QTemporaryDir folder;
    QStringList seen;
    QString shownFolder;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
            if (auto* label = dialog->findChild<QLabel*>(QString::fromUtf8(name)))
                seen << label->text();
        if (auto* box = dialog->findChild<QDialogButtonBox*>())
            for (QAbstractButton* b : box->buttons())
                seen << b->text();
        shownFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    poll.start(20);
    QtFileDialogs real;
    const FileDialogs::Choice choice =
        real.save(nullptr, u"另存为"_s, folder.path(), u"file1"_s, {u"XLS (*.XLS)"_s}, 1);
    EXPECT_FALSE(choice.accepted);
    EXPECT_EQ(shownFolder, QDir(folder.path()).absolutePath());
    EXPECT_EQ(seen, (QStringList{u"查找范围："_s, u"文件名称(&N)："_s, u"文件类型："_s, u"保存(&S)"_s, u"取消"_s}));
    EXPECT_EQ(QLocale().name(), u"zh_CN"_s);
}

} // namespace
