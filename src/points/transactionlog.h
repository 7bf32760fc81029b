#pragma once

#include "data/notice.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>

// The points transaction log (流水记录): its ten-digit Transaction numbers, the rounding of
// computed points and the reading of the numbers an operator types.

// The number after the highest 编号 in 流水记录: its first ten characters read as a whole
// number, plus one, zero-padded to ten digits ("0000000001" for an empty log). A highest 编号
// that is not a whole number, or the end of the 32-bit counter, throws Failure; run it inside
// the save's transaction so that the save rolls back.
QString NextTransactionNumber(const QSqlDatabase& db);

// Runs one save in a transaction (Sql::transact) and hands the body the Transaction number,
// taken inside that transaction. The write lock is taken at the transaction's start, so on
// SQLite no other counter can take the same number meanwhile; on an engine where one can, the
// unique index on 编号 refuses the insert and the whole save runs once more with a fresh
// number. Returns the error text, empty when committed; a Refusal of the body comes out
// through refusal (Sql::transact).
QString transactWithNumber(QSqlDatabase db, const std::function<void(const QString& number)>& body,
                           std::optional<Notice>* refusal = nullptr);

// Points rounded to two decimals, half up, by the digits of the fraction's 15-significant-digit
// text (12.345 → 12.35, 1.005 → 1 because its double is 1.00499999999999989).
double RoundTwoDecimals(double value);

// A points, amount, cash or quantity text as typed: blanks around it ignored, then an optional
// sign, digits and at most one point (".5", "5.", "-3"). Anything else, the empty text
// included, throws Failure with a conversion error; so does a number a double cannot hold as
// typed: a magnitude of 1e12 or more, or more than 15 significant digits (trailing zeros of
// the fraction do not count). Callers that take an empty field as 0 put "0" in first.
double parseNumber(const QString& text);

// The points an amount earns on a card category, for the purchase and return screens. changed
// is false when the field is to stay as it is: an empty amount, a category without a ratio (or
// ratio 0), or an error (the amount is no number, or the lookup failed), whose text is in error.
struct ProposedPoints
{
    bool changed = false;
    QString points; // as shown: at most two decimals, no trailing zeros
    QString error;
};
ProposedPoints pointsForAmount(const QSqlDatabase& db, const QString& category, const QString& amountText);
