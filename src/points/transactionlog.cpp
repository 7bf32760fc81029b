#include "points/transactionlog.h"

#include "data/engine.h"
#include "data/sqlrun.h"
#include "data/values.h"

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int NumberWidth = 10;
constexpr int MaxSignificantDigits = 15;
constexpr double MaxMagnitude = 1e12;

// Only what a whole-number conversion takes: blanks around it, an optional sign and digits.
bool readWhole(const QString& text, qint64* value)
{
    const QString t = text.trimmed();
    qsizetype i = (t.startsWith(u'+') || t.startsWith(u'-')) ? 1 : 0;
    if (i == t.size())
        return false;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (t.at(j) < u'0' || t.at(j) > u'9')
            return false;
    }
    bool ok = false;
    *value = t.toLongLong(&ok);
    return ok && *value >= std::numeric_limits<qint32>::min() && *value <= std::numeric_limits<qint32>::max();
}

} // namespace

QString NextTransactionNumber(const QSqlDatabase& db)
{
    const QString highest = Sql::scalar(db, u"select max(编号) from 流水记录"_s).toString();
    // A log of blank numbers counts as empty, as the single blank that older files hold does.
    const QString taken = highest.trimmed().isEmpty() ? u"0000000000"_s : highest.left(NumberWidth);
    qint64 counter = 0;
    if (!readWhole(taken, &counter))
        throw Failure(u"“%1”不是有效的整数值"_s.arg(taken));
    const qint64 next = counter + 1;
    // The counter is 32 bits wide; past its end (or below 1) there is no Transaction number.
    if (next < 1 || next > std::numeric_limits<qint32>::max())
        throw Failure(u"最大编号“%1”之后没有可用的流水编号"_s.arg(taken));
    return u"%1"_s.arg(next, NumberWidth, 10, QChar(u'0'));
}

QString transactWithNumber(QSqlDatabase db, const std::function<void(const QString& number)>& body,
                           std::optional<Notice>* refusal)
{
    // Only the number's own unique index refusing the insert is a collision worth a second
    // try; a busy database has already been waited for, and anything else is the save's own.
    const auto attempt = [&](bool* collided) {
        return Sql::transact(
            db,
            [&] {
                try {
                    body(NextTransactionNumber(db));
                } catch (const Refusal&) {
                    throw;
                } catch (const Failure& failure) {
                    *collided = Engine::isDuplicateOf(failure, u"流水记录"_s, u"编号"_s);
                    throw;
                }
            },
            refusal);
    };
    bool collided = false;
    const QString failed = attempt(&collided);
    if (failed.isEmpty() || !collided)
        return failed;
    collided = false;
    return attempt(&collided);
}

double RoundTwoDecimals(double value)
{
    if (!std::isfinite(value))
        return value;
    // The rule is stated for the points a positive ratio gives; a negative ratio's points are
    // rounded the same way by their size, so -12.345 becomes -12.35 (half away from zero).
    if (value < 0) {
        const double rounded = -RoundTwoDecimals(-value);
        return rounded == 0.0 ? 0.0 : rounded;
    }
    const double whole = std::trunc(value);
    const QString fraction = QString::number(value - whole, 'g', 15);
    // Below 0.0001 the text has an exponent (4.99999999999989e-06): its first three decimals
    // are zeros, so the whole number stands.
    if (fraction.contains(u'e'))
        return whole;
    // "0", "0.d…" or, when 15 digits round the fraction up to it, "1".
    const qsizetype point = fraction.indexOf(u'.');
    const QString decimals = point < 0 ? QString() : fraction.mid(point + 1);
    int cents = fraction.at(0).digitValue() * 100;
    if (decimals.size() >= 1)
        cents += decimals.at(0).digitValue() * 10;
    if (decimals.size() >= 2)
        cents += decimals.at(1).digitValue();
    if (decimals.size() >= 3 && decimals.at(2).digitValue() >= 5)
        ++cents; // 0.995 reaches 100 cents: the carry into the whole part is the addition below
    // One division of an exact count of cents gives the double nearest to the decimal text, so
    // the result compares equal to the literal (12.35); beyond 2^53 cents the sum will do.
    const double allCents = whole * 100.0 + cents;
    if (allCents < 9007199254740992.0)
        return allCents / 100.0;
    return whole + cents / 100.0;
}

double parseNumber(const QString& text)
{
    const QString t = text.trimmed();
    // Exponents, thousands separators and full-width digits are refused on purpose: none of
    // them is typed at the counter on purpose, and a refused save is better than a wrong one.
    qsizetype i = (t.startsWith(u'+') || t.startsWith(u'-')) ? 1 : 0;
    int digits = 0;
    int points = 0;
    // Significant digits: from the first non-zero digit to the last one that is not a
    // trailing zero of the fraction (007.50 has two, 100 three, 0.0012 two).
    int significant = 0;
    int pendingZeros = 0; // zeros after the last non-zero digit, not yet known to count
    bool started = false;
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c >= u'0' && c <= u'9') {
            ++digits;
            if (c != u'0') {
                significant += (started ? pendingZeros : 0) + 1;
                pendingZeros = 0;
                started = true;
            } else if (started) {
                ++pendingZeros;
            }
        } else if (c == u'.') {
            ++points;
            // Zeros of the whole part count; only those that end the fraction do not.
            significant += pendingZeros;
            pendingZeros = 0;
        } else {
            break;
        }
    }
    if (points == 0)
        significant += pendingZeros;
    bool ok = i == t.size() && digits > 0 && points <= 1;
    const double value = ok ? t.toDouble(&ok) : 0.0;
    // A double keeps 15 significant digits; beyond them, or at a trillion and more, the number
    // stored would not be the number typed (123456789012345678.99 becomes …680).
    if (!ok || !std::isfinite(value) || significant > MaxSignificantDigits || std::fabs(value) >= MaxMagnitude)
        throw Failure(u"“%1”不是有效的数值"_s.arg(text));
    return value;
}

ProposedPoints pointsForAmount(const QSqlDatabase& db, const QString& category, const QString& amountText)
{
    ProposedPoints proposed;
    if (amountText.trimmed().isEmpty())
        return proposed;
    try {
        // The ratio is looked up before the amount is read, so on a card without a ratio even
        // a lone "." leaves the field alone without a message.
        const double ratio = Sql::scalar(db, u"select 积分比例 from 卡类别 where 卡类别=?"_s, {category}).toDouble();
        if (ratio == 0.0)
            return proposed;
        const double amount = parseNumber(amountText);
        // The quotient goes through its 15-digit text first, as the field shows it before the
        // rounding reads it back.
        const double quotient = QString::number(amount / ratio, 'g', 15).toDouble();
        proposed.points = Values::pointsText(RoundTwoDecimals(quotient));
        proposed.changed = true;
    } catch (const Failure& failure) {
        proposed.error = failure.text();
    }
    return proposed;
}
