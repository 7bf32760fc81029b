#include "config/programhome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace ProgramHome {

namespace {
QString g_dir;
}

Sources Sources::ofThisProcess(const QStringList& arguments)
{
    Sources s;
    s.arguments = arguments;
    s.environmentValue = qEnvironmentVariable("QUORVANE_HOME");
    s.executableDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    // The folder this build installs into counts as not writable even for root, so an
    // installed program started as root never puts a database among the system's programs.
    s.executableDirWritable = s.executableDir != QString::fromUtf8(QUORVANE_INSTALLED_BINDIR)
        && ::access(QFile::encodeName(s.executableDir).constData(), W_OK) == 0;
    s.userDataDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return s;
}

QString resolve(const Sources& sources)
{
    const QStringList& arguments = sources.arguments;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == u"--home"_s && i + 1 < arguments.size())
            return QDir(arguments.at(i + 1)).absolutePath();
        if (arg.startsWith(u"--home="_s))
            return QDir(arg.mid(7)).absolutePath();
    }
    if (!sources.environmentValue.isEmpty())
        return QDir(sources.environmentValue).absolutePath();
    if (!sources.executableDirWritable && !sources.userDataDir.isEmpty())
        return QDir(sources.userDataDir + u"/quorvane"_s).absolutePath();
    return QDir(sources.executableDir).absolutePath();
}

void set(const QString& dir)
{
    g_dir = QDir::cleanPath(QDir(dir).absolutePath());
}

QString dir()
{
    return g_dir.isEmpty() ? QDir::currentPath() : g_dir;
}

QString databasePath()
{
    return dir() + u"/database/database.db"_s;
}

QString configPath()
{
    return dir() + u"/myini.ini"_s;
}

QString defaultPicturePath()
{
    return dir() + u"/image/001.bmp"_s;
}

QStringList helpFileCandidates()
{
    // The shop's compiled help if it has one, else the HTML or PDF help a desktop can open.
    return {dir() + u"/help.chm"_s, dir() + u"/help.html"_s, dir() + u"/help.pdf"_s};
}

QString memberTemplatePath()
{
    return dir() + u"/会员档案.xls"_s;
}

} // namespace ProgramHome
