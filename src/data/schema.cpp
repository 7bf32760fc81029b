#include "data/schema.h"

#include <QSqlRecord>

using namespace Qt::Literals::StringLiterals;

namespace Schema {

namespace {
const std::initializer_list<Table> g_tables = {
    {"会员卡信息",
     {{"会员卡号", "TEXT NOT NULL", Compare::Caseless},
      {"卡类别", "TEXT", Compare::Caseless},
      {"会员姓名", "TEXT"},
      {"性别", "TEXT"},
      {"身份证号", "TEXT"},
      {"会员生日", "TEXT"},
      {"地址", "TEXT"},
      {"固定电话", "TEXT"},
      {"手机", "TEXT"},
      {"起用日期", "TEXT"},
      {"职业", "TEXT"},
      {"兴趣爱好", "TEXT"},
      {"车牌号", "TEXT"},
      {"VIN码", "TEXT"},
      {"车型", "TEXT"},
      {"车身颜色", "TEXT"},
      {"购车日期", "TEXT"},
      {"投保标志", "INTEGER NOT NULL DEFAULT 0"},
      {"投保日期", "TEXT"},
      {"保险到期日期", "TEXT"},
      {"积分", "REAL NOT NULL DEFAULT 0"},
      {"口头挂失标志", "INTEGER NOT NULL DEFAULT 0"}}},
    {"卡类别",
     {{"卡类别", "TEXT NOT NULL", Compare::Caseless},
      {"积分比例", "INTEGER"},
      {"允许兑换礼品", "INTEGER NOT NULL DEFAULT 0"},
      {"允许返现金", "INTEGER NOT NULL DEFAULT 0"}}},
    {"流水记录",
     {{"编号", "TEXT NOT NULL"},
      {"会员卡号", "TEXT", Compare::Caseless},
      {"会员姓名", "TEXT"},
      {"商品", "TEXT"},
      {"兑换礼品", "TEXT"},
      {"返现金", "REAL"},
      {"增减积分", "REAL"},
      {"增减原因", "TEXT"},
      {"日期", "TEXT"},
      {"时间", "TEXT"},
      {"经手人", "TEXT"}}},
    {"挂失记录",
     {{"旧卡号", "TEXT", Compare::Caseless},
      {"新卡号", "TEXT", Compare::Caseless},
      {"会员姓名", "TEXT"},
      {"原有积分", "REAL"},
      {"日期", "TEXT"},
      {"时间", "TEXT"},
      {"经手人", "TEXT"}}},
    {"口头挂失记录",
     {{"会员卡号", "TEXT", Compare::Caseless},
      {"会员姓名", "TEXT"},
      {"口头挂失日期", "TEXT"},
      {"口头挂失时间", "TEXT"},
      {"挂失经手人", "TEXT"},
      {"取消挂失日期", "TEXT"},
      {"取消挂失时间", "TEXT"},
      {"取消挂失经手人", "TEXT"}}},
    {"礼品",
     {{"礼品名称", "TEXT"}, {"单位", "TEXT"}, {"数量", "REAL"}, {"备注", "TEXT"}, {"日期", "TEXT"}}},
    {"礼品使用记录",
     {{"单据号", "TEXT"},
      {"会员卡号", "TEXT", Compare::Caseless},
      {"会员姓名", "TEXT"},
      {"礼品名称", "TEXT"},
      {"单位", "TEXT"},
      {"数量", "REAL"},
      {"日期", "TEXT"},
      {"经手人", "TEXT"}}},
    {"操作员", {{"操作员", "TEXT NOT NULL", Compare::Caseless}, {"姓名", "TEXT"}, {"密码", "TEXT DEFAULT ''"}}},
    {"权限清单", {{"xuhao", "INTEGER"}, {"bianhao", "TEXT", Compare::Caseless}, {"quanxianming", "TEXT"}}},
};

// Unique keys the screens' own checks rely on, and the columns screens look rows up by. An index
// takes its column's comparison, so a caseless key is unique and found regardless of case.
const char* const g_indexes[] = {
    "CREATE UNIQUE INDEX 会员卡信息_会员卡号 ON 会员卡信息 (会员卡号)",
    "CREATE UNIQUE INDEX 卡类别_卡类别 ON 卡类别 (卡类别)",
    "CREATE UNIQUE INDEX 操作员_操作员 ON 操作员 (操作员)",
    "CREATE UNIQUE INDEX 流水记录_编号 ON 流水记录 (编号)",
    "CREATE INDEX 流水记录_会员卡号 ON 流水记录 (会员卡号)",
    "CREATE INDEX 流水记录_日期 ON 流水记录 (日期)",
    "CREATE INDEX 挂失记录_旧卡号 ON 挂失记录 (旧卡号)",
    "CREATE INDEX 口头挂失记录_会员卡号 ON 口头挂失记录 (会员卡号)",
    "CREATE INDEX 礼品_名称单位 ON 礼品 (礼品名称, 单位)",
    "CREATE INDEX 礼品使用记录_单据号 ON 礼品使用记录 (单据号)",
    "CREATE INDEX 权限清单_操作员权限 ON 权限清单 (bianhao, quanxianming)",
};
} // namespace

const std::initializer_list<Table>& tables()
{
    return g_tables;
}

QStringList columnsOf(const QString& table)
{
    for (const Table& t : g_tables) {
        if (table == QString::fromUtf8(t.name)) {
            QStringList names;
            for (const Column& c : t.columns)
                names << QString::fromUtf8(c.name);
            return names;
        }
    }
    return {};
}

bool hasColumn(const QString& table, const QString& column)
{
    return columnsOf(table).contains(column);
}

QString createTable(const Table& table, const QString& name, const ColumnDefinition& definition, const QString& extra)
{
    QStringList defs;
    for (const Column& c : table.columns)
        defs << u"\"%1\" %2"_s.arg(QString::fromUtf8(c.name), definition(c));
    if (!extra.isEmpty())
        defs << extra;
    return u"CREATE TABLE \"%1\" (%2)"_s.arg(name, defs.join(u", "_s));
}

QString missingIn(const QSqlDatabase& db)
{
    const QStringList present = db.tables();
    for (const Table& t : g_tables) {
        const QString table = QString::fromUtf8(t.name);
        if (!present.contains(table, Qt::CaseInsensitive))
            return u"缺少表“%1”"_s.arg(table);
        const QSqlRecord record = db.record(table);
        for (const Column& c : t.columns) {
            const QString column = QString::fromUtf8(c.name);
            if (record.indexOf(column) < 0)
                return u"表“%1”缺少列“%2”"_s.arg(table, column);
        }
    }
    return {};
}

QStringList indexStatements()
{
    QStringList statements;
    for (const char* index : g_indexes)
        statements << QString::fromUtf8(index);
    return statements;
}

QStringList createStatements(const ColumnDefinition& definition, const QString& extra)
{
    QStringList statements;
    for (const Table& t : g_tables)
        statements << createTable(t, QString::fromUtf8(t.name), definition, extra);
    return statements + indexStatements();
}

} // namespace Schema
