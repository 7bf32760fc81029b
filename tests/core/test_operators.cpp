#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "operators/login.h"
#include "operators/operatoradmin.h"
#include "operators/password.h"
#include "operators/permissions.h"
#include "support/testhome.h"

#include <QSqlRecord>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

inline void PrintTo(const QStringList& lines, std::ostream* os)
{
    *os << '[' << lines.join(u"|"_s).toStdString() << ']';
}

namespace {

// Rights rows as "xuhao bianhao quanxianming", in xuhao order.
QStringList rightsRows(TestHome& home)
{
    QStringList rows;
    QSqlQuery q = Sql::run(home.db(), u"select xuhao, bianhao, quanxianming from 权限清单 order by xuhao, bianhao"_s);
    while (q.next())
        rows << u"%1 %2 %3"_s.arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
    return rows;
}

QString permissionName(int k)
{
    return QString::fromUtf8(Permissions::gates().at(size_t(k - 1)).name);
}

OperatorDraft draft(const QString& id, const QSet<int>& rights = {}, const QString& password = u"pw"_s)
{
    return {id, u"王五"_s, password, password, rights};
}

class OperatorAdmin : public ::testing::Test
{
protected:
    TestHome home;
    QSqlDatabase db = home.db();
};

TEST_F(OperatorAdmin, SaveNumbersEachRightFromTheTableMaximumPlusItsBox)
{
    // Another operator's rows hold the maximum 40; the numbers are 40 + k, not a running count.
    home.exec(u"insert into 权限清单 (xuhao, bianhao, quanxianming) values (40, '0009', '增加积分'), (7, '0009', '会员查询')"_s);
    const Outcome o = Operators::add(db, draft(u"0005"_s, {3, 14}));
    ASSERT_TRUE(o.ok) << o.notice.text.toStdString();
    EXPECT_EQ(o.notice.text, u"新增操作人员成功！"_s);
    EXPECT_EQ(o.notice.caption, u"提示"_s);
    EXPECT_EQ(rightsRows(home), (QStringList{u"7 0009 会员查询"_s, u"40 0009 增加积分"_s, u"43 0005 数据库备份"_s,
                                             u"54 0005 增加积分"_s}));
    const auto saved = Operators::find(db, u"0005"_s);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->name, u"王五"_s);
    EXPECT_EQ(saved->password, u"pw"_s);

    // All 24 on an empty table: 1 to 24, each with its own name.
    home.exec(u"delete from 权限清单"_s);
    QSet<int> all;
    QStringList expected;
    for (int k = 1; k <= 24; ++k) {
        all.insert(k);
        expected << u"%1 0006 %2"_s.arg(k).arg(permissionName(k));
    }
    ASSERT_TRUE(Operators::add(db, draft(u"0006"_s, all)).ok);
    EXPECT_EQ(rightsRows(home), expected);
    EXPECT_EQ(Operators::rightsOf(db, u"0006"_s), all);
    EXPECT_EQ(Permissions::held(db, u"0006"_s).size(), 24) << "what is saved here is what the login grants";

    // No box ticked: the operator and no rights.
    ASSERT_TRUE(Operators::add(db, draft(u"0007"_s)).ok);
    EXPECT_TRUE(Operators::find(db, u"0007"_s));
    EXPECT_TRUE(Operators::rightsOf(db, u"0007"_s).isEmpty());
}

TEST_F(OperatorAdmin, NewOperatorRefusalsInTheirOrder)
{
    home.exec(u"insert into 操作员 (操作员, 姓名, 密码) values ('0002', '张三', 'x')"_s);
    struct Case
    {
        OperatorDraft draft;
        QString text;
        int field;
        bool clears;
    };
    const Case cases[] = {
        {{u""_s, u"甲"_s, u"a"_s, u"b"_s, {}}, u"操作人员编号不能为空！"_s, Operators::IdField, false},
        // Compared before the ID is looked up.
        {{u"0002"_s, u"甲"_s, u"Abc"_s, u"abc"_s, {1}}, u"两次密码不一致！"_s, Operators::PasswordField, false},
        {{u"0002"_s, u"甲"_s, u"a"_s, u"a"_s, {1}}, u"该操作人员编号已经存在！"_s, Operators::AllFields, true},
        {{u"0001"_s, u"甲"_s, u""_s, u""_s, {1}}, u"该操作人员编号已经存在！"_s, Operators::AllFields, true},
    };
    for (const Case& c : cases) {
        const Outcome o = Operators::add(db, c.draft);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.notice.text, c.text);
        EXPECT_EQ(o.notice.kind, Notice::Kind::Error);
        EXPECT_EQ(o.notice.caption, u"提示"_s);
        EXPECT_EQ(o.notice.field, c.field) << c.text.toStdString();
        EXPECT_EQ(o.notice.clearField, c.clears);
    }
    EXPECT_EQ(home.scalar(u"select count(*) from 操作员"_s).toInt(), 2);
    EXPECT_TRUE(rightsRows(home).isEmpty());
    EXPECT_EQ(home.scalar(u"select 密码 from 操作员 where 操作员='0002'"_s).toString(), u"x"_s);

    EXPECT_TRUE(Operators::idTaken(db, u"0002"_s));
    EXPECT_FALSE(Operators::idTaken(db, u"0003"_s));
    EXPECT_FALSE(Operators::idTaken(db, QString()));
}

