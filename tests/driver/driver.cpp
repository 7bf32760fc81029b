// A counter without a window: runs the program's own save operations on one database file in
// a loop, as an operator saving at full speed would, so that several of them started as
// separate processes compete for the file the way several counters do.
//
//   quorvane_driver --db FILE | --home DIR [--saves N] [--mix purchases|all] [--cards N] [--list] [--seed S]
//
// --home takes the database the program home's myini.ini names (a server's, or the home's file).
// --saves 0 saves until the process is killed. --mix all draws purchases, returns and cash
// redemptions; purchases saves purchases only. --list keeps the history list open the whole
// run and scrolls and refreshes it between saves, as a counter with the list on screen does.
//
// Each finished attempt writes one letter to stdout at once: S saved, R refused by a check
// (a redemption the balance does not cover), B refused because the database stayed busy past
// the timeout, E any other failure (its text goes to stderr). The end of a counted run writes
//   tried=… saved=… refused=… busy=… errors=… longest_ms=… max_wal=…
#include "config/appconfig.h"
#include "config/programhome.h"
#include "data/sqlrun.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "points/pointsops.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <random>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Tally
{
    int saved = 0, refused = 0, busy = 0, errors = 0;
    qint64 longestMs = 0;
    qint64 maxWal = 0;
    int tried() const { return saved + refused + busy + errors; }
};

void report(Tally& tally, const Outcome& outcome)
{
    char letter = 'S';
    if (outcome.ok) {
        ++tally.saved;
    } else if (outcome.notice.kind != Notice::Kind::Plain) {
        letter = 'R';
        ++tally.refused;
    } else if (outcome.notice.text.startsWith(Sql::BusyText)) {
        letter = 'B';
        ++tally.busy;
    } else {
        letter = 'E';
        ++tally.errors;
        std::fprintf(stderr, "%s\n", outcome.notice.text.toUtf8().constData());
    }
    std::fputc(letter, stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.addOption({u"db"_s, u"database file"_s, u"FILE"_s});
    options.addOption({u"home"_s, u"program home whose database to use"_s, u"DIR"_s});
    options.addOption({u"saves"_s, u"saves to make, 0 until killed"_s, u"N"_s, u"100"_s});
    options.addOption({u"mix"_s, u"purchases or all"_s, u"KIND"_s, u"purchases"_s});
    options.addOption({u"cards"_s, u"cards C000… to save on"_s, u"N"_s, u"20"_s});
    options.addOption({u"list"_s, u"keep the history list open"_s});
    options.addOption({u"seed"_s, u"random seed"_s, u"S"_s, u"1"_s});
    options.addOption({u"operator"_s, u"operator id written"_s, u"ID"_s, u"0001"_s});
    options.process(app);

    Engine::Location location(options.value(u"db"_s));
    QString error;
    if (options.isSet(u"home"_s)) {
        ProgramHome::set(options.value(u"home"_s));
        if (!AppConfig::database(&location, &error)) {
            std::fprintf(stderr, "%s\n", error.toUtf8().constData());
            return 2;
        }
    }
    const QString path = location.path;
    const int saves = options.value(u"saves"_s).toInt();
    const bool all = options.value(u"mix"_s) == u"all"_s;
    const int cards = std::max(1, options.value(u"cards"_s).toInt());
    const QString operatorId = options.value(u"operator"_s);
    std::mt19937 random(options.value(u"seed"_s).toUInt());

    TDM1 dm;
    if (!dm.connectTo(location, &error)) {
        std::fprintf(stderr, "%s\n", error.toUtf8().constData());
        return 2;
    }
    const QSqlDatabase db = dm.ADOConnection1();
    SharedQuery* list = dm.ADOQuery8;
    if (options.isSet(u"list"_s)) {
        list->setStatement(u"select * from 流水记录"_s);
        list->open();
    }

    Tally tally;
    const QString wal = path + u"-wal"_s;
    for (int i = 0; saves == 0 || i < saves; ++i) {
        const QString card = u"C%1"_s.arg(int(random() % cards), 3, 10, QChar(u'0'));
        const QString points = Values::pointsText((random() % 5000 + 1) / 100.0);
        // Of all: purchases half the time, returns and redemptions a quarter each.
        enum Kind { Purchase, Return, Redemption };
        const unsigned draw = all ? random() % 4 : 0;
        const Kind kind = draw <= 1 ? Purchase : draw == 2 ? Return : Redemption;
        QElapsedTimer took;
        took.start();
        Outcome outcome;
        if (kind != Redemption) {
            PointsOps::PurchaseDraft d;
            d.cardNo = d.loadedCard = card;
            d.name = u"会员"_s + card;
            d.goods = u"机油"_s;
            d.points = points;
            outcome = PointsOps::savePurchase(db, kind == Return ? PointsOps::PurchaseKind::Deduct : PointsOps::PurchaseKind::Add,
                                              d, operatorId)
                          .outcome;
        } else {
            // What the redemption screen shows is the balance its lookup read.
            PointsOps::RedemptionDraft d;
            d.giftsEnabled = false;
            d.cardNo = d.loadedCard = card;
            d.name = u"会员"_s + card;
            d.points = points;
            try {
                d.currentPoints = Values::pointsText(
                    Sql::scalar(db, u"select 积分 from 会员卡信息 where 会员卡号=?"_s, {card}).toDouble());
                outcome = PointsOps::redeem(db, d, operatorId).outcome;
            } catch (const Failure& failure) {
                // The lookup failed (a server gone away): the program shows it in a plain box.
                outcome = Outcome::refused(Notice::plain(failure.text()));
            }
        }
        tally.longestMs = std::max(tally.longestMs, took.elapsed());
        report(tally, outcome);
        if (options.isSet(u"list"_s)) {
            // Scroll on, and now and then refresh as a screen does after its own save.
            if (i % 50 == 49)
                list->open();
            else if (list->canFetchMore())
                list->fetchMore();
        }
        tally.maxWal = std::max(tally.maxWal, QFileInfo(wal).size());
    }
    std::printf("\ntried=%d saved=%d refused=%d busy=%d errors=%d longest_ms=%lld max_wal=%lld\n", tally.tried(),
                tally.saved, tally.refused, tally.busy, tally.errors, static_cast<long long>(tally.longestMs),
                static_cast<long long>(tally.maxWal));
    return 0;
}
