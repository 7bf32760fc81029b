#include "members/memberdates.h"

using namespace Qt::Literals::StringLiterals;

namespace MemberDates {

IdBirthday fromIdNumber(const QString& id)
{
    IdBirthday result;
    QString year, month, day;
    if (id.size() == 18) {
        year = id.mid(6, 4);
        month = id.mid(10, 2);
        day = id.mid(12, 2);
    } else if (id.size() == 15) {
        year = id.mid(6, 2);
        month = id.mid(8, 2);
        day = id.mid(10, 2);
    } else {
        return result;
    }
    result.text = year + u'-' + month + u'-' + day;
    bool okY = false, okM = false, okD = false;
    int y = year.toInt(&okY);
    const int m = month.toInt(&okM);
    const int d = day.toInt(&okD);
    const bool digits = std::all_of(result.text.begin(), result.text.end(),
                                    [](QChar c) { return c == u'-' || (c >= u'0' && c <= u'9'); });
    if (year.size() == 2)
        y += 1900;
    const QDate date(y, m, d);
    if (!digits || !okY || !okM || !okD || !date.isValid()) {
        result.status = IdBirthday::Status::Invalid;
        return result;
    }
    result.status = IdBirthday::Status::Valid;
    result.date = date;
    return result;
}

QString invalidDateText(const QString& text)
{
    return u"“%1”不是有效的日期"_s.arg(text);
}

QString birthdayText(const QDate& date)
{
    return u"%1-%2"_s.arg(date.month()).arg(date.day());
}

QDate insuranceExpiry(const QDate& insuranceDate)
{
    // QDate::addYears already moves 29 February to 28 February of a common year.
    return insuranceDate.addYears(1);
}

} // namespace MemberDates
