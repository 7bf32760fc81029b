#include "points/receipt.h"

#include "config/appconfig.h"
#include "config/gbk.h"
#include "config/inifile.h"
#include "config/programhome.h"
#include "data/clock.h"
#include "data/sqlrun.h"
#include "data/values.h"

#include <QDeadlineTimer>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

int gbkWidth(QStringView text)
{
    QByteArray bytes;
    Gbk::encode(text.toString(), &bytes);
    return int(bytes.size());
}

struct Layout
{
    QString heading;
    QString label6, label7, label8;
};

Layout layoutOf(ReceiptKind kind)
{
    // The headings are not all 32 columns wide; the shop's paper has always shown them so.
    switch (kind) {
    case ReceiptKind::Add:
        return {u"~~~~~~~~~~~增加积分~~~~~~~~~~~~~"_s, u"所购商品： "_s, u"消费金额： "_s, u"增加积分： "_s};
    case ReceiptKind::Deduct:
        return {u"~~~~~~~~退/换货减积分~~~~~~~~~"_s, u"退/换货商品： "_s, u"差价金额： "_s, u"减少积分： "_s};
    case ReceiptKind::Redeem:
        return {u"~~~~~~~~~~积分兑换~~~~~~~~~~~"_s, u"兑换积分： "_s, u"兑换礼品： "_s, u"兑换现金： "_s};
    }
    return {};
}

} // namespace

ReceiptSettings readReceiptSettings()
{
    // Read from disk only when the file changed since the last save (IniFile::cached): a large
    // file costs its reading once, not at every save.
    const std::shared_ptr<const IniFile> file = IniFile::cached(ProgramHome::configPath());
    const IniFile& ini = *file; // an unreadable file gives the defaults, as a missing one does
    ReceiptSettings s;
    s.print = ini.readBool(ConfigKeys::Section, ConfigKeys::PrintReceipt, false);
    s.port = ini.readString(ConfigKeys::Section, ConfigKeys::PrinterPort, QString());
    s.shopName = ini.readString(ConfigKeys::Section, ConfigKeys::ShopName, QString());
    s.footer = ini.readString(ConfigKeys::Section, ConfigKeys::ReceiptFooter, QString());
    return s;
}

