#pragma once

#include <QString>
#include <QStringList>

// The program home: the folder holding database/, myini.ini, image/001.bmp and the help file.
// --home DIR or QUORVANE_HOME names it. Without either, a program run from a folder the user
// may write (a source build) keeps its home beside the executable, while an installed program
// keeps one per user in the desktop's data folder, so each login has its own shop data.
namespace ProgramHome {

// What the home is chosen from; the process's own values come from Sources::ofThisProcess.
struct Sources
{
    QStringList arguments;         // the command line, program name first
    QString environmentValue;      // QUORVANE_HOME
    QString executableDir;
    bool executableDirWritable = true; // false for an installed program
    QString userDataDir;           // $XDG_DATA_HOME, usually ~/.local/share

    static Sources ofThisProcess(const QStringList& arguments);
};

// --home wins over the environment variable, which wins over the executable's folder (or,
// for an installed program, the per-user folder userDataDir/quorvane).
QString resolve(const Sources& sources);

void set(const QString& dir);
QString dir(); // absolute, without a trailing slash

QString databasePath();      // database/database.db
QString configPath();        // myini.ini
QString defaultPicturePath(); // image/001.bmp
QStringList helpFileCandidates(); // in the order they are tried
QString memberTemplatePath(); // 会员档案.xls: the layout a member import expects
} // namespace ProgramHome
