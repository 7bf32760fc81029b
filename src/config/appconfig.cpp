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

} // namespace AppConfig
