// The shop-scale benchmark, run by hand from a release build (never by the tests):
//
//   ./build-release/benchmarks/quorvane_benchmarks [--cache DIR] [--logs 10000,100000,1000000]
//                                                  [--only counter,lists,export,start,import]
//
// A shop's database (100,000 members with every column filled, formal and verbal loss records,
// gift movements, and a points log of 10,000, 100,000 and 1,000,000 rows over three years) is
// made once per size from a fixed seed and kept in the cache folder. Every operation is timed
// through the program's own code and, where it is a statement or a few, through the SQLite C
// API with the same statements prepared once on the same file; the table gives both medians
// and their ratio, then how the counter and list operations grow with the log.
#include "bare.h"
#include "shopdata.h"
#include "timing.h"

#include "app/startup.h"
#include "config/appconfig.h"
#include "app/tmain.h"
#include "config/programhome.h"
#include "controls/recordgrid.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "members/cardlookup.h"
#include "members/membergrid.h"
#include "members/memberimport.h"
#include "members/memberlist.h"
#include "operators/tloginform.h"
#include "points/pointsops.h"
#include "points/transactionlog.h"
#include "points/txiangxijilu.h"
#include "sheets/recordexport.h"
#include "sheets/xlsbook.h"
#include "sheets/xlsxbook.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <ctime>

#include <sys/resource.h>
#include <map>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using Timing::Pair;

namespace {

std::string utf8(const QString& s)
{
    return s.toStdString();
}

QString firstLine(const QString& path, const QString& key)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QString l = QString::fromUtf8(line);
        if (l.startsWith(key))
            return l.section(u':', 1).trimmed();
    }
    return {};
}

QString loadAverage()
{
    QFile f(u"/proc/loadavg"_s);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).section(u' ', 0, 2) : QString();
}

// The highest resident size since the last reset, in MB; the reset makes it the current size.
double peakMegabytes()
{
    return firstLine(u"/proc/self/status"_s, u"VmHWM"_s).section(u' ', 0, 0).toDouble() / 1024.0;
}
void resetPeak()
{
    QFile f(u"/proc/self/clear_refs"_s);
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}
double currentMegabytes()
{
    return firstLine(u"/proc/self/status"_s, u"VmRSS"_s).section(u' ', 0, 0).toDouble() / 1024.0;
}

// The process's processor time (every thread), in seconds: beside the wall time it tells a
// machine busy with other work from work of one's own.
double cpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// Every row of the results, as the table prints them at the end.
struct Result
{
    QString section;
    QString operation;
    Pair times;
    QString target;
    QString note;
    bool sameWork = true; // the bare column did the same work (else: only its statement part)
};

QString ratioOf(const Result& r)
{
    return r.sameWork ? Timing::ratio(r.times) : u"—"_s;
}

class Report
{
public:
    // The log size the rows added from now on were measured at; the table shows the largest.
    void at(int logRows) { m_current = logRows; }
    void add(Result r)
    {
        std::printf("  %-44s %12s %12s %8s  %s\n", r.operation.toUtf8().constData(),
                    Timing::duration(r.times.project).toUtf8().constData(),
                    Timing::duration(r.times.bare).toUtf8().constData(), ratioOf(r).toUtf8().constData(),
                    r.note.toUtf8().constData());
        std::fflush(stdout);
        m_results.push_back({m_current, std::move(r)});
    }
    // Growth: one column per log size, for the operations measured at each.
    void grow(int logRows, const QString& operation, double seconds)
    {
        if (!m_growthOrder.contains(operation))
            m_growthOrder << operation;
        m_growth[operation][logRows] = seconds;
        if (!m_sizes.contains(logRows))
            m_sizes << logRows;
    }
    void print() const
    {
        std::printf("\n");
        int largest = 0;
        for (const auto& [logRows, r] : m_results)
            largest = std::max(largest, logRows);
        Timing::Table table({u"operation"_s, u"project"_s, u"bare"_s, u"ratio"_s, u"target"_s, u"note"_s});
        for (const auto& [logRows, r] : m_results) {
            if (logRows == largest)
                table.row({r.operation, Timing::duration(r.times.project), Timing::duration(r.times.bare), ratioOf(r),
                           r.target, r.note});
        }
        if (m_sizes.size() < 2)
            return;
        std::printf("\nGrowth with the log (project, medians):\n\n");
        QStringList titles{u"operation"_s};
        for (int n : m_sizes)
            titles << u"%1 rows"_s.arg(QLocale::c().toString(n));
        Timing::Table growth(titles);
        for (const QString& op : m_growthOrder) {
            QStringList cells{op};
            for (int n : m_sizes)
                cells << Timing::duration(m_growth.at(op).count(n) ? m_growth.at(op).at(n) : 0);
            growth.row(cells);
        }
    }

private:
    int m_current = 0;
    std::vector<std::pair<int, Result>> m_results;
    QStringList m_growthOrder;
    std::map<QString, std::map<int, double>> m_growth;
    QList<int> m_sizes;
};

