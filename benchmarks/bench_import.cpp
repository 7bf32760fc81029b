// How long a shop waits for its member list to come in: 10,000 members from a workbook.
#include "data/engine.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "members/memberimport.h"
#include "sheets/xlsbook.h"
#include "sheets/xlsxbook.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int Members = 10000;

struct ImportShop
{
    QTemporaryDir dir;
    TDM1 dm;
    QString xls = dir.filePath(u"会员.xls"_s);
    QString xlsx = dir.filePath(u"会员.xlsx"_s);

    ImportShop()
    {
        const QString db = dir.filePath(u"database.db"_s);
        QString error;
        Engine::create(db, &error);
        dm.connectTo(db, &error);
        Sql::run(dm.ADOConnection1(), u"insert into 卡类别 (卡类别, 积分比例) values ('金卡', 10)"_s);
        XlsBook book(MemberImport::columns());
        XlsxBook bookX(MemberImport::columns());
        for (int i = 0; i < Members; ++i) {
            const QList<SheetCell> row = {
                SheetCell::ofNumber(80000000 + i), SheetCell::ofText(u"金卡"_s),
                SheetCell::ofText(u"会员%1"_s.arg(i)), SheetCell::ofText(u"男"_s),
                SheetCell::ofText(u"11010519880710%1"_s.arg(i % 10000, 4, 10, QChar(u'0'))),
                SheetCell::ofText(u"7-12"_s), SheetCell::ofNumber(i % 500 * 1.5),
                SheetCell::ofText(u"北京市朝阳区建国路%1号"_s.arg(i)), SheetCell::ofNumber(65550000 + i),
                SheetCell::ofDate(QDate(2024, 1, 1).addDays(i % 700)), SheetCell::ofNumber(13800000000.0 + i),
                SheetCell::ofText(u"教师"_s), SheetCell::ofText(u"钓鱼"_s), SheetCell::ofText(u"京A%1"_s.arg(i)),
                SheetCell::ofText(u"LSVAB4182E2%1"_s.arg(i, 6, 10, QChar(u'0'))), SheetCell::ofText(u"帕萨特"_s),
                SheetCell::ofText(u"黑色"_s), SheetCell()};
            book.addRow(row, &error);
            bookX.addRow(row, &error);
        }
        QFile a(xls), b(xlsx);
        a.open(QIODevice::WriteOnly);
        b.open(QIODevice::WriteOnly);
        book.finish(a, &error);
        bookX.finish(b, &error);
    }
};

ImportShop& importShop()
{
    static ImportShop s;
    return s;
}

// Reading the workbook, checking and storing every row, and the date pass; the members are
// removed again between runs.
void ImportMembers(benchmark::State& state)
{
    ImportShop& shop = importShop();
    const QString& path = state.range(0) == 0 ? shop.xls : shop.xlsx;
    state.SetLabel(state.range(0) == 0 ? "xls" : "xlsx");
    for (auto _ : state) {
        int imported = 0;
        const Outcome o = MemberImport::run(shop.dm.ADOConnection1(), path, u"sheet1"_s, {}, &imported);
        if (!o.ok || imported != Members)
            state.SkipWithError(o.notice.text.toStdString().c_str());
        state.PauseTiming();
        Sql::run(shop.dm.ADOConnection1(), u"delete from 会员卡信息"_s);
        state.ResumeTiming();
    }
    state.counters["rows"] = Members;
}
BENCHMARK(ImportMembers)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

} // namespace
