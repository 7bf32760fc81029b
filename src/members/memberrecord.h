#pragma once

#include "data/sqlrun.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>

class QSqlRecord;

// One row of 会员卡信息 as the screens show it: every column as its display text, the two
// flags as booleans and the balance as a number.
struct MemberRecord
{
    QString cardNo;       // 会员卡号
    QString category;     // 卡类别
    QString name;         // 会员姓名
    QString sex;          // 性别
    QString idNumber;     // 身份证号
    QString birthday;     // 会员生日, "m-d"
    QString address;      // 地址
    QString phone;        // 固定电话
    QString mobile;       // 手机
    QString startDate;    // 起用日期
    QString occupation;   // 职业
    QString hobby;        // 兴趣爱好
    QString plate;        // 车牌号
    QString vin;          // VIN码
    QString carModel;     // 车型
    QString carColour;    // 车身颜色
    QString purchaseDate; // 购车日期
    bool insured = false; // 投保标志
    QString insuranceDate;   // 投保日期
    QString insuranceExpiry; // 保险到期日期
    double points = 0;       // 积分
    bool verbalLoss = false; // 口头挂失标志

    // The columns in the order of the fields above, as a lookup selects them.
    static const QStringList& columns();
    // A row with these columns by name (a grid's row), or the current row of a statement that
    // selects exactly columns() in their order.
    static MemberRecord fromRecord(const QSqlRecord& record);
    static MemberRecord fromRow(const Sql::Rows& rows);
};

namespace Members {
// The member with exactly this card number.
std::optional<MemberRecord> find(const QSqlDatabase& db, const QString& cardNo);
// The statement find() runs: columns() of the member with the bound card number.
const QString& findStatement();
// The card number stands as 挂失记录.旧卡号: it was replaced after a formal loss and is retired.
bool isRetiredCard(const QSqlDatabase& db, const QString& cardNo);
bool exists(const QSqlDatabase& db, const QString& cardNo);
// Every distinct non-empty value of a member column, for the drop-down lists of earlier values.
// Only the columns those lists use are accepted.
QStringList distinctValues(const QSqlDatabase& db, const QString& column);
// Removes the member row; the member's log, loss and gift records stay.
void remove(const QSqlDatabase& db, const QString& cardNo);
} // namespace Members