TEST_F(OperatorAdmin, ChangeMovesTheRightsToTheNewIdAndKeepsOthersApart)
{
    ASSERT_TRUE(Operators::add(db, draft(u"0002"_s, {1, 5})).ok);
    ASSERT_TRUE(Operators::add(db, draft(u"0003"_s, {9})).ok);
    home.exec(u"insert into 流水记录 (编号, 会员卡号, 经手人) values ('0000000001', '1000', '0002')"_s);

    // Keeping the own ID is allowed; another operator's, or the built-in one, is not.
    EXPECT_FALSE(Operators::idTakenByOther(db, u"0002"_s, u"0002"_s));
    for (const QString& taken : {u"0003"_s, u"0001"_s}) {
        const Outcome o = Operators::change(db, u"0002"_s, draft(taken, {2}));
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.notice.text, u"该操作人员编号已经存在！"_s);
        EXPECT_EQ(o.notice.field, Operators::IdField);
        EXPECT_TRUE(o.notice.clearField) << "the ID field only";
    }
    // The ID is checked before the passwords here.
    OperatorDraft mismatch = draft(u"0003"_s);
    mismatch.confirmation = u"PW"_s;
    EXPECT_EQ(Operators::change(db, u"0002"_s, mismatch).notice.text, u"该操作人员编号已经存在！"_s);
    mismatch.id = u"0004"_s;
    EXPECT_EQ(Operators::change(db, u"0002"_s, mismatch).notice.text, u"两次密码不一致！"_s);
    mismatch.id.clear();
    EXPECT_EQ(Operators::change(db, u"0002"_s, mismatch).notice.text, u"操作人员编号不能为空！"_s);
    EXPECT_EQ(Operators::rightsOf(db, u"0002"_s), (QSet<int>{1, 5}));

    OperatorDraft moved{u"0004"_s, u"赵六"_s, u"new"_s, u"new"_s, {2, 14}};
    const Outcome o = Operators::change(db, u"0002"_s, moved);
    ASSERT_TRUE(o.ok) << o.notice.text.toStdString();
    EXPECT_EQ(o.notice.text, u"修改操作人员信息成功！"_s);
    EXPECT_FALSE(Operators::find(db, u"0002"_s));
    const auto now = Operators::find(db, u"0004"_s);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->name, u"赵六"_s);
    EXPECT_EQ(now->password, u"new"_s);
    // 0003's row (5 + 9) holds the maximum once 0002's rows are gone: 14 + 2 and 14 + 14.
    EXPECT_EQ(rightsRows(home), (QStringList{u"14 0003 新增/修改会员卡信息"_s, u"16 0004 店铺名称设置"_s, u"28 0004 增加积分"_s}));
    EXPECT_EQ(home.scalar(u"select 经手人 from 流水记录"_s).toString(), u"0002"_s) << "past records keep the old ID";

    // The same ID, other rights.
    ASSERT_TRUE(Operators::change(db, u"0004"_s, {u"0004"_s, u"赵六"_s, u"new"_s, u"new"_s, {24}}).ok);
    EXPECT_EQ(Operators::rightsOf(db, u"0004"_s), QSet<int>{24});
}

