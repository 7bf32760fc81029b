#include "config/appconfig.h"
#include "config/inifile.h"
#include "config/programhome.h"
#include "controls/recordgrid.h"
#include "reminders/reminderscreen.h"
#include "support/scripteddialogs.h"
#include "support/screentest.h"
#include "support/snapshot.h"

#include <QCheckBox>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList cards(RecordGrid* grid)
{
    SharedQuery* q = grid->source();
    while (q->canFetchMore())
        q->fetchMore();
    QStringList list;
    for (int r = 0; r < q->rowCount(); ++r)
        list << grid->value(r, u"会员卡号"_s).toString();
    list.sort();
    return list;
}

QStringList captions(TMAIN& main)
{
    QStringList list;
    for (QMdiSubWindow* w : main.mdiArea()->subWindowList())
        list << w->windowTitle();
    list.sort();
    return list;
}

template <class Screen>
Screen* screenUnder(TMAIN& main, const QString& caption)
{
    for (QMdiSubWindow* w : main.mdiArea()->subWindowList())
        if (w->windowTitle() == caption)
            return qobject_cast<Screen*>(w->widget());
    return nullptr;
}

QString configValue(const QString& key)
{
    IniFile ini(ProgramHome::configPath());
    ini.load();
    return ini.readString(ConfigKeys::Section, key, u"(none)"_s);
}

QPushButton* button(QWidget* screen, const QString& text)
{
    for (QPushButton* b : screen->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// Presses 打印 and looks at the preview it opens: its pages, and a picture of it.
int previewPages(ReminderScreen* screen, const QString& picture)
{
    int pages = -1;
    QTimer::singleShot(0, screen, [&] {
        auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (dialog) {
            dialog->resize(900, 1100);
            QApplication::processEvents();
            if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) {
                preview->fitInView();
                pages = preview->pageCount();
            }
            snapshot(dialog, picture);
        }
        if (QWidget* left = QApplication::activeModalWidget())
            left->close();
    });
    screen->printButton()->click();
    return pages;
}

void addMember(TestHome& home, const QString& card, const QString& birthday, const QVariant& insured = {},
               const QVariant& expiry = {})
{
    home.exec(u"insert into 会员卡信息 (会员卡号, 会员姓名, 会员生日, 固定电话, 手机, 投保标志, 投保日期, 保险到期日期) "
              u"values (?, ?, ?, '0571-8800', '13900000000', ?, ?, ?)"_s,
              {card, u"会员"_s + card, birthday, insured.isNull() ? 0 : 1, insured, expiry});
}

class ReminderScreens : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        // The clock stands on 31 December 2026.
        addMember(home, u"B1231"_s, u"12-31"_s);
        addMember(home, u"B0102"_s, u"1-2"_s);
        addMember(home, u"B0103"_s, u"1-3"_s);
        addMember(home, u"B1230"_s, u"12-30"_s);
        for (int offset : {-1, 0, 5, 6, 15, 16, 30, 31})
            addMember(home, u"I%1"_s.arg(offset), {}, Values::dateText(QDate(2025, 12, 31).addDays(offset)),
                      Values::dateText(QDate(2026, 12, 31).addDays(offset)));
    }
};

