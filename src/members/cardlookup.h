#pragma once

#include "members/memberrecord.h"

#include <QString>

#include <array>

class TDM1;

// Finding the member whose card is at the counter, by its number or by part of a field.
namespace CardLookup {

struct Result
{
    enum class Kind { Retired, NotFound, Found };
    Kind kind = Kind::NotFound;
    MemberRecord member;
};

// A retired (replaced) number is always Retired, even if a member carries it again later.
Result byCardNumber(const QSqlDatabase& db, const QString& cardNo);
// The first read of byCardNumber, bound with the number twice: whether it is retired, and
// whether a member holds it (the member is then read by Members::find).
const QString& probeStatement();

// Puts the formal loss records of a retired card into the shared ADOQuery9 for the loss view.
void showLossRecords(TDM1& dm, const QString& cardNo);
// Puts the open and closed verbal loss records of a card into the shared ADOQuery10.
void showVerbalLossRecords(TDM1& dm, const QString& cardNo);

// The fields a member can be searched by, each with its input and button.
struct SearchField
{
    const char* column;
    const char* input;  // objectName of the search input
    const char* button; // objectName of its "模糊查找" button
};
const std::array<SearchField, 8>& searchFields();

// Members whose column contains the text anywhere, into the shared ADOQuery7 (会员卡号,
// 会员姓名, 身份证号). Only the columns of searchFields() are accepted; returns the engine's
// error text, empty on success.
QString search(TDM1& dm, const QString& column, const QString& text);

} // namespace CardLookup
