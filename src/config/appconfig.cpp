#include "config/appconfig.h"

#include "config/inifile.h"
#include "config/programhome.h"

using namespace Qt::Literals::StringLiterals;

namespace AppConfig {

StartupSettings readStartup()
{
    IniFile ini(ProgramHome::configPath());
    ini.load();
    StartupSettings s;
    s.shopName = ini.readString(ConfigKeys::Section, ConfigKeys::ShopName, u"请修改公司名称"_s);
    s.slogan = ini.readString(ConfigKeys::Section, ConfigKeys::Slogan, u"请修改滚动字幕"_s);
    s.remindBirthday = ini.readBool(ConfigKeys::Section, ConfigKeys::RemindBirthday, true);
    s.remindInsurance = ini.readBool(ConfigKeys::Section, ConfigKeys::RemindInsurance, true);
    s.backgroundPath = ini.readString(ConfigKeys::Section, ConfigKeys::Background, ProgramHome::defaultPicturePath());
    if (s.backgroundPath.isEmpty())
        s.backgroundPath = ProgramHome::defaultPicturePath();
    return s;
}

bool database(Engine::Location* location, QString* error)
{
    IniFile ini(ProgramHome::configPath());
    ini.load();
    const QString& section = ConfigKeys::DatabaseSection;
    const QString kind = ini.readString(section, ConfigKeys::DatabaseKind, u"SQLite"_s).trimmed();
    *location = Engine::Location(ProgramHome::databasePath());
    if (kind.isEmpty() || kind.compare(u"SQLite"_s, Qt::CaseInsensitive) == 0)
        return true;
    if (kind.compare(u"PostgreSQL"_s, Qt::CaseInsensitive) != 0) {
        *error = u"myini.ini [%1] 中的%2“%3”无法识别（可选 SQLite 或 PostgreSQL）"_s.arg(section, ConfigKeys::DatabaseKind, kind);
        return false;
    }
    Engine::Location l;
    l.kind = Engine::Location::Kind::PostgreSQL;
    l.host = ini.readString(section, ConfigKeys::DatabaseHost, QString()).trimmed();
    const QString port = ini.readString(section, ConfigKeys::DatabasePort, u"5432"_s).trimmed();
    bool ok = false;
    l.port = port.toInt(&ok);
    if (!ok || l.port <= 0 || l.port > 65535) {
        *error = u"myini.ini [%1] 中的%2“%3”不是有效的端口号"_s.arg(section, ConfigKeys::DatabasePort, port);
        return false;
    }
    l.database = ini.readString(section, ConfigKeys::DatabaseName, QString()).trimmed();
    if (l.database.isEmpty()) {
        *error = u"myini.ini [%1] 中没有%2"_s.arg(section, ConfigKeys::DatabaseName);
        return false;
    }
    l.user = ini.readString(section, ConfigKeys::DatabaseUser, QString()).trimmed();
    l.password = ini.readString(section, ConfigKeys::DatabasePassword, QString());
    l.sslMode = ini.readString(section, ConfigKeys::DatabaseSslMode, QString()).trimmed();
    *location = l;
    return true;
}

} // namespace AppConfig
