#pragma once

#include <QString>
#include <QStringList>

// The program home: the folder holding database/, myini.ini, image/001.bmp and the help file.
// It is the executable's folder unless --home DIR or QUORVANE_HOME names another, so one
// installed program can serve a shop's data kept elsewhere.
namespace ProgramHome {

// --home wins over the environment variable, which wins over the executable's folder.
QString resolve(const QStringList& arguments, const QString& environmentValue, const QString& executableDir);

void set(const QString& dir);
QString dir(); // absolute, without a trailing slash

QString databasePath();      // database/database.db
QString configPath();        // myini.ini
QString defaultPicturePath(); // image/001.bmp
QStringList helpFileCandidates(); // in the order they are tried
QString memberTemplatePath(); // 会员档案.xls: the layout a member import expects
} // namespace ProgramHome
