// The counter's two waits on each engine: the card lookup (Enter in the card field) and the
// purchase save, on a shop of 100,000 members and 200,000 log rows. Argument 0 is SQLite, 1 is
// PostgreSQL on the server that PGHOST/PGPORT/PGUSER/PGPASSWORD name (skipped without one;
// pg_virtualenv -t ./build/benchmarks/quorvane_benchmarks --benchmark_filter=CounterEngines).
#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "members/cardlookup.h"
#include "points/pointsops.h"
#include "support/pgserver.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Members = 100000;

QSqlDatabase admin()
{
    return PgServer::admin(u"bench-admin"_s);
}

struct EngineShop
{
    QTemporaryDir dir;
    Engine::Location location;
    TDM1 dm;

    explicit EngineShop(bool server)
    {
        ProgramHome::set(dir.path());
        location = Engine::Location(ProgramHome::databasePath());
        if (server) {
            location = PgServer::location(u"qv_bench_"_s + QUuid::createUuid().toString(QUuid::Id128));
            QSqlQuery(admin()).exec(u"CREATE DATABASE \"%1\" TEMPLATE template0 ENCODING 'UTF8'"_s.arg(location.database));
        }
        QString error;
        Engine::create(location, &error);
        dm.connectTo(location, &error);
        const QSqlDatabase db = dm.ADOConnection1();
        Sql::transact(db, [&] {
            Sql::run(db, u"insert into 卡类别 (卡类别, 积分比例, 允许兑换礼品, 允许返现金) values ('金卡', 10, 1, 1)"_s);
            Sql::run(db, u"with recursive n(i) as (select 0 union all select i + 1 from n where i < ? - 1) "
                         u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分, 起用日期) select "
                         u"substr(cast(100000000 + i as text), 2), '会员' || i, '金卡', 0, '2026-01-01' from n"_s,
                     {Members});
            Sql::run(db, u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 200000) "
                         u"insert into 流水记录 (编号, 会员卡号, 增减积分, 增减原因, 日期, 时间, 经手人) select "
                         u"substr(cast(10000000000 + i as text), 2), substr(cast(100000000 + i % ? as text), 2), 0, "
                         u"'购物消费', '2026-01-01', '10:00:00', '0001' from n"_s,
                     {Members});
        });
    }
    ~EngineShop()
    {
        Engine::close(dm.connectionName());
        if (location.isServer())
            QSqlQuery(admin()).exec(u"DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)"_s.arg(location.database));
    }
};

std::unique_ptr<EngineShop> shops[2];

// Before the application goes, while the drivers are still there: the server database is
// dropped with the shop.
void dropShops()
{
    for (auto& s : shops)
        s.reset();
    QSqlDatabase::removeDatabase(u"bench-admin"_s);
}

EngineShop* shop(benchmark::State& state)
{
    static const bool cleanup = (qAddPostRoutine(dropShops), true);
    Q_UNUSED(cleanup);
    const bool server = state.range(0) == 1;
    if (server && !qEnvironmentVariableIsSet("PGHOST")) {
        state.SkipWithError("no PostgreSQL server (PGHOST unset)");
        return nullptr;
    }
    auto& s = shops[server ? 1 : 0];
    if (!s)
        s = std::make_unique<EngineShop>(server);
    return s.get();
}

QString card(int i)
{
    return u"%1"_s.arg(i % Members, 8, 10, QChar(u'0'));
}

// The lookup a swiped card starts: the retired-card check and the member's row.
void CounterEnginesLookup(benchmark::State& state)
{
    EngineShop* s = shop(state);
    if (!s)
        return;
    int i = 0;
    for (auto _ : state) {
        const CardLookup::Result r = CardLookup::byCardNumber(s->dm.ADOConnection1(), card(i += 7919));
        benchmark::DoNotOptimize(r.kind);
    }
}
BENCHMARK(CounterEnginesLookup)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 确定 on 增加积分: the write lock, the next number, the balance, the log row, the commit.
void CounterEnginesSave(benchmark::State& state)
{
    EngineShop* s = shop(state);
    if (!s)
        return;
    int i = 0;
    for (auto _ : state) {
        PointsOps::PurchaseDraft d;
        d.cardNo = d.loadedCard = card(i += 7919);
        d.name = u"会员"_s;
        d.goods = u"机油"_s;
        d.points = u"12.5"_s;
        const PointsOps::Saved saved =
            PointsOps::savePurchase(s->dm.ADOConnection1(), PointsOps::PurchaseKind::Add, d, u"0001"_s);
        if (!saved.outcome.ok)
            state.SkipWithError(saved.outcome.notice.text.toStdString().c_str());
    }
}
BENCHMARK(CounterEnginesSave)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
