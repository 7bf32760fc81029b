#include "reminders/reminders.h"

#include "config/appconfig.h"
#include "config/inifile.h"
#include "config/programhome.h"
#include "data/clock.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "members/memberdates.h"

using namespace Qt::Literals::StringLiterals;

namespace Reminders {

namespace {

// The members whose column equals one of the dates: one bound value per date, so exactly the
// rows an equality test on each date finds, whatever else the column holds.
QString showMatching(SharedQuery* query, const QString& column, const QStringList& dates)
{
    QStringList marks;
    QVariantList values;
    for (const QString& d : dates) {
        marks << u"?"_s;
        values << d;
    }
    query->close();
    query->setStatement(u"select * from 会员卡信息 where %1 in (%2)"_s.arg(column, marks.join(u", "_s)), values);
    return query->open();
}

} // namespace

QStringList birthdayDates(const QDate& today, int days)
{
    QStringList dates;
    for (int n = 0; n < days; ++n)
        dates << MemberDates::birthdayText(today.addDays(n));
    return dates;
}

QStringList expiryDates(const QDate& today, int lastDay)
{
    QStringList dates;
    for (int n = 0; n <= lastDay; ++n)
        dates << Values::dateText(today.addDays(n));
    return dates;
}

QString showBirthdays(TDM1& dm, int days)
{
    return showMatching(dm.ADOQuery3, u"会员生日"_s, birthdayDates(Clock::today(), days));
}

QString showExpiries(TDM1& dm, int lastDay)
{
    return showMatching(dm.ADOQuery16, u"保险到期日期"_s, expiryDates(Clock::today(), lastDay));
}

void saveShowAtStart(const QString& key, bool show)
{
    IniFile ini(ProgramHome::configPath());
    if (!ini.load())
        return; // an unreadable file is not overwritten with one key
    ini.writeBool(ConfigKeys::Section, key, show);
    ini.save();
}

} // namespace Reminders
