#pragma once

#include "data/notice.h"

#include <QSqlDatabase>
#include <QString>

// The own password of the operator at the counter, and the away lock.
namespace PasswordChange {

enum Field { OldField, NewField, ConfirmationField };

// Changes the operator's stored password. The old one must match exactly (letter case
// counts, unlike at the login); an empty new password is allowed.
Outcome change(const QSqlDatabase& db, const QString& operatorId, const QString& oldPassword,
               const QString& newPassword, const QString& confirmation);

} // namespace PasswordChange

// The counter locked while its operator is away. It opens only to the password exactly as
// typed at the login of this run: not the stored one, and not one changed since.
class AwayLock
{
public:
    explicit AwayLock(QString loginPassword);

    bool isLocked() const { return m_locked; }
    // "挂起": locks when the typed password is the login's; a refusal otherwise.
    Outcome lock(const QString& typed);
    // "唤醒": unlocks on the login's password.
    Outcome wake(const QString& typed);

private:
    QString m_password;
    bool m_locked = false;
};