TEST_F(ReminderScreens, BirthdaysFromTheToolbarWithPreviewAndExport)
{
    main.toolbarButton(u"生日提醒"_s)->click();
    auto* screen = screenUnder<Tshengri>(main, u"会员生日提醒"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(activeCaption(), u"会员生日提醒"_s);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->pos(), QPoint(200, 0));
    EXPECT_TRUE(screen->showAtStartBox()->isChecked()) << "the start-up value, yes by default";
    ASSERT_EQ(screen->windowButtons().size(), 2);
    EXPECT_EQ(screen->windowButtons().at(0)->text(), u"三日内（默认）"_s);
    EXPECT_TRUE(screen->windowButtons().at(0)->isChecked());
    EXPECT_EQ(cards(screen->grid()), (QStringList{u"B0102"_s, u"B1231"_s}));
    QStringList titles;
    for (const GridColumn& c : screen->grid()->visibleColumns())
        titles << c.field;
    EXPECT_EQ(titles, (QStringList{u"会员卡号"_s, u"会员姓名"_s, u"会员生日"_s, u"固定电话"_s, u"手机"_s}));
    snapshot(main.mdiArea()->activeSubWindow(), u"birthday-reminder"_s);

    screen->windowButtons().at(1)->click();
    EXPECT_EQ(screen->windowButtons().at(1)->text(), u"五日内"_s);
    EXPECT_EQ(cards(screen->grid()), (QStringList{u"B0102"_s, u"B0103"_s, u"B1231"_s}));
    EXPECT_FALSE(screen->windowButtons().at(0)->isChecked());

    EXPECT_EQ(screen->printTitle(), u"三日或五日内过生日的会员"_s);
    EXPECT_EQ(screen->printPointSize(), 13);
    EXPECT_EQ(previewPages(screen, u"birthday-print-preview"_s), 1);

    QTemporaryDir out;
    ScriptedFileDialogs dialogs;
    dialogs.chooseNext(out.filePath(u"file1"_s), 2);
    button(screen, u"EXCEL"_s)->click();
    EXPECT_EQ(messages.texts(), QStringList{u"倒出数据成功！"_s});
    EXPECT_EQ(messages.last().caption, u"提示！"_s);
    QFile csv(out.filePath(u"file1.csv"_s));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(csv.readAll()).contains(u"B0103"_s));

    // 退出 closes this screen, never the main window, and keeps the choice for the next start.
    screen->showAtStartBox()->setChecked(false);
    button(screen, u"退出"_s)->click();
    QApplication::processEvents();
    EXPECT_TRUE(captions(main).isEmpty());
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(configValue(ConfigKeys::RemindBirthday), u"0"_s);
    EXPECT_EQ(configValue(ConfigKeys::RemindInsurance), u"(none)"_s);
}

TEST_F(ReminderScreens, InsuranceWindowsFromTheMenuKeepTheirListWhenRestored)
{
    main.clickEntry(u"保险到期提醒"_s);
    auto* screen = screenUnder<Tbaoxiantixing>(main, u"保险到期提醒"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->pos(), QPoint(170, 0));
    QStringList buttons;
    for (QAbstractButton* b : screen->windowButtons())
        buttons << b->text();
    EXPECT_EQ(buttons, (QStringList{u"一个月内（默认）"_s, u"十五日内"_s, u"五日内"_s}));
    EXPECT_EQ(cards(screen->grid()), (QStringList{u"I0"_s, u"I15"_s, u"I16"_s, u"I30"_s, u"I5"_s, u"I6"_s}));
    // The fifth column, under its own title, shows when the insurance was taken out.
    const QList<GridColumn> columns = screen->grid()->visibleColumns();
    ASSERT_EQ(columns.size(), 6);
    EXPECT_EQ(columns.at(4).title, u"买保险日期"_s);
    int row = -1;
    for (int r = 0; r < 6; ++r)
        if (screen->grid()->value(r, u"会员卡号"_s).toString() == u"I30"_s)
            row = r;
    EXPECT_EQ(screen->grid()->displayText(row, u"投保日期"_s), u"2026-01-30"_s);
    snapshot(main.mdiArea()->activeSubWindow(), u"insurance-reminder"_s);

    screen->windowButtons().at(1)->click();
    EXPECT_EQ(cards(screen->grid()), (QStringList{u"I0"_s, u"I15"_s, u"I5"_s, u"I6"_s}));
    screen->windowButtons().at(2)->click();
    EXPECT_EQ(cards(screen->grid()), (QStringList{u"I0"_s, u"I5"_s}));

    // Minimised and brought back from the menu, the screen shows what it showed.
    screen->showAtStartBox()->setChecked(false);
    main.mdiArea()->activeSubWindow()->showMinimized();
    main.clickEntry(u"保险到期提醒"_s);
    EXPECT_EQ(screenUnder<Tbaoxiantixing>(main, u"保险到期提醒"_s), screen);
    EXPECT_TRUE(screen->windowButtons().at(2)->isChecked());
    EXPECT_EQ(cards(screen->grid()), (QStringList{u"I0"_s, u"I5"_s}));
    EXPECT_FALSE(screen->showAtStartBox()->isChecked());

    // With nobody in the window the preview holds the heading over an empty list.
    clock.set(QDateTime(QDate(2030, 6, 1), QTime(9, 0)));
    screen->windowButtons().at(2)->click();
    EXPECT_TRUE(cards(screen->grid()).isEmpty());
    EXPECT_EQ(screen->printTitle(), u"三日或五日内保险到期的会员"_s);
    EXPECT_EQ(screen->printPointSize(), 8);
    EXPECT_EQ(previewPages(screen, u"insurance-print-preview-empty"_s), 1);
}

