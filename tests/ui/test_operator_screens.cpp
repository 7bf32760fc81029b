#include "config/gbk.h"
#include "config/programhome.h"
#include "controls/recordgrid.h"
#include "operators/permissionboxes.h"
#include "operators/tguaqi.h"
#include "operators/tloginform.h"
#include "operators/txgcaozuo.h"
#include "operators/txincaozuo.h"
#include "operators/txiugaimima.h"
#include "operators/txtshezhi.h"
#include "points/receipt.h"
#include "settings/shopsettings.h"
#include "settings/tdayinshezhi.h"
#include "support/gating.h"
#include "support/screentest.h"
#include "support/scripteddialogs.h"
#include "support/snapshot.h"
#include "support/typing.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <functional>

using namespace Qt::Literals::StringLiterals;

inline void PrintTo(const QStringList& lines, std::ostream* os)
{
    *os << '[' << lines.join(u"|"_s).toStdString() << ']';
}

namespace {

class OperatorScreens : public ScreenTest
{
protected:
    static QPushButton* button(QWidget* screen, const QString& name)
    {
        return screen->findChild<QPushButton*>(name);
    }
    QStringList listedIds(Txtshezhi* screen) const
    {
        QStringList ids;
        for (int r = 0; r < screen->grid()->source()->rowCount(); ++r)
            ids << screen->grid()->value(r, u"操作员"_s).toString();
        return ids;
    }
    static void tick(PermissionBoxes* boxes, const QList<int>& ks)
    {
        for (int k : ks)
            boxes->box(k)->click();
    }
    int childCount() const { return int(main.mdiArea()->subWindowList().size()); }
};

TEST_F(OperatorScreens, AdministratorAddsChangesAndDeletesOperators)
{
    home.exec(u"insert into 操作员 (操作员, 姓名, 密码) values ('0003', '张三', 'x')"_s);
    home.exec(u"insert into 权限清单 (xuhao, bianhao, quanxianming) values (1, '0003', '操作人员设置'), (2, '0003', '会员查询')"_s);
    auto* screen = open<Txtshezhi>(u"操作人员及权限设置"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(activeCaption(), u"操作人员设置"_s);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->pos(), QPoint(220, 50));
    EXPECT_EQ(listedIds(screen), QStringList{u"0003"_s}) << "the built-in operator is never listed";
    EXPECT_EQ(screen->permissions()->ticked(), (QSet<int>{1, 10}));
    EXPECT_EQ(screen->permissions()->title(), u"操作员权限列表"_s);
    EXPECT_EQ(screen->permissions()->box(24)->text(), u"保险到期提醒"_s);
    EXPECT_FALSE(screen->permissions()->toggleButton());
    snapshot(main.mdiArea()->activeSubWindow(), u"operators"_s);

    // New operators, one after another in the same dialog.
    inDialog<Txincaozuo>([&] { button(screen, u"BitBtn1"_s)->click(); }, [&](Txincaozuo& d) {
        EXPECT_EQ(d.windowTitle(), u"新增操作人员"_s);
        EXPECT_EQ(d.permissions()->toggleButton()->text(), u"全选"_s);
        d.field(Operators::NameField)->setText(u"甲"_s);
        d.field(Operators::PasswordField)->setText(u"p"_s);
        typeAndLeave(d.idField(), u"0003"_s, d.field(Operators::NameField));
        EXPECT_EQ(messages.texts(), QStringList{u"该操作人员编号已经存在！"_s});
        for (auto f : {Operators::IdField, Operators::NameField, Operators::PasswordField})
            EXPECT_TRUE(d.field(f)->text().isEmpty()) << "all four fields are cleared";
        EXPECT_TRUE(d.idField()->hasFocus());

        messages.clear();
        typeText(d.idField(), u"0005"_s);
        QTest::keyClick(d.idField(), Qt::Key_Return);
        EXPECT_TRUE(d.field(Operators::NameField)->hasFocus());
        typeText(d.field(Operators::NameField), u"李四"_s);
        QTest::keyClick(d.field(Operators::NameField), Qt::Key_Return);
        typeText(d.field(Operators::PasswordField), u"Pw"_s);
        QTest::keyClick(d.field(Operators::PasswordField), Qt::Key_Return);
        typeText(d.field(Operators::ConfirmationField), u"Pw"_s);
        tick(d.permissions(), {10, 14});
        snapshot(&d, u"operator-new"_s);
        d.field(Operators::ConfirmationField)->setFocus();
        QTest::keyClick(d.field(Operators::ConfirmationField), Qt::Key_Return);
        EXPECT_TRUE(d.mainButton()->hasFocus());
        QTest::keyClick(d.mainButton(), Qt::Key_Return);
        EXPECT_EQ(messages.texts(), QStringList{u"新增操作人员成功！"_s});
        EXPECT_TRUE(d.isVisible()) << "the dialog stays for the next operator";
        EXPECT_TRUE(d.idField()->text().isEmpty() && d.idField()->hasFocus());
        EXPECT_TRUE(d.permissions()->ticked().isEmpty());

        d.permissions()->toggleButton()->click();
        EXPECT_EQ(d.permissions()->ticked().size(), 24);
        EXPECT_EQ(d.permissions()->toggleButton()->text(), u"全清"_s);
        d.permissions()->toggleButton()->click();
        EXPECT_TRUE(d.permissions()->ticked().isEmpty());
        EXPECT_EQ(d.permissions()->toggleButton()->text(), u"全选"_s);

        messages.clear();
        d.idField()->setText(u"0006"_s);
        d.field(Operators::PasswordField)->setText(u"abc"_s);
        d.field(Operators::ConfirmationField)->setText(u"ABC"_s);
        d.mainButton()->click();
        EXPECT_EQ(messages.texts(), QStringList{u"两次密码不一致！"_s});
        EXPECT_TRUE(d.field(Operators::PasswordField)->hasFocus());
        EXPECT_EQ(d.idField()->text(), u"0006"_s) << "the fields keep what was typed";
        d.quitButton()->click();
    });
    EXPECT_EQ(listedIds(screen), (QStringList{u"0003"_s, u"0005"_s})) << "the list is read again";
    EXPECT_EQ(screen->grid()->currentValue(u"操作员"_s).toString(), u"0003"_s);
    screen->grid()->setCurrentRow(1);
    EXPECT_EQ(screen->permissions()->ticked(), (QSet<int>{10, 14}));

    // Change 0005: its own dialog of the run, filled from the database.
    messages.clear();
    Txgcaozuo* reused = &Txgcaozuo::instance();
    inDialog<Txgcaozuo>([&] { button(screen, u"BitBtn2"_s)->click(); }, [&](Txgcaozuo& d) {
        EXPECT_EQ(&d, reused);
        EXPECT_EQ(d.windowTitle(), u"修改操作人员信息"_s);
        EXPECT_EQ(d.mainButton()->text(), u"确认修改"_s);
        EXPECT_EQ(d.oldId(), u"0005"_s);
        EXPECT_EQ(d.field(Operators::NameField)->text(), u"李四"_s);
        EXPECT_EQ(d.field(Operators::PasswordField)->text(), u"Pw"_s);
        EXPECT_EQ(d.field(Operators::ConfirmationField)->text(), u"Pw"_s);
        EXPECT_EQ(d.permissions()->ticked(), (QSet<int>{10, 14}));
        typeAndLeave(d.idField(), u"0003"_s, d.field(Operators::NameField));
        EXPECT_EQ(messages.texts(), QStringList{u"该操作人员编号已经存在！"_s});
        EXPECT_TRUE(d.idField()->text().isEmpty() && d.idField()->hasFocus()) << "only the ID is cleared";
        EXPECT_EQ(d.field(Operators::NameField)->text(), u"李四"_s);
        typeAndLeave(d.idField(), u"0005"_s, d.field(Operators::NameField));
        EXPECT_EQ(messages.shown().size(), 1) << "keeping the own ID is allowed";

        d.idField()->setText(u"0007"_s);
        d.permissions()->toggleButton()->click();
        d.permissions()->box(1)->click();
        snapshot(&d, u"operator-change"_s);
        d.mainButton()->click();
        EXPECT_EQ(messages.last().text, u"修改操作人员信息成功！"_s);
    });
    EXPECT_EQ(listedIds(screen), (QStringList{u"0003"_s, u"0007"_s}));
    EXPECT_EQ(screen->grid()->currentValue(u"操作员"_s).toString(), u"0007"_s) << "the list stays on the changed one";
    EXPECT_EQ(screen->permissions()->ticked().size(), 23);
    EXPECT_FALSE(screen->permissions()->ticked().contains(1));
    EXPECT_EQ(home.scalar(u"select count(*) from 权限清单 where bianhao='0005'"_s).toInt(), 0);

    // Delete, after the question; No keeps the operator.
    messages.clear();
    messages.answerNext(MessageService::Answer::No);
    button(screen, u"BitBtn3"_s)->click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.last().caption, u"删除询问"_s);
    EXPECT_EQ(messages.last().text, u"确实要删除该操作人员？！请谨慎操作！"_s);
    EXPECT_EQ(messages.last().buttons, MessageService::Buttons::YesNo);
    EXPECT_EQ(listedIds(screen), (QStringList{u"0003"_s, u"0007"_s}));
    button(screen, u"BitBtn3"_s)->click();
    EXPECT_EQ(messages.last().text, u"删除成功！"_s);
    EXPECT_EQ(messages.last().caption, u"提示"_s);
    EXPECT_EQ(listedIds(screen), QStringList{u"0003"_s});
    EXPECT_EQ(home.scalar(u"select count(*) from 权限清单 where bianhao='0007'"_s).toInt(), 23) << "rights rows stay";