namespace Receipt {

QByteArray line(const QString& text)
{
    QByteArray bytes;
    Gbk::encode(text, &bytes); // a character without a GBK form prints as '?'
    bytes.append("\r\n");
    return bytes;
}

QString centredShopName(const QString& shopName)
{
    const int width = gbkWidth(shopName);
    return width < Width ? QString((Width - width) / 2, u' ') + shopName : shopName;
}

QStringList footerLines(const QString& footer)
{
    // Whole characters with their widths: a surrogate pair is one character, never split.
    struct Char
    {
        QStringView text;
        int width;
        bool blank;
    };
    QList<Char> chars;
    for (qsizetype i = 0; i < footer.size();) {
        const qsizetype n = footer.at(i).isHighSurrogate() && i + 1 < footer.size() ? 2 : 1;
        const QStringView c = QStringView(footer).mid(i, n);
        chars.append({c, gbkWidth(c), c == u" "});
        i += n;
    }
    const auto join = [&](qsizetype from, qsizetype to) {
        QString text;
        for (qsizetype i = from; i < to; ++i)
            text += chars.at(i).text;
        return text;
    };

    QStringList lines;
    qsizetype start = 0;
    while (start < chars.size()) {
        qsizetype end = start;
        int width = 0;
        while (end < chars.size() && width + chars.at(end).width <= FooterWidth)
            width += chars.at(end++).width;
        if (end == chars.size()) {
            lines.append(join(start, end));
            break;
        }
        if (end == start) { // a character wider than the line (none in GBK) still moves on
            lines.append(join(start, start + 1));
            ++start;
            continue;
        }
        // The last run of blanks that follows a word and starts within the line (or just past
        // it); leading blanks are no place to break, as the line would be left empty.
        qsizetype blank = -1;
        for (qsizetype k = end; k > start && blank < 0; --k) {
            if (chars.at(k).blank && !chars.at(k - 1).blank)
                blank = k;
        }
        if (blank < 0) {
            lines.append(join(start, end));
            start = end;
            continue;
        }
        lines.append(join(start, blank));
        start = blank;
        while (start < chars.size() && chars.at(start).blank)
            ++start;
    }
    return lines;
}

QString portDevicePath(const QString& portName)
{
    const QString name = portName.trimmed();
    if (name.size() == 4 && name.startsWith(u"lpt"_s, Qt::CaseInsensitive) && name.at(3) >= u'1'
        && name.at(3) <= u'4')
        return u"/dev/lp%1"_s.arg(name.at(3).digitValue() - 1);
    return name;
}

QByteArray feedTail()
{
    return QByteArray("\x0b\x1b\x4a\x8c\r\n\n\r\n", 9);
}

namespace {
// What went wrong, in the words a counter operator can act on.
QString portError(int error)
{
    switch (error) {
    case ENOENT:
        return u"找不到该端口或文件夹"_s;
    case ENODEV:
    case ENXIO:
        return u"端口上没有可用的打印机"_s;
    case EACCES:
    case EPERM:
    case EROFS:
        return u"没有写入该端口的权限"_s;
    case EBUSY:
        return u"端口正被占用"_s;
    case EISDIR:
        return u"这是一个文件夹，不是端口"_s;
    case ENOSPC:
        return u"磁盘已满"_s;
    case EPIPE:
        return u"打印机已断开"_s;
    case EIO:
        return u"打印机读写出错（缺纸、脱机或未接通电源）"_s;
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}
} // namespace

bool writeToPort(const QString& portName, const QByteArray& bytes, int timeoutMs, QString* reason)
{
    const auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    const QString path = portDevicePath(portName);
    if (path.isEmpty())
        return fail(u"没有设置打印端口"_s);
    // Non-blocking, so that a pipe without a reader fails at once instead of waiting for one,
    // and a busy printer says so instead of holding the counter. A missing device is not
    // made into a plain file under /dev; any other name is, as a file port is meant to be.
    int flags = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (!path.startsWith(u"/dev/"_s))
        flags |= O_CREAT | O_TRUNC;
    const QByteArray native = QFile::encodeName(path);
    int fd = -1;
    do {
        fd = ::open(native.constData(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return fail(portError(errno));

    // The parallel port driver cannot be polled, so a busy port is simply tried again shortly,
    // until the deadline: the operator waits for the paper, but not forever.
    const QDeadlineTimer deadline(timeoutMs);
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    QString why;
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n > 0) {
            data += n;
            left -= n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && !deadline.hasExpired()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            why = u"打印机在 %1 秒内没有接收数据"_s.arg(qMax(1, timeoutMs / 1000));
            break;
        } else {
            why = portError(n < 0 ? errno : EIO);
            break;
        }
    }
    if (::close(fd) != 0 && why.isEmpty())
        why = portError(errno);
    return why.isEmpty() ? true : fail(why);
}

} // namespace Receipt

QByteArray receiptBytes(ReceiptKind kind, const ReceiptSettings& settings, const ReceiptLines& lines,
                        const QString& balanceText, const QString& operatorId, const QDateTime& printedAt)
{
    using Receipt::line;
    const QString separator(Receipt::Width, u'~');
    const Layout layout = layoutOf(kind);
    QByteArray out;
    out += line(Receipt::WelcomeLine);
    out += line(Receipt::centredShopName(settings.shopName));
    out += line(layout.heading);
    out += line(u"会员卡号： "_s + lines.cardNo);
    out += line(u"会员姓名： "_s + lines.name);
    out += line(layout.label6 + lines.line6);
    out += line(layout.label7 + lines.line7);
    out += line(layout.label8 + lines.line8);
    out += line(u"现有积分： "_s + balanceText);
    out += line(separator);
    out += line(printedAt.toString(u"yyyy-MM-dd   HH:mm:ss"_s));
    out += line(u"经手人： "_s + operatorId);
    out += line(separator);
    for (const QString& footerLine : Receipt::footerLines(settings.footer))
        out += line(footerLine);
    out += Receipt::feedTail();
    return out;
}

void PrintReceipt(const ReceiptSettings& settings, ReceiptKind kind, const ReceiptLines& lines,
                  const QSqlDatabase& db, const QString& operatorId)
{
    if (!settings.print || Receipt::portDevicePath(settings.port).isEmpty())
        return;
    QString balance;
    try {
        balance = Values::pointsText(
            Sql::scalar(db, u"select 积分 from 会员卡信息 where 会员卡号=?"_s, {lines.cardNo}));
    } catch (const Failure&) {
        return; // the save stands; a receipt without its balance is not printed
    }
    Receipt::writeToPort(settings.port, receiptBytes(kind, settings, lines, balance, operatorId,
                                                     Clock::currentDateTime()));
}