// Two runs of the program on one home: the choice made on closing a reminder decides whether
// it opens by itself at the next start.
TEST(ReminderStart, ChoiceWrittenOnCloseIsHonouredAtTheNextStart)
{
    FixedClock clock(QDateTime(QDate(2026, 12, 31), QTime(8, 30)));
    Clock::setInstance(&clock);
    TestHome home;
    ScriptedMessages messages;
    addMember(home, u"B1231"_s, u"12-31"_s);
    addMember(home, u"I1"_s, {}, u"2026-01-01"_s, u"2027-01-01"_s);
    // DM1 stays connected for both runs, as the home's one data module.
    const auto start = [&] {
        auto main = std::make_unique<TMAIN>();
        main->applyStartupSettings(AppConfig::readStartup());
        main->applyLogin(u"0001"_s, Permissions::held(home.db(), u"0001"_s));
        AppScreens::registerAll(*main, home.dm());
        main->resize(1300, 900);
        main->show();
        return main;
    };

    {
        auto main = start();
        QTRY_COMPARE_WITH_TIMEOUT(captions(*main), (QStringList{u"会员生日提醒"_s, u"保险到期提醒"_s}), 20000);
        snapshot(main.get(), u"reminders-at-start"_s);
        auto* birthdays = screenUnder<Tshengri>(*main, u"会员生日提醒"_s);
        ASSERT_TRUE(birthdays);
        EXPECT_EQ(cards(birthdays->grid()), QStringList{u"B1231"_s});
        EXPECT_TRUE(birthdays->showAtStartBox()->isChecked());
        birthdays->showAtStartBox()->setChecked(false);
        button(birthdays, u"退出"_s)->click();
        QApplication::processEvents();
        EXPECT_EQ(captions(*main), QStringList{u"保险到期提醒"_s});
        EXPECT_EQ(configValue(ConfigKeys::RemindBirthday), u"0"_s);

        // During the run the screen keeps starting from the value read at start.
        main->clickEntry(u"会员生日提醒"_s);
        birthdays = screenUnder<Tshengri>(*main, u"会员生日提醒"_s);
        ASSERT_TRUE(birthdays);
        EXPECT_TRUE(birthdays->showAtStartBox()->isChecked());
        birthdays->showAtStartBox()->setChecked(false);
        // The program ends with both reminders open: their choices count all the same.
    }
    EXPECT_EQ(configValue(ConfigKeys::RemindBirthday), u"0"_s);
    EXPECT_EQ(configValue(ConfigKeys::RemindInsurance), u"1"_s);

    {
        auto main = start();
        EXPECT_FALSE(main->remindBirthday());
        QTRY_COMPARE_WITH_TIMEOUT(captions(*main), QStringList{u"保险到期提醒"_s}, 20000);
        QTest::qWait(300);
        EXPECT_EQ(captions(*main), QStringList{u"保险到期提醒"_s}) << "the birthdays stay closed";
        main->clickEntry(u"会员生日提醒"_s);
        auto* birthdays = screenUnder<Tshengri>(*main, u"会员生日提醒"_s);
        ASSERT_TRUE(birthdays);
        EXPECT_FALSE(birthdays->showAtStartBox()->isChecked());
    }
    Clock::setInstance(nullptr);
}

} // namespace