TEST_F(OperatorAdmin, DeletedOperatorsRightsGoOnlyWhenTheIdIsSavedAgain)
{
    ASSERT_TRUE(Operators::add(db, draft(u"0002"_s, {3, 4, 7})).ok);
    ASSERT_TRUE(Operators::add(db, draft(u"0003"_s, {5})).ok);
    ASSERT_TRUE(Operators::add(db, draft(u"0005"_s, {14})).ok);
    Operators::remove(db, u"0002"_s);
    Operators::remove(db, u"0003"_s);
    Operators::remove(db, u"0001"_s);
    EXPECT_FALSE(Operators::find(db, u"0002"_s));
    EXPECT_TRUE(Operators::find(db, u"0001"_s)) << "the built-in operator stays";
    EXPECT_EQ(Operators::rightsOf(db, u"0002"_s), (QSet<int>{3, 4, 7})) << "the rows stay behind";

    ASSERT_TRUE(Operators::add(db, draft(u"0002"_s, {15})).ok);
    EXPECT_EQ(Operators::rightsOf(db, u"0002"_s), QSet<int>{15});
    EXPECT_EQ(Permissions::held(db, u"0002"_s), QSet<QString>{u"积分兑换"_s});

    // Changing another operator to the deleted one's ID brings only what is ticked.
    ASSERT_TRUE(Operators::change(db, u"0005"_s, draft(u"0003"_s, {16})).ok);
    EXPECT_EQ(Operators::rightsOf(db, u"0003"_s), QSet<int>{16});
}

TEST_F(OperatorAdmin, EngineErrorRollsTheWholeSaveBack)
{
    ASSERT_TRUE(Operators::add(db, draft(u"0002"_s, {1})).ok);
    home.refuse(u"insert"_s, u"权限清单"_s, u"new.quanxianming='增加积分'"_s, u"磁盘已满"_s);
    const Outcome added = Operators::add(db, draft(u"0003"_s, {2, 14}));
    EXPECT_FALSE(added.ok);
    EXPECT_EQ(added.notice.kind, Notice::Kind::Plain);
    EXPECT_TRUE(added.notice.text.contains(u"磁盘已满"_s)) << added.notice.text.toStdString();
    EXPECT_FALSE(Operators::find(db, u"0003"_s));

    const Outcome changed = Operators::change(db, u"0002"_s, draft(u"0004"_s, {14}));
    EXPECT_FALSE(changed.ok);
    EXPECT_TRUE(Operators::find(db, u"0002"_s));
    EXPECT_FALSE(Operators::find(db, u"0004"_s));
    EXPECT_EQ(rightsRows(home), QStringList{u"1 0002 操作人员设置"_s});
}

TEST_F(OperatorAdmin, ChangeOfAnOperatorDeletedMeanwhileIsRefused)
{
    ASSERT_TRUE(Operators::add(db, draft(u"0002"_s, {1})).ok);
    Operators::remove(db, u"0002"_s); // at another counter, while this one shows 0002
    const Outcome o = Operators::change(db, u"0002"_s, draft(u"0006"_s, {5}));
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.notice.text, u"该操作人员已不存在！"_s);
    EXPECT_FALSE(Operators::find(db, u"0006"_s));
    EXPECT_TRUE(Operators::rightsOf(db, u"0006"_s).isEmpty());
    EXPECT_EQ(Operators::rightsOf(db, u"0002"_s), QSet<int>{1}) << "rolled back: the old rows stay as they were";
}

TEST_F(OperatorAdmin, ListLeavesOutTheBuiltInOperator)
{
    home.exec(u"insert into 操作员 (操作员, 姓名, 密码) values ('0002', '张三', 'x'), ('0010', '李四', NULL)"_s);
    Operators::reopenList(home.dm());
    SharedQuery* list = home.dm().ADOQuery12;
    QStringList ids;
    for (int r = 0; r < list->rowCount(); ++r)
        ids << list->record(r).value(u"操作员"_s).toString();
    EXPECT_EQ(ids, (QStringList{u"0002"_s, u"0010"_s}));
    EXPECT_EQ(Operators::find(db, u"0010"_s)->password, QString()) << "a null password reads as empty";
}

class PasswordAndLock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home.exec(u"insert into 操作员 (操作员, 姓名, 密码) values ('0002', '张三', 'Secret'), ('0003', '李四', 'Secret')"_s);
        currentOperator() = {};
    }
    QString stored(const QString& id) { return home.scalar(u"select 密码 from 操作员 where 操作员=?"_s, {id}).toString(); }

    TestHome home;
};

