#pragma once

#include "data/notice.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct ReceiptSettings;

// What the settings screen edits in myini.ini, with the defaults it shows for missing keys.
struct ShopSettings
{
    QString shopName;
    QString softwareName;    // kept as read; no screen shows it
    QString softwareVersion; // likewise
    QString background;      // the picture chosen on the settings screen (not the start-up one)
    QString slogan;
    QString footer;
    QString port = QStringLiteral("lpt1");
    bool printReceipts = false;
};

namespace Settings {

ShopSettings read();

// The footer box's lines as stored: one line, joined with nothing between them.
QString joinedFooter(const QString& boxText);

// Saves every key, in the screen's order, in one write of the file. Refused without a shop
// name; "配置失败！" when the file cannot be read or written, or a text has no GBK form.
Outcome save(const ShopSettings& settings);

// The background chosen with "...": stored at once, whether or not the screen is saved.
bool storeBackground(const QString& path);

// Every byte of the test receipt.
QByteArray testReceiptBytes(const ReceiptSettings& settings);
// Prints the test receipt with the port, shop name and footer stored in the file (not what
// the screen shows), whether receipts are switched on or not. The operator asked for the
// print, so a port that fails is named with its reason; success needs no word.
std::optional<Notice> printTestReceipt();

} // namespace Settings
