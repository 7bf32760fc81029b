#pragma once

#include <QDate>
#include <QSqlDatabase>
#include <QString>

struct ShopSettings;

// A shop to look at and to learn on: three card categories, 300 members with their cars,
// three months of counter work up to yesterday, a few lost cards, gifts in stock and the
// counter operator 0002. Every row is written by the program's own operations, as a counter
// would have written it, so the shop obeys every rule the real one does (each card's balance
// is the sum of its log). The same day gives the same shop: the data come from a fixed seed,
// their dates count back from the day given.
namespace DemoShop {

// The counter operator the shop starts with, and the password it logs in with.
inline const QString CounterOperator = QStringLiteral("0002");
inline const QString CounterPassword = QStringLiteral("1234");

// Fills a fresh database (operator 0001 only) as the shop stands on `today`. The clock is
// stepped through the three months for the operations and set back afterwards. Returns the
// refusal or error that stopped it, empty when the shop is complete.
QString fill(const QSqlDatabase& db, const QDate& today);

// The shop's name, slogan and receipt footer for myini.ini; receipts stay off.
ShopSettings settings();

} // namespace DemoShop
