#pragma once

#include <QString>

// The keys of section 程序参数 of myini.ini and the values each reader falls back to.
namespace ConfigKeys {
inline const QString Section = QStringLiteral("程序参数");
inline const QString ShopName = QStringLiteral("店铺名称");
inline const QString Slogan = QStringLiteral("广告语");
inline const QString Background = QStringLiteral("背景");
inline const QString ChosenBackground = QStringLiteral("背景图片");
inline const QString SoftwareName = QStringLiteral("软件名称");
inline const QString SoftwareVersion = QStringLiteral("软件版本");
inline const QString PrinterPort = QStringLiteral("打印端口");
inline const QString ReceiptFooter = QStringLiteral("小票尾");
inline const QString PrintReceipt = QStringLiteral("打印小票");
inline const QString RemindBirthday = QStringLiteral("提醒1");
inline const QString RemindInsurance = QStringLiteral("提醒2");
} // namespace ConfigKeys

// What the main window reads once at start and keeps for the whole run.
struct StartupSettings
{
    QString shopName;
    QString slogan;
    QString backgroundPath;
    bool remindBirthday = true;
    bool remindInsurance = true;
};

namespace AppConfig {
StartupSettings readStartup();
} // namespace AppConfig