// A working copy of a cached shop, as the program home of the run.
class WorkShop
{
public:
    explicit WorkShop(const QString& cached)
    {
        ProgramHome::set(m_dir.path());
        QDir().mkpath(QFileInfo(ProgramHome::databasePath()).absolutePath());
        if (!QFile::copy(cached, ProgramHome::databasePath()))
            throw std::runtime_error("cannot copy the cached database");
        QFile::setPermissions(ProgramHome::databasePath(), QFile::ReadOwner | QFile::WriteOwner);
    }
    QString path() const { return ProgramHome::databasePath(); }
    std::string bytes() const { return path().toStdString(); }

private:
    QTemporaryDir m_dir;
};

// ---------------------------------------------------------------------------------------------
// The counter: card lookups, the next number, a purchase saved

struct BareMember
{
    std::string fields[22];
    double points = 0;
};

void counter(Report& report, TDM1& dm, const WorkShop& shop, const ShopData::Sizes& sizes, bool full)
{
    const QSqlDatabase db = dm.ADOConnection1();
    Bare::Connection bare(shop.bytes());
    const ShopData::Cards cards = ShopData::sampleCards(sizes, 2000);
    std::vector<std::string> known, retired, unknown;
    for (const QString& c : cards.known)
        known.push_back(utf8(c));
    for (const QString& c : cards.retired)
        retired.push_back(utf8(c));
    for (const QString& c : cards.unknown)
        unknown.push_back(utf8(c));

    Bare::Statement probe(bare, utf8(CardLookup::probeStatement()));
    Bare::Statement member(bare, utf8(Members::findStatement()));
    BareMember shown;
    auto bareLookup = [&](const std::string& card) {
        probe.bind(1, card).bind(2, card);
        probe.step();
        const bool gone = probe.number(0) != 0;
        const bool held = probe.number(1) != 0;
        probe.reset();
        if (gone)
            return 0;
        if (!held)
            return 1;
        member.bind(1, card);
        if (!member.step()) {
            member.reset();
            return 1;
        }
        for (int c = 0; c < 22; ++c) {
            if (c == 20)
                shown.points = member.number(c);
            else
                shown.fields[c] = member.text(c);
        }
        member.reset();
        return 2;
    };
    const int lookups = full ? 4000 : 2000;
    const struct
    {
        const char* name;
        const QStringList* qt;
        const std::vector<std::string>* raw;
        CardLookup::Result::Kind kind;
    } kinds[] = {{"card lookup, known card", &cards.known, &known, CardLookup::Result::Kind::Found},
                 {"card lookup, replaced card", &cards.retired, &retired, CardLookup::Result::Kind::Retired},
                 {"card lookup, unknown card", &cards.unknown, &unknown, CardLookup::Result::Kind::NotFound}};
    for (const auto& k : kinds) {
        int wrong = 0;
        const Pair p = Timing::compare(
            lookups,
            // Each side its own cards, so neither finds the pages the other has just read.
            [&](int i) { wrong += CardLookup::byCardNumber(db, k.qt->at((2 * i) % k.qt->size())).kind != k.kind; },
            [&](int i) { bareLookup((*k.raw)[(2 * std::size_t(i) + 1) % k.raw->size()]); });
        report.add({u"counter"_s, QString::fromUtf8(k.name), p, u"≤ 2× (aim 1.5×)"_s,
                    wrong ? u"%1 wrong results"_s.arg(wrong) : QString()});
        report.grow(sizes.logRows, QString::fromUtf8(k.name), p.project);
    }

    Bare::Statement highest(bare, "select max(编号) from 流水记录");
    char number[24];
    const Pair next = Timing::compare(
        full ? 4000 : 2000, [&](int) { NextTransactionNumber(db); },
        [&](int) {
            highest.step();
            const std::string top = highest.text(0).substr(0, 10);
            highest.reset();
            std::snprintf(number, sizeof number, "%010ld", std::stol(top) + 1);
        });
    report.add({u"counter"_s, u"NextTransactionNumber"_s, next, u"≤ 2× (aim 1.5×)"_s, {}});
    report.grow(sizes.logRows, u"NextTransactionNumber"_s, next.project);

    // A purchase on cards no verbal loss froze, the way the screen saves it.
    Bare::Statement frozen(bare, "select 口头挂失标志 from 会员卡信息 where 会员卡号=?");
    std::vector<std::string> open;
    QStringList openQt;
    for (const std::string& card : known) {
        frozen.bind(1, card);
        if (frozen.step() && frozen.number(0) == 0) {
            open.push_back(card);
            openQt << QString::fromStdString(card);
        }
        frozen.reset();
    }
    Bare::Statement begin(bare, "BEGIN IMMEDIATE");
    Bare::Statement commit(bare, "COMMIT");
    Bare::Statement update(bare, "update 会员卡信息 set 积分=round(积分+?, 2) where 会员卡号=? and 口头挂失标志=0");
    Bare::Statement insert(bare, "insert into 流水记录(编号,会员卡号,会员姓名,商品,增减积分,增减原因,日期,时间,经手人) "
                                 "values (?,?,?,?,?,?,?,?,?)");
    const std::string name = "张三", goodsText = "小保养", reason = "购物消费", operatorId = "0001";
    auto bareSave = [&](int i) {
        // Cards of their own, not the ones the program's turn has just warmed.
        const std::string& card = open[(2 * std::size_t(i) + 1) % open.size()];
        begin.step();
        begin.reset();
        highest.step();
        std::snprintf(number, sizeof number, "%010ld", std::stol(highest.text(0).substr(0, 10)) + 1);
        highest.reset();
        update.bind(1, 12.5).bind(2, card);
        update.step();
        const bool one = update.changes() == 1;
        update.reset();
        char date[16];
        char time[16];
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::strftime(date, sizeof date, "%Y-%m-%d", &local);
        std::strftime(time, sizeof time, "%H:%M:%S", &local);
        const std::string numberText(number), dateText(date), timeText(time);
        insert.bind(1, numberText).bind(2, card).bind(3, name).bind(4, goodsText).bind(5, 12.5).bind(6, reason)
            .bind(7, dateText).bind(8, timeText).bind(9, operatorId);
        insert.step();
        insert.reset();
        commit.step();
        commit.reset();
        if (!one)
            throw std::runtime_error("bare save found no card");
    };
    int refused = 0;
    auto projectSave = [&](int i) {
        const QString& card = openQt.at((2 * i) % openQt.size());
        PointsOps::PurchaseDraft d{card, card, u"张三"_s, u"小保养"_s, u"125"_s, u"12.5"_s};
        refused += !PointsOps::savePurchase(db, PointsOps::PurchaseKind::Add, d, u"0001"_s).outcome.ok;
    };
    const int saves = 300;
    const Pair save = Timing::compare(saves, projectSave, bareSave);
    report.add({u"counter"_s, u"purchase save, synchronous=FULL"_s, save, u"≤ 1.15×"_s,
                refused ? u"%1 refused"_s.arg(refused) : QString()});
    report.grow(sizes.logRows, u"purchase save, synchronous=FULL"_s, save.project);
    if (full) {
        // The program's own share, without the wait for the disk.
        Sql::run(db, u"PRAGMA synchronous=OFF"_s);
        bare.exec("PRAGMA synchronous=OFF");
        const Pair cpu = Timing::compare(saves * 4, projectSave, bareSave);
        report.add({u"counter"_s, u"purchase save, synchronous=OFF (CPU share)"_s, cpu, {}, {}});
        Sql::run(db, u"PRAGMA synchronous=FULL"_s);
        bare.exec("PRAGMA synchronous=FULL");
    }
}

