// Opening a shop's full database (100,000 members, a million log rows) with its structure
// check, and paging through the million-row history list.
#include "data/engine.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"

#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct FullShop
{
    QTemporaryDir dir;
    QString path = dir.filePath(u"database.db"_s);
    TDM1 dm;

    FullShop()
    {
        QString error;
        Engine::create(path, &error);
        dm.connectTo(path, &error);
        fill(dm.ADOConnection1());
        Engine::close(dm.connectionName());
    }
    static void fill(const QSqlDatabase& db)
    {
        Sql::transact(db, [&] {
            Sql::run(db, u"with recursive n(i) as (select 0 union all select i + 1 from n where i < 99999) "
                         u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 身份证号, 手机, 地址, 车牌号, 积分, 起用日期) "
                         u"select printf('%08d', i), '会员' || i, '金卡', printf('4401%014d', i), printf('138%08d', i), "
                         u"'广州市天河区某某路' || i || '号', printf('粤A%05d', i), i % 997 * 1.5, '2026-01-01' from n"_s);
            // Goods in ten kinds, a thousand days, half a dozen operators.
            Sql::run(db, u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000000) "
                         u"insert into 流水记录 (编号, 会员卡号, 会员姓名, 商品, 增减积分, 增减原因, 日期, 时间, 经手人) "
                         u"select printf('%010d', i), printf('%08d', i % 100000), '会员' || (i % 100000), "
                         u"'商品' || (i % 10), (i % 200) * 0.5, '购物消费', date('2024-01-01', '+' || (i % 1000) || ' days'), "
                         u"'10:00:00', printf('%04d', i % 6) from n"_s);
        });
    }
};

FullShop& fullShop()
{
    static FullShop s;
    return s;
}

// What the start waits for: the structure check (pragma quick_check on a read-only, memory-
// mapped connection), then the connection of the run.
void OpenWithStructureCheck(benchmark::State& state)
{
    const QString path = fullShop().path;
    for (auto _ : state) {
        QString error;
        if (!Engine::open(u"bench-open"_s, path, &error))
            state.SkipWithError(error.toUtf8().constData());
        Engine::close(u"bench-open"_s);
    }
}
BENCHMARK(OpenWithStructureCheck)->Unit(benchmark::kMillisecond);

// The check alone as a plain read-write connection would run it (no memory map), and the full
// integrity check, for comparison.
void PlainCheck(benchmark::State& state)
{
    const QString path = fullShop().path;
    const QString pragma = state.range(0) == 0 ? u"PRAGMA quick_check"_s : u"PRAGMA integrity_check"_s;
    QString error;
    Engine::open(u"bench-check"_s, path, &error);
    {
        const QSqlDatabase db = QSqlDatabase::database(u"bench-check"_s, false);
        for (auto _ : state)
            benchmark::DoNotOptimize(Sql::scalar(db, pragma).toString());
    }
    Engine::close(u"bench-check"_s);
}
BENCHMARK(PlainCheck)->Arg(0)->Arg(1)->ArgNames({"integrity"})->Unit(benchmark::kMillisecond)->Iterations(3);

// Opening the history list and scrolling ten pages on, unsorted, sorted by an indexed column
// (日期, descending), by one without an index whose values repeat often (商品, ten kinds) and
// by one without an index whose values repeat ten times each (会员姓名, descending): there the
// pages past the first tier each scan the table.
void ScrollHistory(benchmark::State& state)
{
    TDM1& dm = fullShop().dm;
    QString error;
    dm.connectTo(fullShop().path, &error);
    SharedQuery* q = dm.ADOQuery8;
    q->setStatement(u"select * from 流水记录"_s);
    q->open();
    const QList<SharedQuery::SortKey> keys[] = {{},
                                                {{u"日期"_s, Qt::DescendingOrder}},
                                                {{u"商品"_s, Qt::AscendingOrder}},
                                                {{u"会员姓名"_s, Qt::DescendingOrder}}};
    for (auto _ : state) {
        q->setSortKeys(keys[state.range(0)]);
        for (int page = 0; page < 10; ++page)
            q->fetchMore();
        benchmark::DoNotOptimize(q->rowCount());
    }
    state.counters["rows"] = q->rowCount();
}
BENCHMARK(ScrollHistory)->DenseRange(0, 3)->ArgNames({"order"})->Unit(benchmark::kMillisecond);

} // namespace
