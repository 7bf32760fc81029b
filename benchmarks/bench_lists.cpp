// How the lists behave on a shop's full database: 100,000 members and a million log rows.
#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "sheets/recordexport.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Shop
{
    QTemporaryDir dir;
    TDM1 dm;

    explicit Shop(int members)
    {
        ProgramHome::set(dir.path());
        QString error;
        Engine::create(ProgramHome::databasePath(), &error);
        dm.connectTo(ProgramHome::databasePath(), &error);
        Sql::transact(dm.ADOConnection1(), [&] {
            for (int i = 0; i < members; ++i)
                Sql::run(dm.ADOConnection1(),
                         u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分, 起用日期) values (?, ?, '金卡', ?, '2026-01-01')"_s,
                         {u"%1"_s.arg(i, 8, 10, QChar(u'0')), u"会员%1"_s.arg(i), i % 997 * 1.5});
        });
    }
};

Shop& shop()
{
    static Shop s(100000);
    return s;
}

// Opening the member list and its footer: what the operator waits for on 全部会员信息.
void OpenMemberList(benchmark::State& state)
{
    SharedQuery* q = shop().dm.ADOQuery5;
    for (auto _ : state) {
        q->setStatement(u"select * from 会员卡信息"_s);
        q->open();
        benchmark::DoNotOptimize(q->rowCount());
        benchmark::DoNotOptimize(q->totalRows());
    }
}
BENCHMARK(OpenMemberList)->Unit(benchmark::kMillisecond);

// Sorting every member by points, as a title click does.
void SortMemberList(benchmark::State& state)
{
    SharedQuery* q = shop().dm.ADOQuery5;
    q->setStatement(u"select * from 会员卡信息"_s);
    q->open();
    bool descending = false;
    for (auto _ : state) {
        q->setSortKeys({{u"积分"_s, descending ? Qt::DescendingOrder : Qt::AscendingOrder}});
        descending = !descending;
        benchmark::DoNotOptimize(q->rowCount());
    }
}
BENCHMARK(SortMemberList)->Unit(benchmark::kMillisecond);

// Exporting all members in each kind.
void ExportMembers(benchmark::State& state)
{
    const auto kind = RecordExport::Kind(state.range(0));
    SharedQuery* q = shop().dm.ADOQuery5;
    q->setStatement(u"select * from 会员卡信息"_s);
    q->open();
    const QList<RecordExport::Column> columns = {{u"会员卡号"_s, u"会员卡号"_s},
                                                 {u"会员姓名"_s, u"会员姓名"_s},
                                                 {u"卡类别"_s, u"卡类别"_s},
                                                 {u"积分"_s, u"积分"_s, DisplayFormat::Points},
                                                 {u"起用日期"_s, u"起用日期"_s}};
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        RecordExport::QueryRows rows(*q);
        QString error;
        RecordExport::write(kind, out, columns, rows, {}, &error);
        state.counters["bytes"] = double(out.size());
    }
}
BENCHMARK(ExportMembers)->DenseRange(1, 6)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
