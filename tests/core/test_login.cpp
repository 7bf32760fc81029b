#include "operators/login.h"
#include "operators/permissions.h"
#include "support/testhome.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TEST(PasswordRule, OnlyLettersAtoZIgnoreCase)
{
    struct Case
    {
        QString stored, typed;
        bool match;
    };
    const Case cases[] = {
        {u""_s, u""_s, true},          {u"abc"_s, u"ABC"_s, true},   {u"Pass1!"_s, u"pASS1!"_s, true},
        {u"abc"_s, u"abcd"_s, false},  {u"abc"_s, u""_s, false},     {u"ä"_s, u"Ä"_s, false},
        {u"ｂ"_s, u"Ｂ"_s, false},      {u"密码a"_s, u"密码A"_s, true}, {u"1"_s, u"!"_s, false},
        {u"x y"_s, u"X Y"_s, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(passwordsMatch(c.stored, c.typed), c.match)
            << c.stored.toStdString() << " vs " << c.typed.toStdString();
}

class LoginTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.exec(u"insert into 操作员 (操作员, 姓名, 密码) values ('0002', '张三', 'Secret')"_s);
        home.exec(u"insert into 操作员 (操作员, 姓名, 密码) values ('abc', '李四', NULL)"_s);
        session.loadOperators();
        currentOperator() = {};
    }
    TestHome home;
    LoginSession session{home.db()};
};

TEST_F(LoginTest, OperatorsInTableOrderWithNames)
{
    EXPECT_EQ(session.operatorIds(), (QStringList{u"0001"_s, u"0002"_s, u"abc"_s}));
    EXPECT_EQ(session.nameOf(u"0002"_s), u"张三"_s);
    EXPECT_EQ(session.nameOf(u"9999"_s), QString());
    EXPECT_EQ(session.matchItem(u"ABC"_s), 2);
    EXPECT_EQ(session.matchItem(u"ab"_s), -1);
}

TEST_F(LoginTest, FourWrongThenRightLogsIn)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(session.attempt(1, u"wrong"_s), LoginSession::Outcome::WrongPassword);
    EXPECT_EQ(session.attempt(1, u"sECRET"_s), LoginSession::Outcome::LoggedIn);
    EXPECT_EQ(currentOperator().id, u"0002"_s);
    EXPECT_EQ(currentOperator().password, u"sECRET"_s) << "kept exactly as typed";
}

TEST_F(LoginTest, FifthWrongAcrossOperatorsEndsTheRun)
{
    EXPECT_EQ(session.attempt(0, u"x"_s), LoginSession::Outcome::WrongPassword);
    EXPECT_EQ(session.attempt(1, u"x"_s), LoginSession::Outcome::WrongPassword);
    EXPECT_EQ(session.attempt(0, u"x"_s), LoginSession::Outcome::WrongPassword);
    EXPECT_EQ(session.attempt(2, u"x"_s), LoginSession::Outcome::WrongPassword);
    EXPECT_EQ(session.attempt(1, u"x"_s), LoginSession::Outcome::TooManyWrong);
    EXPECT_TRUE(currentOperator().id.isEmpty());
}

TEST_F(LoginTest, EmptyAndNullPasswordsMatchAnEmptyEntry)
{
    EXPECT_EQ(session.attempt(-1, QString()), LoginSession::Outcome::NoSuchUser);
    EXPECT_EQ(session.wrongCount(), 0) << "an unknown user is not a wrong password";
    EXPECT_EQ(session.attempt(2, QString()), LoginSession::Outcome::LoggedIn);
    EXPECT_EQ(session.attempt(0, QString()), LoginSession::Outcome::LoggedIn);
    EXPECT_EQ(currentOperator().id, u"0001"_s);
}

TEST_F(LoginTest, PermissionsHeld)
{
    EXPECT_EQ(Permissions::held(home.db(), u"0001"_s).size(), 24) << "0001 holds all without rows";
    EXPECT_TRUE(Permissions::held(home.db(), u"0002"_s).isEmpty());
    home.exec(u"insert into 权限清单 (xuhao, bianhao, quanxianming) values (1, '0002', '增加积分'), "
              u"(2, '0002', '会员生日提醒'), (3, 'abc', '数据初始化'), (4, '0002', '不是权限')"_s);
    EXPECT_EQ(Permissions::held(home.db(), u"0002"_s), (QSet<QString>{u"增加积分"_s, u"会员生日提醒"_s}));
    EXPECT_EQ(Permissions::held(home.db(), u"ABC"_s), QSet<QString>{u"数据初始化"_s})
        << "operator IDs compare without regard to letter case";
}

} // namespace