// ---------------------------------------------------------------------------------------------
// Lists: the history's first screen and footer, the goods box, the member list by category

// Runs the events until the footer cell shows a text, or a while has passed.
bool waitForText(const std::function<QString()>& text, double seconds = 30)
{
    const auto start = Timing::Clock::now();
    while (text().isEmpty()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (Timing::secondsSince(start) > seconds)
            return false;
        QThread::usleep(50);
    }
    return true;
}

void lists(Report& report, TDM1& dm, const WorkShop& shop, const ShopData::Sizes& sizes, bool full)
{
    const QSqlDatabase db = dm.ADOConnection1();
    Bare::Connection bare(shop.bytes());

    // The history screen as the menu opens it, its query run again by "开始查询".
    Txiangxijilu screen(dm);
    screen.resize(1080, 600);
    screen.show();
    QApplication::processEvents();
    auto* run = screen.findChild<QPushButton*>(u"BitBtn1"_s);
    auto* grid = screen.findChild<RecordGrid*>(u"DBGridEh1"_s);
    std::vector<double> first, footer, queried;
    const int opens = full ? 15 : 9;
    for (int i = 0; i < opens; ++i) {
        const auto start = Timing::Clock::now();
        run->click();
        queried.push_back(Timing::secondsSince(start));
        grid->repaint(); // the list painted, as the operator sees it
        first.push_back(Timing::secondsSince(start));
        waitForText([&] { return grid->footerText(u"会员姓名"_s); });
        footer.push_back(Timing::secondsSince(start));
    }
    const QString total = grid->footerText(u"会员姓名"_s);
    Bare::Statement page(bare, "select * from (select rowid as \"qv_row_key\", * from 流水记录) order by \"qv_row_key\" asc limit 256");
    Bare::Statement sums(bare, "select count(*), total(\"增减积分\") from (select * from 流水记录)");
    std::vector<double> bareFirst, bareSums;
    for (int i = 0; i < opens; ++i) {
        bareFirst.push_back(Timing::median(Timing::each(1, [&](int) {
            while (page.step())
                for (int c = 0; c < page.columns(); ++c)
                    page.text(c);
            page.reset();
        })));
        bareSums.push_back(Timing::median(Timing::each(1, [&](int) {
            sums.step();
            sums.reset();
        })));
    }
    const QString rows = QLocale::c().toString(sizes.logRows);
    const Pair firstScreen{Timing::median(first), Timing::median(bareFirst)};
    report.add({u"lists"_s, u"history of %1 rows: first screen"_s.arg(rows), firstScreen, u"< 10 ms"_s,
                u"its query and the columns fitted %1, the rest painting; bare: the first page's statement"_s.arg(
                    Timing::duration(Timing::median(queried))),
                false});
    report.grow(sizes.logRows, u"history: first screen"_s, firstScreen.project);
    const Pair footerShown{Timing::median(footer), Timing::median(bareSums)};
    report.add({u"lists"_s, u"history of %1 rows: footer shown"_s.arg(rows), footerShown, u"follows, not blocking"_s,
                u"count %1; bare: the footer's aggregate"_s.arg(total)});
    report.grow(sizes.logRows, u"history: footer shown"_s, footerShown.project);

    // A title click on 日期 (indexed), then the first screen again.
    std::vector<double> sorted;
    for (int i = 0; i < opens; ++i) {
        const auto start = Timing::Clock::now();
        grid->sortBy(u"日期"_s);
        grid->repaint();
        sorted.push_back(Timing::secondsSince(start));
    }
    report.add({u"lists"_s, u"history: sorted by 日期 (title click)"_s, {Timing::median(sorted), 0}, u"< 10 ms"_s, {}});
    report.grow(sizes.logRows, u"history: sorted by 日期"_s, Timing::median(sorted));
    screen.close();

    // Paging on: ten pages of 1024 after the first, unsorted, by an indexed column (日期,
    // descending), by 商品 (indexed since version 2) and by one without an index whose values
    // repeat ten times each (会员姓名, descending), where the tiers past the first scan the log.
    SharedQuery* history = dm.ADOQuery8;
    const struct
    {
        const char* name;
        QList<SharedQuery::SortKey> keys;
    } orders[] = {{"unsorted", {}},
                  {"by 日期 descending", {{u"日期"_s, Qt::DescendingOrder}}},
                  {"by 商品", {{u"商品"_s, Qt::AscendingOrder}}},
                  {"by 会员姓名 descending (no index)", {{u"会员姓名"_s, Qt::DescendingOrder}}}};
    for (const auto& order : orders) {
        history->setStatement(u"select * from 流水记录"_s);
        history->open();
        const auto pages = Timing::each(full ? 5 : 3, [&](int) {
            history->setSortKeys(order.keys);
            for (int page = 0; page < 10; ++page)
                history->fetchMore();
        });
        const QString name = u"history: 10 pages on, %1"_s.arg(QString::fromUtf8(order.name));
        report.add({u"lists"_s, name, {Timing::median(pages), 0}, {}, u"%1 rows fetched"_s.arg(history->rowCount())});
        report.grow(sizes.logRows, name, Timing::median(pages));
    }
    history->close();

    // The goods box as it drops down; and the plain distinct over the log it replaced.
    Bare::Statement goods(bare, utf8(PointsOps::goodsStatement()));
    Bare::Statement scan(bare, "select distinct 商品 from 流水记录 where 商品 is not null and 商品 <> ''");
    const auto bareList = [](Bare::Statement& s) {
        while (s.step())
            s.text(0);
        s.reset();
    };
    int kinds = 0;
    const Pair drop = Timing::compare(
        full ? 40 : 20, [&](int) { kinds = int(PointsOps::goodsList(db).size()); }, [&](int) { bareList(goods); });
    report.add({u"lists"_s, u"goods drop-down"_s, drop, u"< 10 ms"_s, u"%1 kinds of goods"_s.arg(kinds)});
    report.grow(sizes.logRows, u"goods drop-down"_s, drop.project);
    const Pair plain{Timing::median(Timing::each(full ? 5 : 3, [&](int) { bareList(scan); })), 0};
    report.add({u"lists"_s, u"(before: select distinct 商品 over the log, bare)"_s, plain, {}, {}});
    report.grow(sizes.logRows, u"(before: select distinct 商品, bare)"_s, plain.project);

    // The member list narrowed to one category.
    const std::string gold = "金卡";
    MemberList::Filter filter;
    filter.allCategories = false;
    filter.category = u"金卡"_s;
    Bare::Statement category(bare, "select * from (select rowid as \"qv_row_key\", * from 会员卡信息 where (卡类别 =?)) "
                                   "order by \"qv_row_key\" asc limit 256");
    const Pair byCategory = Timing::compare(
        full ? 50 : 20, [&](int) { MemberList::run(dm, filter); },
        [&](int) {
            category.bind(1, gold);
            while (category.step())
                for (int c = 0; c < category.columns(); ++c)
                    category.text(c);
            category.reset();
        });
    report.add({u"lists"_s, u"member list by category: first page"_s, byCategory, {}, {}});
}

