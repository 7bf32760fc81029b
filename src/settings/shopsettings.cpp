#include "settings/shopsettings.h"

#include "config/appconfig.h"
#include "config/inifile.h"
#include "config/programhome.h"
#include "points/receipt.h"

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace Settings {

namespace {
const QString Caption = u"提示"_s;
const QString& S = ConfigKeys::Section;

// Changes keys of the file and writes it back; false when it cannot be read first (writing
// then would lose every other key) or cannot be written.
bool update(const std::function<void(IniFile&)>& change)
{
    IniFile ini(ProgramHome::configPath());
    if (!ini.load())
        return false;
    change(ini);
    return ini.save();
}
} // namespace

ShopSettings read()
{
    IniFile ini(ProgramHome::configPath());
    ini.load(); // an unreadable file shows the defaults, as a missing one does
    ShopSettings s;
    s.shopName = ini.readString(S, ConfigKeys::ShopName, QString());
    s.softwareName = ini.readString(S, ConfigKeys::SoftwareName, QString());
    s.softwareVersion = ini.readString(S, ConfigKeys::SoftwareVersion, QString());
    s.background = ini.readString(S, ConfigKeys::ChosenBackground, QString());
    s.slogan = ini.readString(S, ConfigKeys::Slogan, QString());
    s.port = ini.readString(S, ConfigKeys::PrinterPort, u"lpt1"_s);
    s.footer = ini.readString(S, ConfigKeys::ReceiptFooter, QString());
    s.printReceipts = ini.readBool(S, ConfigKeys::PrintReceipt, false);
    return s;
}

QString joinedFooter(const QString& boxText)
{
    QString text = boxText;
    text.remove(u'\r').remove(u'\n').remove(QChar::ParagraphSeparator).remove(QChar::LineSeparator);
    return text;
}

Outcome save(const ShopSettings& s)
{
    if (s.shopName.isEmpty())
        return Outcome::refused(Notice::error(Caption, u"信息不完整！"_s));
    const bool written = update([&](IniFile& ini) {
        ini.writeString(S, ConfigKeys::ShopName, s.shopName);
        ini.writeString(S, ConfigKeys::SoftwareName, s.softwareName);
        ini.writeString(S, ConfigKeys::SoftwareVersion, s.softwareVersion);
        ini.writeString(S, ConfigKeys::ChosenBackground, s.background);
        ini.writeString(S, ConfigKeys::Slogan, s.slogan);
        ini.writeString(S, ConfigKeys::ReceiptFooter, joinedFooter(s.footer));
        ini.writeString(S, ConfigKeys::PrinterPort, s.port);
        ini.writeBool(S, ConfigKeys::PrintReceipt, s.printReceipts);
    });
    if (!written)
        return Outcome::refused(Notice::error(Caption, u"配置失败！"_s));
    return Outcome::success(Notice::information(Caption, u"配置成功！"_s));
}

bool storeBackground(const QString& path)
{
    return update([&](IniFile& ini) { ini.writeString(S, ConfigKeys::ChosenBackground, path); });
}

QByteArray testReceiptBytes(const ReceiptSettings& settings)
{
    using Receipt::line;
    QByteArray out;
    out += line(Receipt::WelcomeLine);
    out += line(Receipt::centredShopName(settings.shopName));
    out += line(u"~~~~~~~POS打印机测试通过~~~~~~~"_s);
    for (const QString& footerLine : Receipt::footerLines(settings.footer))
        out += line(footerLine);
    out += line(u"~~~~~~~~~~~ 谢谢惠顾 ~~~~~~~~~~~"_s);
    // ESC p with the byte 07: the printer pulses its cash-drawer output, so the test shows
    // the drawer is wired as well.
    out += QByteArray("\x1b\x70\x07\r\n", 5);
    out += Receipt::feedTail();
    return out;
}

std::optional<Notice> printTestReceipt()
{
    const ReceiptSettings settings = readReceiptSettings();
    QString reason;
    if (Receipt::writeToPort(settings.port, testReceiptBytes(settings), Receipt::PortTimeoutMs, &reason))
        return std::nullopt;
    const QString device = Receipt::portDevicePath(settings.port);
    QString port = settings.port.trimmed();
    if (!device.isEmpty() && device != port)
        port += u"（"_s + device + u"）"_s;
    return Notice::error(Caption, u"打印测试失败！\n打印端口：%1\n原因：%2"_s.arg(port.isEmpty() ? u"（空）"_s : port, reason));
}

} // namespace Settings
