#include "maintenance/maintenance.h"

#include "data/clock.h"
#include "data/engine.h"
#include "data/schema.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace Maintenance {

namespace {

const QString BackupFailed = u"备份数据失败，请重试！!"_s;
const QString RestoreFailed = u"恢复数据失败，请重试！!"_s;
const QString ServerRestore =
    u"数据库在 PostgreSQL 服务器上，不能在这里恢复。请由服务器管理员用服务器自带的工具（pg_dump / pg_restore）恢复；"
    u"本程序的备份文件是 SQLite 数据库，可以用“quorvane --copy-database-to”复制到一个空的服务器数据库（见使用说明）。"_s;

Notice failure(const QString& text, const QString& reason)
{
    return Notice::error(u"错误！"_s, reason.isEmpty() ? text : text + u'\n' + reason);
}

// Replaces `to` with `from` in one step; `to` holds the old file or the new, never a part.
bool renameOver(const QString& from, const QString& to, QString* error)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *error = u"无法写入 %1：%2"_s.arg(QDir::toNativeSeparators(to), QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

// Runs the statements of one maintenance step in a transaction; on success the open lists
// are run again so no screen goes on showing rows that are gone.
struct Step
{
    QString statement;
    QVariantList values = {};
};

Outcome inOneTransaction(TDM1& dm, const QList<Step>& steps, Notice success)
{
    const QSqlDatabase db = dm.ADOConnection1();
    const QString failed = Sql::transact(db, [&] {
        for (const Step& step : steps)
            Sql::run(db, step.statement, step.values);
    });
    if (!failed.isEmpty())
        return Outcome::refused(Notice::plain(failed));
    dm.reopenLists();
    return Outcome::success(std::move(success));
}

} // namespace

QString backupPath(const QString& chosen)
{
    return chosen + u".bak"_s;
}

Outcome backup(TDM1& dm, const QString& chosen)
{
    const QString target = backupPath(chosen);
    const QString part = target + u".part"_s;
    QFile::remove(part);
    QString error;
    if (!QFileInfo(target).absoluteDir().exists())
        return Outcome::refused(failure(
            BackupFailed, u"文件夹不存在：%1"_s.arg(QDir::toNativeSeparators(QFileInfo(target).absolutePath()))));
    // A server's database is backed up as a SQLite file of the same tables and rows, copied
    // from one view of the data and checked against it before the file is written in place.
    QString report;
    const bool copied = Engine::isServer(dm.ADOConnection1())
                            ? Engine::copyDatabase(dm.location(), Engine::Location(part), &report, &error)
                            : Engine::copyTo(dm.ADOConnection1(), part, &error);
    if (!copied || !renameOver(part, target, &error)) {
        QFile::remove(part);
        return Outcome::refused(failure(BackupFailed, error));
    }
    return Outcome::success(Notice::information(u"提示！"_s, u"备份数据成功！"_s));
}

QString keptCopyPath(const QString& databasePath, const QDateTime& at)
{
    const QFileInfo info(databasePath);
    const QString stem = info.absolutePath() + u'/' + info.completeBaseName() + u'-' + at.toString(u"yyyyMMdd-HHmmss"_s);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    QString path = stem + suffix;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + u'-' + QString::number(n) + suffix;
    return path;
}

Outcome restore(TDM1& dm, const QString& chosen)
{
    // Replacing a server's whole database under the other counters is the server's own work.
    if (Engine::isServer(dm.ADOConnection1()))
        return Outcome::refused(failure(RestoreFailed, ServerRestore));
    const QString live = dm.databasePath();
    if (QFileInfo(chosen).canonicalFilePath() == QFileInfo(live).canonicalFilePath())
        return Outcome::refused(failure(RestoreFailed, u"所选文件就是正在使用的数据库。"_s));

    // The chosen file is copied beside the database and checked there: what is checked is
    // exactly what goes into place, and the rename cannot cross file systems.
    const QString staged = live + u".restoring"_s;
    Engine::removeFile(staged);
    if (!QFile::copy(chosen, staged)) {
        Engine::removeFile(staged);
        return Outcome::refused(failure(RestoreFailed, u"无法读取文件：%1"_s.arg(QDir::toNativeSeparators(chosen))));
    }
    QFile::setPermissions(staged, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
    QString error;
    if (!Engine::validate(staged, &error)) {
        Engine::removeFile(staged);
        return Outcome::refused(failure(RestoreFailed, error));
    }

    const QString kept = keptCopyPath(live, Clock::currentDateTime());
    if (!Engine::copyTo(dm.ADOConnection1(), kept, &error)) {
        Engine::removeFile(staged);
        return Outcome::refused(
            failure(RestoreFailed, u"无法保存原来的数据库（%1），没有恢复。"_s.arg(error)));
    }

    const QString failed = dm.whileDisconnected([&] {
        QString why;
        return Engine::replaceFile(live, staged, &why) ? QString() : why;
    });
    if (!failed.isEmpty()) {
        Engine::removeFile(staged);
        return Outcome::refused(failure(RestoreFailed, failed));
    }
    return Outcome::success(Notice::information(
        u"提示！"_s, u"恢复数据成功！\n原来的数据库已保存为：%1"_s.arg(QDir::toNativeSeparators(kept))));
}

Outcome resetPoints(TDM1& dm)
{
    return inOneTransaction(dm, {{u"update 会员卡信息 set 积分=0"_s}},
                            Notice::information(u"提示！"_s, u"积分手动清零成功！"_s));
}

Outcome clearHistory(TDM1& dm, const QDate& before)
{
    const QVariantList day = {Values::dateText(before)};
    return inOneTransaction(dm,
                            {{u"delete from 挂失记录 where 日期<?"_s, day},
                             {u"delete from 口头挂失记录 where 口头挂失日期<?"_s, day},
                             {u"delete from 流水记录 where 日期<?"_s, day},
                             {u"delete from 礼品使用记录 where 日期<?"_s, day}},
                            Notice::information(u"提示"_s, u"删除成功！"_s));
}

Outcome initialise(TDM1& dm)
{
    const QVariantList builtIn = {QString::fromUtf8(Schema::BuiltInOperatorId),
                                  QString::fromUtf8(Schema::BuiltInOperatorName)};
    return inOneTransaction(dm,
                            {{u"delete from 挂失记录"_s},
                             {u"delete from 口头挂失记录"_s},
                             {u"delete from 流水记录"_s},
                             {u"delete from 会员卡信息"_s},
                             {u"delete from 卡类别"_s},
                             {u"delete from 操作员"_s},
                             {u"insert into 操作员(操作员, 姓名) values (?, ?)"_s, builtIn},
                             {u"delete from 权限清单"_s},
                             {u"delete from 礼品"_s},
                             {u"delete from 礼品使用记录"_s}},
                            Notice::information(u"提示"_s, u"初始化成功！"_s));
}

} // namespace Maintenance
