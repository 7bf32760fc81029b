#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The POS receipt of the three points transactions: 32 single-byte columns, GBK text lines
// ending in CR LF, written straight to the printer port without driver or spooler.

// Section 程序参数 of myini.ini, taken at the start of every save so that the settings
// screen's change applies to the next transaction; the file is read again only when it has
// changed (IniFile::cached).
struct ReceiptSettings
{
    bool print = false;
    QString port;
    QString shopName;
    QString footer;
};
ReceiptSettings readReceiptSettings();

enum class ReceiptKind { Add, Deduct, Redeem };

// The values of receipt lines 4 to 8, as the screen shows them when the save is made.
struct ReceiptLines
{
    QString cardNo;
    QString name;
    QString line6; // goods (add, deduct) or the redeemed points (redeem)
    QString line7; // amount (add, deduct) or the gift names, each after one blank (redeem)
    QString line8; // points (add, deduct) or cash (redeem); "0" when the field was empty
};

// Every byte of one receipt, from the welcome line to the closing LF line.
QByteArray receiptBytes(ReceiptKind kind, const ReceiptSettings& settings, const ReceiptLines& lines,
                        const QString& balanceText, const QString& operatorId, const QDateTime& printedAt);

// Prints the receipt of a committed save when the settings ask for it: the balance is read
// from the card after the commit, the moment from Clock. Every failure (no printer, no port,
// the balance query) ends the printing without a word; it never throws.
void PrintReceipt(const ReceiptSettings& settings, ReceiptKind kind, const ReceiptLines& lines,
                  const QSqlDatabase& db, const QString& operatorId);

// Pieces the settings screen's test receipt shares with the transaction receipts.
namespace Receipt {

inline constexpr int Width = 32;       // columns of the paper, in GBK bytes
inline constexpr int FooterWidth = 31; // columns of the box the footer is wrapped in
inline constexpr int PortTimeoutMs = 10000;

// The first line of every receipt.
inline const QString WelcomeLine = QStringLiteral("          欢 迎 光 临");

// The text as GBK bytes followed by CR LF.
QByteArray line(const QString& text);
// The shop name with floor((32 - width) / 2) blanks in front; 32 columns or more whole.
QString centredShopName(const QString& shopName);
// The footer broken like a word-wrapping text box of 31 columns: at the last blank that fits
// (a blank just past the edge counts, as the box lets it hang), otherwise at the limit, never
// inside a double-byte character. The blanks at a word break are dropped with the break, as
// the box shows them at the end of the line where the paper shows nothing anyway.
QStringList footerLines(const QString& footer);
// The end of every receipt: vertical tab and ESC J 140 (print and feed past the tear bar),
// then a line holding one LF.
QByteArray feedTail();

// "lpt1" to "lpt4" (any case) are the parallel ports /dev/lp0 to /dev/lp3; any other name is
// a path (a USB printer at /dev/usb/lp0, or a plain file); blanks alone name no port.
QString portDevicePath(const QString& portName);

// Writes the bytes to the port, creating or truncating a plain file. Never waits forever:
// a pipe without reader fails at once, and a device that stops taking bytes is given up
// after timeoutMs. False on any failure, with the reason in *reason when asked; nothing is
// shown here.
bool writeToPort(const QString& portName, const QByteArray& bytes, int timeoutMs = PortTimeoutMs,
                 QString* reason = nullptr);

} // namespace Receipt
