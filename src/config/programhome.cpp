#include "config/programhome.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace ProgramHome {

namespace {
QString g_dir;
}

QString resolve(const QStringList& arguments, const QString& environmentValue, const QString& executableDir)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == u"--home"_s && i + 1 < arguments.size())
            return QDir(arguments.at(i + 1)).absolutePath();
        if (arg.startsWith(u"--home="_s))
            return QDir(arg.mid(7)).absolutePath();
    }
    if (!environmentValue.isEmpty())
        return QDir(environmentValue).absolutePath();
    return QDir(executableDir).absolutePath();
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