// ---------------------------------------------------------------------------------------------
// Export of every member in every kind

void exports(Report& report, TDM1& dm, const WorkShop& shop)
{
    RecordGrid grid;
    setUpMemberGrid(&grid, dm.ADOQuery5, RecordGrid::Selection::Cell);
    dm.ADOQuery5->setStatement(MemberList::AllMembers);
    dm.ADOQuery5->open();
    QList<RecordExport::Column> columns;
    for (const GridColumn& c : grid.visibleColumns())
        columns << RecordExport::Column{c.field, c.title.isEmpty() ? c.field : c.title, c.format};
    const qint64 members = dm.ADOQuery5->totalRows();
    QTemporaryDir out;

    // The bare CSV: every column as text, quoted where needed, buffered writes.
    Bare::Connection bare(shop.bytes());
    Bare::Statement all(bare, "select * from (select rowid as \"qv_row_key\", * from 会员卡信息) order by \"qv_row_key\" asc");
    std::vector<int> at;
    for (const RecordExport::Column& c : columns) {
        for (int i = 1; i < all.columns(); ++i)
            if (utf8(c.field) == sqlite3_column_name(all.handle(), i))
                at.push_back(i);
    }
    auto bareDelimited = [&](char separator, const QString& name) {
        FILE* f = std::fopen(QFile::encodeName(out.filePath(name)).constData(), "wb");
        std::string line;
        while (all.step()) {
            line.clear();
            for (std::size_t i = 0; i < at.size(); ++i) {
                if (i)
                    line += separator;
                const std::string v = all.text(at[i]);
                if (separator == ',' && v.find_first_of(",\"\r\n") != std::string::npos) {
                    line += '"';
                    for (char ch : v)
                        line += ch == '"' ? std::string("\"\"") : std::string(1, ch);
                    line += '"';
                } else {
                    line += v;
                }
            }
            line += "\r\n";
            std::fwrite(line.data(), 1, line.size(), f);
        }
        all.reset();
        std::fclose(f);
    };

    // The walk every kind makes: each member's 22 values read through the list's statement.
    {
        QVariantList values(columns.size());
        const auto walk = Timing::each(3, [&](int) {
            RecordExport::QueryRows rows(*dm.ADOQuery5);
            while (rows.next())
                rows.read(columns, &values);
        });
        const auto bareWalk = Timing::each(3, [&](int) {
            std::string text;
            while (all.step()) {
                for (const int at : at)
                    text = all.text(at);
            }
            all.reset();
        });
        report.add({u"export"_s, u"reading %1 members × %2 columns (the walk of every export)"_s.arg(members).arg(columns.size()),
                    {Timing::median(walk), Timing::median(bareWalk)}, {}, u"no file written"_s});
    }

    const struct
    {
        RecordExport::Kind kind;
        const char* name;
        const char* target;
        char separator;
    } kinds[] = {{RecordExport::Kind::Csv, "CSV", "< 0.5 s", ','},   {RecordExport::Kind::Text, "text", "< 0.5 s", '\t'},
                 {RecordExport::Kind::Html, "HTML", "", 0},          {RecordExport::Kind::Rtf, "RTF", "", 0},
                 {RecordExport::Kind::Xls, "XLS", "< 1.5 s", 0},     {RecordExport::Kind::Xlsx, "XLSX", "< 1.5 s", 0}};
    for (const auto& k : kinds) {
        const QString path = out.filePath(u"members."_s + RecordExport::extension(k.kind));
        std::vector<double> times, cpu;
        double peak = 0;
        QString error;
        for (int i = 0; i < 3; ++i) {
            const double before = currentMegabytes();
            resetPeak();
            const double cpuBefore = cpuSeconds();
            const auto start = Timing::Clock::now();
            RecordExport::QueryRows rows(*dm.ADOQuery5);
            if (!RecordExport::writeFile(k.kind, path, columns, rows, {}, &error))
                break;
            times.push_back(Timing::secondsSince(start));
            cpu.push_back(cpuSeconds() - cpuBefore);
            peak = std::max(peak, peakMegabytes() - before);
        }
        double bareTime = 0;
        if (k.separator)
            bareTime = Timing::median(Timing::each(3, [&](int) { bareDelimited(k.separator, u"bare.csv"_s); }));
        report.add({u"export"_s, u"export of %1 members × %2 columns: %3"_s.arg(members).arg(columns.size()).arg(QString::fromUtf8(k.name)),
                    {Timing::median(times), bareTime}, QString::fromUtf8(k.target),
                    error.isEmpty() ? u"%1 MB file, %2 MB more memory at the peak, processor time %3"_s
                                          .arg(QFileInfo(path).size() / 1e6, 0, 'f', 1)
                                          .arg(peak, 0, 'f', 0)
                                          .arg(Timing::duration(Timing::median(cpu)))
                                    : error});
    }
}

