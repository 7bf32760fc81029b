#include "operators/password.h"

#include "data/sqlrun.h"

using namespace Qt::Literals::StringLiterals;

namespace PasswordChange {

Outcome change(const QSqlDatabase& db, const QString& operatorId, const QString& oldPassword,
               const QString& newPassword, const QString& confirmation)
{
    const QString caption = u"错误！"_s;
    // A null password reads as empty, so an operator without one leaves the old field empty.
    const QString stored = Sql::scalar(db, u"select 密码 from 操作员 where 操作员=?"_s, {operatorId}).toString();
    if (oldPassword != stored)
        return Outcome::refused(Notice::error(caption, u"旧密码不正确！"_s, OldField));
    if (newPassword != confirmation)
        return Outcome::refused(Notice::error(caption, u"两次密码不一致！"_s, NewField));
    try {
        // An operator deleted meanwhile at another counter changes no row: not a success.
        if (Sql::run(db, u"update 操作员 set 密码=? where 操作员=?"_s, {confirmation, operatorId}).numRowsAffected() != 1)
            return Outcome::refused(Notice::error(caption, u"该操作人员已不存在！"_s));
    } catch (const Failure& f) {
        return Outcome::refused(Notice::plain(f.text()));
    }
    return Outcome::success(Notice::information(u"提示！"_s, u"修改成功！"_s));
}

} // namespace PasswordChange

namespace {
Notice wrongPassword()
{
    return Notice::error(u"提示"_s, u"对不起，密码错误！"_s);
}
} // namespace

AwayLock::AwayLock(QString loginPassword) : m_password(std::move(loginPassword)) {}

Outcome AwayLock::lock(const QString& typed)
{
    if (typed != m_password)
        return Outcome::refused(wrongPassword());
    m_locked = true;
    return Outcome::success({});
}

Outcome AwayLock::wake(const QString& typed)
{
    if (typed != m_password)
        return Outcome::refused(wrongPassword());
    m_locked = false;
    return Outcome::success(Notice::information(u"提示"_s, u"系统已被成功唤醒！"_s));
}
