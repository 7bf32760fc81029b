#include "operators/tloginform.h"
#include "support/scriptedmessages.h"
#include "support/snapshot.h"
#include "support/testhome.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class LoginFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        currentOperator() = {};
        home.exec(u"insert into 操作员 (操作员, 姓名, 密码) values ('0002', '张三', 'Secret'), ('abc', '李四', 'x1')"_s);
    }
    void open()
    {
        form = std::make_unique<Tloginform>(home.db());
        form->show();
        form->activateWindow();
        QApplication::processEvents();
    }
    void type(QWidget* w, const QString& text)
    {
        w->setFocus();
        QTest::keyClicks(w, text);
    }
    void choose(int index)
    {
        form->operatorBox()->setCurrentIndex(index);
        Q_EMIT form->operatorBox()->activated(index);
    }
    bool passwordTry(const QString& password)
    {
        form->passwordField()->setText(password);
        QTest::keyClick(form->passwordField(), Qt::Key_Return);
        return form->result() == QDialog::Accepted;
    }

    TestHome home;
    ScriptedMessages messages;
    std::unique_ptr<Tloginform> form;
};

TEST_F(LoginFormTest, OpensOnFirstOperatorWhoEntersWithEmptyPassword)
{
    open();
    EXPECT_EQ(form->windowTitle(), u"进入系统"_s);
    EXPECT_EQ(form->operatorBox()->count(), 3);
    EXPECT_EQ(form->operatorBox()->currentText(), u"0001"_s);
    EXPECT_EQ(form->nameField()->text(), u"系统管理员"_s);
    EXPECT_TRUE(form->operatorBox()->hasFocus());
    EXPECT_EQ(form->passwordField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form->passwordField()->accessibleName(), u"操作员密码"_s);
    snapshot(form.get(), u"login"_s);

    QTest::keyClick(form->operatorBox(), Qt::Key_Return);
    EXPECT_TRUE(form->passwordField()->hasFocus()) << "Enter in the operator box goes to the password";
    QTest::keyClick(form->passwordField(), Qt::Key_Return);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(currentOperator().id, u"0001"_s);
    EXPECT_TRUE(messages.shown().isEmpty());
}

TEST_F(LoginFormTest, PickingAnOperatorShowsTheNameAndMovesToPassword)
{
    open();
    choose(1);
    EXPECT_EQ(form->nameField()->text(), u"张三"_s);
    EXPECT_TRUE(form->passwordField()->hasFocus());
    EXPECT_TRUE(passwordTry(u"SECRET"_s)) << "letters A-Z compare without case";
    EXPECT_EQ(currentOperator().id, u"0002"_s);
    EXPECT_EQ(currentOperator().password, u"SECRET"_s);
}

TEST_F(LoginFormTest, TypedIdInOtherCaseSelectsTheItemOnLeaving)
{
    open();
    form->operatorBox()->lineEdit()->selectAll();
    type(form->operatorBox(), u"ABC"_s);
    EXPECT_EQ(form->selectedItem(), -1);
    EXPECT_EQ(form->nameField()->text(), u"李四"_s) << "the look-up on every change finds the ID in any case";
    QTest::keyClick(form->operatorBox(), Qt::Key_Return);
    EXPECT_TRUE(form->passwordField()->hasFocus());
    EXPECT_EQ(form->selectedItem(), 2);
    EXPECT_EQ(form->operatorBox()->currentText(), u"abc"_s);
    EXPECT_EQ(form->nameField()->text(), u"李四"_s);
    EXPECT_TRUE(passwordTry(u"X1"_s));
    EXPECT_EQ(currentOperator().id, u"abc"_s);
}

TEST_F(LoginFormTest, UnknownUserIsRefusedOnLeavingAndOnEnter)
{
    open();
    form->operatorBox()->lineEdit()->selectAll();
    type(form->operatorBox(), u"9999"_s);
    QTest::keyClick(form->operatorBox(), Qt::Key_Return);
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.last().caption, u"提示"_s);
    EXPECT_EQ(messages.last().text, u"不存在的用户！"_s);
    EXPECT_EQ(messages.last().icon, MessageService::Icon::Error);
    EXPECT_TRUE(form->operatorBox()->hasFocus());
    EXPECT_EQ(form->operatorBox()->lineEdit()->selectedText(), u"9999"_s);

    form->quitButton()->setFocus(); // leaving for another control says nothing
    EXPECT_EQ(messages.shown().size(), 1);
    form->enterButton()->click();
    EXPECT_EQ(messages.texts(), (QStringList{u"不存在的用户！"_s, u"不存在的用户！"_s}));
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->operatorBox()->hasFocus());
}

TEST_F(LoginFormTest, FourWrongThenRightAcrossOperatorsFifthWrongCloses)
{
    open();
    choose(1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(passwordTry(u"nope"_s));
        EXPECT_TRUE(form->passwordField()->text().isEmpty()) << "a wrong password is cleared";
    }
    EXPECT_EQ(messages.texts(), QStringList(4, u"密码错误，请重新输入！"_s));
    EXPECT_TRUE(passwordTry(u"Secret"_s));

    // A new run: five wrong passwords, shared between two operators, end it.
    messages.clear();
    currentOperator() = {};
    open();
    choose(1);
    passwordTry(u"a"_s);
    passwordTry(u"b"_s);
    choose(2);
    passwordTry(u"c"_s);
    passwordTry(u"d"_s);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(passwordTry(u"e"_s));
    EXPECT_EQ(messages.last().text, u"密码错误超过五次，软件将被关闭！"_s);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_TRUE(currentOperator().id.isEmpty());
}

TEST_F(LoginFormTest, QuitAndEmptyOperatorTable)
{
    open();
    QTest::keyClick(form->passwordField(), Qt::Key_Escape);
    QTest::keyClick(form->operatorBox(), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible()) << "Esc is no way out of the login";
    form->close(); // the close box
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_FALSE(form->isVisible());

    open();
    form->quitButton()->click();
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_FALSE(form->isVisible());

    home.exec(u"delete from 操作员"_s);
    open();
    EXPECT_EQ(form->operatorBox()->count(), 0);
    form->enterButton()->click();
    EXPECT_EQ(messages.texts(), QStringList{u"不存在的用户！"_s});
    EXPECT_TRUE(form->isVisible());
}

} // namespace
