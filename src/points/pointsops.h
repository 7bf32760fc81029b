#pragma once

#include "data/notice.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

class TDM1;

// The three points transactions: adding points for a purchase, taking them back for a return
// or exchange, and redeeming them for gifts or cash. Each save is one transaction that takes
// the next Transaction number, changes the balance and writes its log rows.
namespace PointsOps {

enum class PurchaseKind { Add, Deduct };

struct PurchaseDraft
{
    QString cardNo;     // the card field as it stands
    QString loadedCard; // the card of the member the screen loaded ("" when none is loaded)
    QString name;
    QString goods;
    QString amount; // as typed; only printed
    QString points; // as typed or proposed; empty saves 0
};

struct Saved
{
    Outcome outcome;
    QString number; // the Transaction number of the saved row
    QString points; // the points as stored (two decimals at most), for the receipt
};

// Adds (or takes back) the points on the loaded card and logs "购物消费" (or "退货减积分").
// Refused with "请将卡号填写完整！" when the card field no longer holds the loaded card; inside
// the transaction, with "此卡号不存在！" when no member holds the card any more and with
// "此卡已经口头挂失，不能使用！" when a verbal loss report froze it meanwhile. A points text that
// is no number fails the save with a conversion error and changes nothing. The points are kept
// at two decimals in the balance and in the log alike, so a correction restores them exactly.
Saved savePurchase(const QSqlDatabase& db, PurchaseKind kind, const PurchaseDraft& draft, const QString& operatorId);

// Every goods text ever logged, for the goods box.
QStringList goodsList(const QSqlDatabase& db);

enum class RedeemMode { Gifts = 0, Cash = 1 };

struct GiftRow
{
    QString name;
    QString unit;
    QString quantity;
    bool isEmpty() const { return name.isEmpty() && unit.isEmpty() && quantity.isEmpty(); }
    bool isComplete() const { return !name.isEmpty() && !unit.isEmpty() && !quantity.isEmpty(); }
};

struct RedemptionDraft
{
    bool giftsEnabled = true; // the gift list takes part in the checks (gifts mode)
    QList<GiftRow> gifts;     // the rows of the gift list, in order
    QString cardNo;     // the card field as it stands
    QString loadedCard; // the card of the member the screen loaded ("" when none is loaded)
    QString name;
    QString points;        // empty: 0
    QString cash;          // empty: 0
    QString currentPoints; // the balance as the lookup showed it
};

struct Redeemed
{
    Outcome outcome;
    int badRow = -1; // the first partly filled gift row (from 0), when that refused the save
    QString number;
    QString giftText; // each gift name preceded by one blank
    QString points;   // points and cash as stored (two decimals at most), for the receipt
    QString cash;
};

QString giftText(const QList<GiftRow>& gifts);

// The checks in order (gift rows, the loaded card, points not above zero, points above the
// balance shown), then the redemption: balance, log row "兑换积分", and per gift a negative
// stock movement and a redemption record under the Transaction number. Inside the transaction
// the stored card decides: gone, frozen, or a balance that no longer covers the points (another
// counter redeemed meanwhile) refuses the save and changes nothing.
Redeemed redeem(const QSqlDatabase& db, const RedemptionDraft& draft, const QString& operatorId);

// Every gift name and unit ever booked, whatever its stock, into the shared ADOQuery14.
void showGiftPickList(TDM1& dm);

// The category's rights for the chosen mode; a missing category has none.
std::optional<Notice> rightsRefusal(const QSqlDatabase& db, const QString& category, RedeemMode mode);

} // namespace PointsOps
