#pragma once

#include "data/engine.h"

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

// Section 数据库: where the shop's data lives. Without it, the SQLite file of the program home.
inline const QString DatabaseSection = QStringLiteral("数据库");
inline const QString DatabaseKind = QStringLiteral("类型"); // SQLite or PostgreSQL
inline const QString DatabaseHost = QStringLiteral("主机");
inline const QString DatabasePort = QStringLiteral("端口");
inline const QString DatabaseName = QStringLiteral("数据库名");
inline const QString DatabaseUser = QStringLiteral("用户");
inline const QString DatabasePassword = QStringLiteral("密码");
inline const QString DatabaseSslMode = QStringLiteral("SSL模式");
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
// The database of section 数据库 of myini.ini (the home's SQLite file when the section is
// missing or says SQLite). A kind it does not know, a server without a database name or a port
// that is no number gives false and the reason.
bool database(Engine::Location* location, QString* error);
} // namespace AppConfig
