#pragma once

#include "data/notice.h"

#include <QSet>
#include <QSqlDatabase>
#include <QString>

#include <optional>

class TDM1;

// An operator as the new and change dialogs hold it. Rights are the numbers k (1 to 24) of
// the ticked permissions.
struct OperatorDraft
{
    QString id;
    QString name;
    QString password;
    QString confirmation;
    QSet<int> rights;
};

struct OperatorRecord
{
    QString id;
    QString name;
    QString password; // a null password reads as empty
};

// Operators and their rights in 权限清单. The built-in operator never appears in the list and
// its ID can never be given to another, since its row always exists.
namespace Operators {

// The inputs of the two dialogs, as notices name them. AllFields: every text field is
// emptied and the focus goes to the ID.
enum Field { IdField, NameField, PasswordField, ConfirmationField, AllFields };

inline const QString Caption = QStringLiteral("提示");

// The operator list: everyone but the built-in operator.
void reopenList(TDM1& dm);

std::optional<OperatorRecord> find(const QSqlDatabase& db, const QString& id);
// The permissions the screens tick for the operator.
QSet<int> rightsOf(const QSqlDatabase& db, const QString& id);

// The ID belongs to an operator already: a new one may not take it (all fields cleared).
std::optional<Notice> idTaken(const QSqlDatabase& db, const QString& id);
// The ID belongs to another operator than the one being changed (the ID field cleared);
// keeping the own ID is allowed.
std::optional<Notice> idTakenByOther(const QSqlDatabase& db, const QString& id, const QString& oldId);

// A new operator with its rights, numbered from the table's highest sequence number plus
// the permission's own number. Rows an earlier operator of the same ID left are replaced.
Outcome add(const QSqlDatabase& db, const OperatorDraft& draft);
// Changes the operator known as oldId, its ID included; its rights move to the new ID.
Outcome change(const QSqlDatabase& db, const QString& oldId, const OperatorDraft& draft);
// Deletes the operator; its rights rows stay until an operator of the same ID is saved.
void remove(const QSqlDatabase& db, const QString& id);

} // namespace Operators