TEST_F(PasswordAndLock, PasswordChangeComparesExactly)
{
    struct Case
    {
        QString oldPw, newPw, confirmation;
        QString text;
        int field;
    };
    const Case refusals[] = {
        {u"secret"_s, u"n"_s, u"n"_s, u"旧密码不正确！"_s, PasswordChange::OldField},
        {u""_s, u"n"_s, u"n"_s, u"旧密码不正确！"_s, PasswordChange::OldField},
        {u"Secret"_s, u"new"_s, u"NEW"_s, u"两次密码不一致！"_s, PasswordChange::NewField},
    };
    for (const Case& c : refusals) {
        const Outcome o = PasswordChange::change(home.db(), u"0002"_s, c.oldPw, c.newPw, c.confirmation);
        EXPECT_FALSE(o.ok);
        EXPECT_EQ(o.notice.text, c.text);
        EXPECT_EQ(o.notice.caption, u"错误！"_s);
        EXPECT_EQ(o.notice.kind, Notice::Kind::Error);
        EXPECT_EQ(o.notice.field, c.field);
    }
    EXPECT_EQ(stored(u"0002"_s), u"Secret"_s);

    const Outcome done = PasswordChange::change(home.db(), u"0002"_s, u"Secret"_s, u"n3w"_s, u"n3w"_s);
    EXPECT_TRUE(done.ok);
    EXPECT_EQ(done.notice.text, u"修改成功！"_s);
    EXPECT_EQ(done.notice.caption, u"提示！"_s);
    EXPECT_EQ(done.notice.kind, Notice::Kind::Information);
    EXPECT_EQ(stored(u"0002"_s), u"n3w"_s);
    EXPECT_EQ(stored(u"0003"_s), u"Secret"_s) << "only the own row";

    // The built-in operator has no password: the old field stays empty; an empty new one is fine.
    EXPECT_TRUE(home.scalar(u"select 密码 from 操作员 where 操作员='0001'"_s).toString().isEmpty());
    home.exec(u"update 操作员 set 密码=NULL where 操作员='0001'"_s);
    EXPECT_TRUE(PasswordChange::change(home.db(), u"0001"_s, u""_s, u"adm"_s, u"adm"_s).ok);
    EXPECT_TRUE(PasswordChange::change(home.db(), u"0001"_s, u"adm"_s, u""_s, u""_s).ok);
    EXPECT_EQ(stored(u"0001"_s), QString());

    // Deleted meanwhile at another counter: the empty old password would match, no row changes.
    home.exec(u"delete from 操作员 where 操作员='0003'"_s);
    const Outcome gone = PasswordChange::change(home.db(), u"0003"_s, u""_s, u"x"_s, u"x"_s);
    EXPECT_FALSE(gone.ok);
    EXPECT_EQ(gone.notice.text, u"该操作人员已不存在！"_s);
}

TEST_F(PasswordAndLock, AwayLockWantsThePasswordAsTypedAtLogin)
{
    LoginSession session(home.db());
    session.loadOperators();
    ASSERT_EQ(session.attempt(1, u"SECRET"_s), LoginSession::Outcome::LoggedIn); // the login ignores case
    // A password change later in the run does not change what the lock wants.
    ASSERT_TRUE(PasswordChange::change(home.db(), u"0002"_s, u"Secret"_s, u"other"_s, u"other"_s).ok);

    AwayLock lock(currentOperator().password);
    for (const QString& wrong : {u"Secret"_s, u"other"_s, u""_s, u"secret"_s}) {
        const Outcome o = lock.lock(wrong);
        EXPECT_FALSE(o.ok) << wrong.toStdString();
        EXPECT_EQ(o.notice.text, u"对不起，密码错误！"_s);
        EXPECT_EQ(o.notice.caption, u"提示"_s);
        EXPECT_FALSE(lock.isLocked());
    }
    EXPECT_TRUE(lock.lock(u"SECRET"_s).ok);
    EXPECT_TRUE(lock.isLocked());
    EXPECT_FALSE(lock.wake(u"Secret"_s).ok);
    EXPECT_TRUE(lock.isLocked());
    const Outcome woken = lock.wake(u"SECRET"_s);
    EXPECT_TRUE(woken.ok);
    EXPECT_EQ(woken.notice.text, u"系统已被成功唤醒！"_s);
    EXPECT_EQ(woken.notice.kind, Notice::Kind::Information);
    EXPECT_FALSE(lock.isLocked());

    AwayLock empty{QString()};
    EXPECT_FALSE(empty.lock(u" "_s).ok);
    EXPECT_TRUE(empty.lock(QString()).ok);
    EXPECT_TRUE(empty.wake(QString()).ok);
}

} // namespace
