#include "operators/operatoradmin.h"

#include "data/schema.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "operators/permissions.h"

using namespace Qt::Literals::StringLiterals;

namespace Operators {

namespace {

const QString IdTaken = u"该操作人员编号已经存在！"_s;

std::optional<Notice> checkIdGiven(const OperatorDraft& d)
{
    if (d.id.isEmpty())
        return Notice::error(Caption, u"操作人员编号不能为空！"_s, IdField);
    return std::nullopt;
}

std::optional<Notice> checkPasswordsEqual(const OperatorDraft& d)
{
    // Exact: a confirmation that differs only in letter case is a different password.
    if (d.password != d.confirmation)
        return Notice::error(Caption, u"两次密码不一致！"_s, PasswordField);
    return std::nullopt;
}

// The highest sequence number of the whole table; an empty table counts as 0.
qlonglong highestNumber(const QSqlDatabase& db)
{
    return Sql::scalar(db, u"select max(xuhao) as maxnum from 权限清单"_s).toLongLong();
}

void deleteRights(const QSqlDatabase& db, const QString& id)
{
    Sql::run(db, u"delete from 权限清单 where bianhao=?"_s, {id});
}

// Each ticked permission k is numbered base + k, not by a running count: the numbers only
// need to be present, and the login reads no more than that.
void insertRights(const QSqlDatabase& db, qlonglong base, const QString& id, const QSet<int>& rights)
{
    for (const PermissionGate& gate : Permissions::gates()) {
        if (!rights.contains(gate.k))
            continue;
        Sql::run(db, u"insert into 权限清单(xuhao, bianhao, quanxianming) values (?, ?, ?)"_s,
                 {base + gate.k, id, QString::fromUtf8(gate.name)});
    }
}

Outcome saved(const QString& failed, const QString& success)
{
    if (!failed.isEmpty())
        return Outcome::refused(Notice::plain(failed));
    return Outcome::success(Notice::information(Caption, success));
}

} // namespace

void reopenList(TDM1& dm)
{
    dm.ADOQuery12->setStatement(u"select * from 操作员 where 操作员<>?"_s,
                                {QString::fromUtf8(Schema::BuiltInOperatorId)});
    dm.ADOQuery12->open();
}

std::optional<OperatorRecord> find(const QSqlDatabase& db, const QString& id)
{
    QSqlQuery q = Sql::run(db, u"select 操作员, 姓名, 密码 from 操作员 where 操作员=?"_s, {id});
    if (!q.next())
        return std::nullopt;
    return OperatorRecord{q.value(0).toString(), q.value(1).toString(), q.value(2).toString()};
}

QSet<int> rightsOf(const QSqlDatabase& db, const QString& id)
{
    QSet<int> rights;
    if (id.isEmpty())
        return rights;
    QSqlQuery q = Sql::run(db, u"select quanxianming from 权限清单 where bianhao=?"_s, {id});
    QSet<QString> names;
    while (q.next())
        names.insert(q.value(0).toString());
    for (const PermissionGate& gate : Permissions::gates()) {
        if (names.contains(QString::fromUtf8(gate.name)))
            rights.insert(gate.k);
    }
    return rights;
}

std::optional<Notice> idTaken(const QSqlDatabase& db, const QString& id)
{
    if (!Sql::scalar(db, u"select 操作员 from 操作员 where 操作员=?"_s, {id}).toString().isEmpty())
        return Notice::error(Caption, IdTaken, AllFields, true);
    return std::nullopt;
}

std::optional<Notice> idTakenByOther(const QSqlDatabase& db, const QString& id, const QString& oldId)
{
    const QVariant other =
        Sql::scalar(db, u"select 操作员 from 操作员 where (操作员=?) and (操作员<>?)"_s, {id, oldId});
    if (!other.toString().isEmpty())
        return Notice::error(Caption, IdTaken, IdField, true);
    return std::nullopt;
}

Outcome add(const QSqlDatabase& db, const OperatorDraft& d)
{
    if (auto n = checkIdGiven(d))
        return Outcome::refused(*n);
    if (auto n = checkPasswordsEqual(d))
        return Outcome::refused(*n);
    if (auto n = idTaken(db, d.id))
        return Outcome::refused(*n);
    const QString failed = Sql::transact(db, [&] {
        Sql::run(db, u"insert into 操作员(操作员, 姓名, 密码) values (?, ?, ?)"_s, {d.id, d.name, d.password});
        const qlonglong base = highestNumber(db);
        deleteRights(db, d.id);
        insertRights(db, base, d.id, d.rights);
    });
    return saved(failed, u"新增操作人员成功！"_s);
}

Outcome change(const QSqlDatabase& db, const QString& oldId, const OperatorDraft& d)
{
    if (auto n = checkIdGiven(d))
        return Outcome::refused(*n);
    if (auto n = idTakenByOther(db, d.id, oldId))
        return Outcome::refused(*n);
    if (auto n = checkPasswordsEqual(d))
        return Outcome::refused(*n);
    const QString failed = Sql::transact(db, [&] {
        // Deleted meanwhile at another counter: saving its rights would bring back rows of nobody.
        if (Sql::run(db, u"update 操作员 set 操作员=?, 姓名=?, 密码=? where 操作员=?"_s,
                     {d.id, d.name, d.password, oldId})
                .numRowsAffected()
            != 1)
            throw Failure(u"该操作人员已不存在！"_s);
        deleteRights(db, oldId);
        // Rows a deleted operator left under the new ID would otherwise add rights nobody ticked.
        if (d.id != oldId)
            deleteRights(db, d.id);
        insertRights(db, highestNumber(db), d.id, d.rights);
    });
    return saved(failed, u"修改操作人员信息成功！"_s);
}

void remove(const QSqlDatabase& db, const QString& id)
{
    if (id == QString::fromUtf8(Schema::BuiltInOperatorId))
        return; // the one operator who can always log in
    Sql::run(db, u"delete from 操作员 where 操作员=?"_s, {id});
}

} // namespace Operators