    button(screen, u"BitBtn4"_s)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(childCount(), 0) << "退出 closes the screen";
}

TEST_F(OperatorScreens, RightsSavedHereGateTheNextLoginAndTheLockWantsTheLoginPassword)
{
    auto* screen = open<Txtshezhi>(u"操作人员及权限设置"_s);
    ASSERT_TRUE(screen);
    inDialog<Txincaozuo>([&] { button(screen, u"BitBtn1"_s)->click(); }, [&](Txincaozuo& d) {
        d.idField()->setText(u"0008"_s);
        d.field(Operators::PasswordField)->setText(u"Pw7"_s);
        d.field(Operators::ConfirmationField)->setText(u"Pw7"_s);
        tick(d.permissions(), {2, 10, 14});
        d.mainButton()->click();
        d.quitButton()->click();
    });
    button(screen, u"BitBtn4"_s)->click();

    // The login as start-up runs it, typed in another letter case than stored.
    Tloginform login(home.db());
    login.show();
    QApplication::processEvents();
    const int item = login.session().matchItem(u"0008"_s);
    ASSERT_GE(item, 0);
    login.operatorBox()->setCurrentIndex(item);
    Q_EMIT login.operatorBox()->activated(item);
    login.passwordField()->setText(u"PW7"_s);
    login.enterButton()->click();
    ASSERT_EQ(login.result(), QDialog::Accepted);
    main.applyLogin(currentOperator().id, Permissions::held(home.db(), currentOperator().id));
    EXPECT_EQ(main.statusPane()->text(), u"当前用户为:0008"_s);
    EXPECT_EQ(enabledEntries(main), (QSet<QString>{u"店铺名称、界面及小票打印设置"_s, u"会员查询"_s, u"增加积分"_s, u"修改密码"_s,
                                               u"退出系统"_s, u"帮助"_s, u"关于"_s}));
    EXPECT_EQ(enabledButtons(main), (QSet<QString>{u"会员查询"_s, u"增加积分"_s, u"系统帮助"_s, u"暂时离开"_s, u"退出"_s}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    main.clickEntry(u"操作人员及权限设置"_s);
    EXPECT_EQ(childCount(), 0) << "the operator screen is not for this clerk";

    // The stored password differs in case from what was typed: only the typed one locks and wakes.
    messages.clear();
    inDialog<Tguaqi>([&] { main.toolbarButton(u"暂时离开"_s)->click(); }, [&](Tguaqi& lock) {
        for (const QString& typed : {u"Pw7"_s, u"pw7"_s}) {
            lock.passwordField()->setText(typed);
            lock.lockButton()->click();
            EXPECT_FALSE(lock.isLocked()) << typed.toStdString();
        }
        lock.passwordField()->setText(u"PW7"_s);
        lock.lockButton()->click();
        EXPECT_TRUE(lock.isLocked());
        lock.passwordField()->setText(u"Pw7"_s);
        lock.wakeButton()->click();
        EXPECT_TRUE(lock.isVisible());
        lock.passwordField()->setText(u"PW7"_s);
        lock.wakeButton()->click();
    });
    EXPECT_EQ(messages.texts(), (QStringList{u"对不起，密码错误！"_s, u"对不起，密码错误！"_s, u"对不起，密码错误！"_s,
                                             u"系统已被成功唤醒！"_s}));
}

TEST_F(OperatorScreens, AwayLockCannotBeEscapedOrGotAround)
{
    currentOperator() = {u"0002"_s, u"Secret"_s};
    // Cancel before locking closes it, as do Escape and the close request then.
    inDialog<Tguaqi>([&] { main.toolbarButton(u"暂时离开"_s)->click(); }, [&](Tguaqi& lock) {
        EXPECT_EQ(lock.windowTitle(), u"离开挂起"_s);
        EXPECT_FALSE(lock.wakeButton()->isVisible());
        lock.cancelButton()->click();
    });
    inDialog<Tguaqi>([&] { main.toolbarButton(u"暂时离开"_s)->click(); }, [&](Tguaqi& lock) {
        QTest::keyClick(lock.passwordField(), Qt::Key_Escape);
    });

    messages.clear();
    inDialog<Tguaqi>([&] { main.toolbarButton(u"暂时离开"_s)->click(); }, [&](Tguaqi& lock) {
        EXPECT_EQ(lock.windowModality(), Qt::ApplicationModal) << "it covers the whole program";
        EXPECT_FALSE(lock.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint
                                           | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint));
        lock.passwordField()->setText(u"secret"_s);
        QTest::keyClick(lock.passwordField(), Qt::Key_Return);
        EXPECT_EQ(messages.texts(), QStringList{u"对不起，密码错误！"_s});
        EXPECT_EQ(messages.last().caption, u"提示"_s);
        EXPECT_FALSE(lock.isLocked());
        EXPECT_EQ(lock.passwordField()->text(), u"secret"_s) << "nothing else changes";

        lock.passwordField()->setText(u"Secret"_s);
        QTest::keyClick(lock.passwordField(), Qt::Key_Return);
        ASSERT_TRUE(lock.isLocked());
        EXPECT_EQ(lock.windowTitle(), u"唤醒系统"_s);
        EXPECT_EQ(lock.group()->title(), u"唤醒系统"_s);
        EXPECT_TRUE(lock.wakeButton()->isVisible());
        EXPECT_FALSE(lock.lockButton()->isVisible() || lock.cancelButton()->isVisible());
        EXPECT_TRUE(lock.passwordField()->text().isEmpty());
        snapshot(&lock, u"away-lock"_s);

        // Escape, the window manager's close (Alt+F4 arrives as the same request), a reject
        // from anywhere: still locked.
        QTest::keyClick(lock.passwordField(), Qt::Key_Escape);
        EXPECT_TRUE(lock.isVisible());
        EXPECT_FALSE(lock.windowHandle()->close());
        EXPECT_FALSE(lock.close());
        lock.reject();
        EXPECT_TRUE(lock.isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), &lock);
        // The main window takes no click meanwhile: a click as the window system delivers it.
        QToolButton* addPoints = main.toolbarButton(u"增加积分"_s);
        QTest::mouseClick(main.windowHandle(), Qt::LeftButton, {}, addPoints->mapTo(&main, addPoints->rect().center()));
        QApplication::processEvents();
        EXPECT_EQ(childCount(), 0);

        messages.clear();
        lock.passwordField()->setText(u"SECRET"_s);
        lock.wakeButton()->click();
        EXPECT_EQ(messages.texts(), QStringList{u"对不起，密码错误！"_s});
        EXPECT_TRUE(lock.isVisible());
        lock.passwordField()->setText(u"Secret"_s);
        QTest::keyClick(lock.passwordField(), Qt::Key_Return);
        EXPECT_EQ(messages.last().text, u"系统已被成功唤醒！"_s);
        EXPECT_EQ(messages.last().icon, MessageService::Icon::Information);
    });
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(OperatorScreens, OwnPasswordChange)
{
    home.exec(u"insert into 操作员 (操作员, 姓名, 密码) values ('0002', '张三', 'Secret'), ('0003', '李四', 'Secret')"_s);
    auto* screen = open<Txiugaimima>(u"修改密码"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(activeCaption(), u"修改密码"_s);
    QMdiSubWindow* frame = main.mdiArea()->activeSubWindow();
    EXPECT_EQ(frame->pos(), QPoint(330, 0));
    EXPECT_TRUE(frame->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(screen->field(1)->text(), u"0002"_s);
    EXPECT_FALSE(screen->field(1)->isEnabled());
    EXPECT_EQ(screen->field(2)->echoMode(), QLineEdit::Password);
    snapshot(frame, u"password-change"_s);

    const auto attempt = [&](const QString& oldPw, const QString& newPw, const QString& confirmation) {
        screen->field(2)->setText(oldPw);
        screen->field(3)->setText(newPw);
        screen->field(4)->setText(confirmation);
        screen->field(4)->setFocus();
        QTest::keyClick(screen->field(4), Qt::Key_Return);
        EXPECT_TRUE(screen->confirmButton()->hasFocus());
        QTest::keyClick(screen->confirmButton(), Qt::Key_Return);
    };
    attempt(u"secret"_s, u"n"_s, u"n"_s);
    EXPECT_EQ(messages.last().text, u"旧密码不正确！"_s);
    EXPECT_EQ(messages.last().caption, u"错误！"_s);
    attempt(u"Secret"_s, u"n"_s, u"N"_s);
    EXPECT_EQ(messages.last().text, u"两次密码不一致！"_s);
    EXPECT_EQ(messages.last().caption, u"错误！"_s);
    attempt(u"Secret"_s, u"n"_s, u"n"_s);
    EXPECT_EQ(messages.last().text, u"修改成功！"_s);
    EXPECT_EQ(messages.last().caption, u"提示！"_s);
    EXPECT_EQ(messages.shown().size(), 3);
    EXPECT_EQ(home.scalar(u"select 密码 from 操作员 where 操作员='0002'"_s).toString(), u"n"_s);
    EXPECT_EQ(home.scalar(u"select 密码 from 操作员 where 操作员='0003'"_s).toString(), u"Secret"_s);
    EXPECT_EQ(screen->field(4)->text(), u"n"_s) << "the fields stay as typed";
    EXPECT_EQ(childCount(), 1);
}

class SettingsScreen : public OperatorScreens
{
protected:
    void SetUp() override
    {
        OperatorScreens::SetUp();
        filePort = out.filePath(u"port.bin"_s);
        writeIni(u"[程序参数]\r\n店铺名称=华南汽车\r\n广告语=欢迎\r\n软件名称=甲\r\n软件版本=乙\r\n打印端口=%1\r\n"
                 u"小票尾=谢谢惠顾\r\n打印小票=0\r\n"_s.arg(filePort));
    }
    void writeIni(const QString& text)
    {
        QByteArray bytes;
        ASSERT_TRUE(Gbk::encode(text, &bytes));
        home.writeConfig(bytes);
    }
    QByteArray fileBytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir out;
    QString filePort;
    ScriptedFileDialogs files;
};

TEST_F(SettingsScreen, ShowsSavesAndChangesTheMainWindowAtOnce)
{
    auto* screen = open<Tdayinshezhi>(u"店铺名称、界面及小票打印设置"_s);
    ASSERT_TRUE(screen);
    EXPECT_EQ(activeCaption(), u"小票打印设置"_s);
    EXPECT_EQ(main.mdiArea()->activeSubWindow()->pos(), QPoint(330, 0));
    EXPECT_EQ(screen->shopName()->text(), u"华南汽车"_s);
    EXPECT_EQ(screen->slogan()->text(), u"欢迎"_s);
    EXPECT_EQ(screen->port()->currentText(), filePort);
    EXPECT_EQ(screen->port()->count(), 4);
    EXPECT_EQ(screen->port()->itemText(3), u"lpt4"_s);
    EXPECT_EQ(screen->footer()->toPlainText(), u"谢谢惠顾"_s);
    EXPECT_EQ(screen->footer()->width(), 225);
    EXPECT_FALSE(screen->printReceipts()->isChecked());
    EXPECT_FALSE(screen->findChild<QLineEdit*>(u"Edit2"_s)->isVisible());
    snapshot(main.mdiArea()->activeSubWindow(), u"shop-settings"_s);

    messages.clear();
    screen->shopName()->clear();
    button(screen, u"BitBtn1"_s)->click();
    EXPECT_EQ(messages.texts(), QStringList{u"信息不完整！"_s});
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Error);

    messages.clear();
    screen->shopName()->setText(u"白云汽车服务"_s);
    screen->footer()->setPlainText(u"谢谢惠顾\n欢迎再来"_s);
    screen->port()->setEditText(u"lpt2"_s);
    screen->printReceipts()->setChecked(true);
    button(screen, u"BitBtn1"_s)->click();
    EXPECT_EQ(messages.texts(), QStringList{u"配置成功！"_s});
    EXPECT_EQ(main.windowTitle(), u"白云汽车服务QuorvaneV4.68"_s);
    EXPECT_EQ(main.label1()->text(), u"白云汽车服务"_s);
    const ShopSettings saved = Settings::read();
    EXPECT_EQ(saved.footer, u"谢谢惠顾欢迎再来"_s);
    EXPECT_EQ(saved.port, u"lpt2"_s);
    EXPECT_TRUE(saved.printReceipts);
    EXPECT_EQ(saved.softwareName, u"甲"_s) << "the hidden keys go back as read";
    EXPECT_EQ(saved.softwareVersion, u"乙"_s);

    // A text without a GBK form cannot be written.
    messages.clear();
    screen->shopName()->setText(u"汽车😀"_s);
    button(screen, u"BitBtn1"_s)->click();
    EXPECT_EQ(messages.texts(), QStringList{u"配置失败！"_s});
    EXPECT_EQ(main.label1()->text(), u"白云汽车服务"_s);

    button(screen, u"BitBtn3"_s)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(childCount(), 0);
}

TEST_F(SettingsScreen, BackgroundIsStoredAndShownAtOnceEvenWithoutSaving)
{
    const QString picture = out.filePath(u"bg.png"_s);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(picture, "PNG"));
    const QString notAPicture = out.filePath(u"notes.txt"_s);
    QFile text(notAPicture);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("no picture");
    text.close();

    auto* screen = open<Tdayinshezhi>(u"店铺名称、界面及小票打印设置"_s);
    ASSERT_TRUE(screen);
    QPushButton* choose = screen->findChild<QPushButton*>(u"Button1"_s);
    ASSERT_TRUE(choose);

    files.chooseNext(picture, 1);
    choose->click();
    EXPECT_EQ(files.asked().last().filters.size(), 1);
    EXPECT_EQ(screen->background()->text(), picture);
    EXPECT_EQ(Settings::read().background, picture);
    EXPECT_TRUE(main.image1()->isVisibleTo(&main));

    files.chooseNext(notAPicture, 1);
    choose->click();
    EXPECT_EQ(Settings::read().background, notAPicture);
    EXPECT_FALSE(main.image1()->isVisibleTo(&main)) << "no picture rather than a broken one";

    // Cancelled over an empty field: stored empty, no background until the next start.
    files.chooseNext(picture, 1);
    choose->click();
    ASSERT_TRUE(main.image1()->isVisibleTo(&main));
    screen->background()->clear();
    files.cancelNext();
    choose->click();
    EXPECT_EQ(Settings::read().background, QString());
    EXPECT_FALSE(main.image1()->isVisibleTo(&main));
    EXPECT_TRUE(messages.shown().isEmpty());
    EXPECT_EQ(Settings::read().shopName, u"华南汽车"_s) << "nothing else was saved";
}

TEST_F(SettingsScreen, TestReceiptUsesTheFileNotTheScreenAndSaysWhenThePortFails)
{
    auto* screen = open<Tdayinshezhi>(u"店铺名称、界面及小票打印设置"_s);
    ASSERT_TRUE(screen);
    screen->shopName()->setText(u"别的店"_s);
    screen->footer()->setPlainText(u"别的尾"_s);
    screen->port()->setEditText(out.filePath(u"other.bin"_s));
    button(screen, u"BitBtn2"_s)->click();
    EXPECT_TRUE(messages.shown().isEmpty()) << "a test that printed needs no word";
    EXPECT_EQ(fileBytes(filePort), Settings::testReceiptBytes(ReceiptSettings{false, filePort, u"华南汽车"_s, u"谢谢惠顾"_s}));
    EXPECT_TRUE(fileBytes(filePort).endsWith(QByteArray::fromHex("1b70070d0a0b1b4a8c0d0a0a0d0a")));
    EXPECT_FALSE(QFile::exists(out.filePath(u"other.bin"_s)));

    writeIni(u"[程序参数]\r\n打印端口=/nonexistent/dir/port\r\n"_s);
    button(screen, u"BitBtn2"_s)->click();
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Error);
    EXPECT_EQ(messages.last().caption, u"提示"_s);
    EXPECT_TRUE(messages.last().text.contains(u"/nonexistent/dir/port"_s)) << messages.last().text.toStdString();
    EXPECT_TRUE(messages.last().text.contains(u"原因："_s));
}

} // namespace