// ---------------------------------------------------------------------------------------------
// Import of 10,000 members from a workbook of each kind

void import(Report& report, TDM1& dm)
{
    constexpr int Rows = 10000;
    QTemporaryDir dir;
    const QString xls = dir.filePath(u"会员.xls"_s);
    const QString xlsx = dir.filePath(u"会员.xlsx"_s);
    {
        QString error;
        XlsBook book(MemberImport::columns());
        XlsxBook bookX(MemberImport::columns());
        for (int i = 0; i < Rows; ++i) {
            const QList<SheetCell> row = {
                SheetCell::ofNumber(90000000 + i), SheetCell::ofText(u"金卡"_s),
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
    for (const QString& path : {xls, xlsx}) {
        QString note;
        const auto times = Timing::each(3, [&](int) {
            int imported = 0;
            const Outcome o = MemberImport::run(dm.ADOConnection1(), path, u"sheet1"_s, {}, &imported);
            if (!o.ok || imported != Rows)
                note = o.notice.text;
            Sql::transact(dm.ADOConnection1(), [&] {
                Sql::run(dm.ADOConnection1(), u"delete from 会员卡信息 where 会员卡号 >= '90000000' and 会员卡号 < '90010000'"_s);
            });
        });
        report.add({u"import"_s, u"import of 10,000 members from ."_s + QFileInfo(path).suffix(), {Timing::median(times), 0},
                    {}, note.isEmpty() ? u"includes the delete between runs"_s : note});
    }
}

// ---------------------------------------------------------------------------------------------
// Opening the file and the start up to the login window

void opening(Report& report, const WorkShop& shop, const ShopData::Sizes& sizes)
{
    const auto open = Timing::each(5, [&](int) {
        QString error;
        if (!Engine::open(u"bench-open"_s, shop.path(), &error))
            throw std::runtime_error(utf8(error));
        Engine::close(u"bench-open"_s);
    });
    const auto bareOpen = Timing::each(5, [&](int) {
        Bare::Connection c(shop.bytes());
        c.exec("PRAGMA quick_check");
    });
    const Pair p{Timing::median(open), Timing::median(bareOpen)};
    report.add({u"start"_s, u"open with the structure check (%1 log rows)"_s.arg(QLocale::c().toString(sizes.logRows)), p,
                {}, u"%1 MB file"_s.arg(QFileInfo(shop.path()).size() / 1e6, 0, 'f', 0)});
    report.grow(sizes.logRows, u"open with the structure check"_s, p.project);
}

// The program's start as main runs it, up to the login window on the screen, in a process
// of its own (this executable, which links the same libraries): the application, the look, the
// data module, the main window connecting (with the structure check), the start-up keys and
// the login dialog painted. Timed from the start of the process to the line it prints then.
int startProbe(QApplication& app, const QString& home)
{
    // Startup::run's steps in its order, without the single-copy lock and the login's wait.
    ProgramHome::set(home);
    Startup::applyLook(app);
    if (!Startup::offerDatabase())
        return 1;
    TDM1 dm;
    TMAIN main;
    if (!main.connectDatabase())
        return 1;
    main.applyStartupSettings(AppConfig::readStartup());
    Tloginform login(dm.ADOConnection1());
    login.show();
    login.grab();
    std::printf("shown\n");
    std::fflush(stdout);
    return 0;
}

void start(Report& report, const WorkShop& shop, int logRows)
{
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const auto begin = Timing::Clock::now();
        p.start(QCoreApplication::applicationFilePath(),
                {u"--start-probe"_s, QFileInfo(QFileInfo(shop.path()).absolutePath()).absolutePath()});
        while (!p.readAllStandardOutput().contains("shown")) {
            if (!p.waitForReadyRead(30000))
                throw std::runtime_error("the start probe did not show its login window");
        }
        runs.push_back(Timing::secondsSince(begin));
        p.waitForFinished(30000);
    }
    report.add({u"start"_s, u"start to the login window (%1 log rows)"_s.arg(QLocale::c().toString(logRows)),
                {Timing::median(runs), 0}, u"< 0.5 s"_s, u"a new process each time"_s});
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser options;
    options.addHelpOption();
    options.addOption({u"cache"_s, u"folder the made databases are kept in"_s, u"DIR"_s,
                       QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/quorvane-benchmarks"_s});
    options.addOption({u"logs"_s, u"log sizes, the largest one last"_s, u"N,N,…"_s, u"10000,100000,1000000"_s});
    options.addOption({u"only"_s, u"sections: counter,lists,export,start,import"_s, u"LIST"_s,
                       u"counter,lists,export,start,import"_s});
    options.addOption({u"start-probe"_s, u"(inside) start the program up to its login window"_s, u"HOME"_s});
    options.process(app);
    if (options.isSet(u"start-probe"_s))
        return startProbe(app, options.value(u"start-probe"_s));
    const QStringList only = options.value(u"only"_s).split(u',');
    QList<int> logSizes;
    for (const QString& n : options.value(u"logs"_s).split(u','))
        logSizes << n.toInt();

    std::printf("Quorvane shop-scale benchmark\n");
    std::printf("machine: %s, %d cores, %s; load average at start %s\n",
                firstLine(u"/proc/cpuinfo"_s, u"model name"_s).toUtf8().constData(), QThread::idealThreadCount(),
                QSysInfo::prettyProductName().toUtf8().constData(), loadAverage().toUtf8().constData());
    std::printf("SQLite %s (the C API side and Qt's driver alike)\n\n", sqlite3_libversion());

    Report report;
    try {
        for (int n = 0; n < logSizes.size(); ++n) {
            ShopData::Sizes sizes;
            sizes.logRows = logSizes.at(n);
            const bool largest = n + 1 == logSizes.size();
            std::printf("== %d members, %d log rows, %d loss records, %d gift rows (seed %llu)\n", sizes.members,
                        sizes.logRows, sizes.lossRecords, sizes.giftRows, (unsigned long long)sizes.seed);
            std::fflush(stdout);
            const auto made = Timing::Clock::now();
            const QString cached = ShopData::cachedDatabase(options.value(u"cache"_s), sizes);
            std::printf("  database %s (%.1f s)\n", cached.toUtf8().constData(), Timing::secondsSince(made));
            WorkShop shop(cached);
            report.at(sizes.logRows);
            opening(report, shop, sizes);
            TDM1 dm;
            QString error;
            if (!dm.connectTo(shop.path(), &error))
                throw std::runtime_error(utf8(error));
            if (only.contains(u"counter"_s))
                counter(report, dm, shop, sizes, largest);
            if (only.contains(u"lists"_s))
                lists(report, dm, shop, sizes, largest);
            if (largest && only.contains(u"export"_s))
                exports(report, dm, shop);
            if (largest && only.contains(u"import"_s))
                import(report, dm);
            if (largest && only.contains(u"start"_s))
                start(report, shop, sizes.logRows);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
    report.print();
    std::printf("\nload average at the end %s\n", loadAverage().toUtf8().constData());
    return 0;
}
