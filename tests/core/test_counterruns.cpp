// Counters as separate processes on one database file: the driver program runs the program's
// own save operations, two at a time, while a list is open, and while being killed.
#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"
#include "support/testhome.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <chrono>
#include <iostream>
#include <random>
#include <thread>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// One driver process and what it wrote.
class Counter
{
public:
    void start(const QStringList& args)
    {
        m_process.start(QString::fromUtf8(QUORVANE_DRIVER), args);
        ASSERT_TRUE(m_process.waitForStarted(60000)) << m_process.errorString().toStdString();
    }
    // Waits until the first save has finished, so that a kill falls among saves.
    void waitForFirstSave()
    {
        while (m_out.isEmpty() && m_process.state() == QProcess::Running && m_process.waitForReadyRead(60000))
            m_out += m_process.readAllStandardOutput();
    }
    void kill()
    {
        m_process.kill(); // SIGKILL: no chance to finish anything
        m_process.waitForFinished(60000);
        m_out += m_process.readAllStandardOutput();
    }
    bool finish()
    {
        if (m_process.state() != QProcess::NotRunning)
            m_process.waitForFinished(600000);
        m_out += m_process.readAllStandardOutput();
        return m_process.state() == QProcess::NotRunning && m_process.exitStatus() == QProcess::NormalExit
               && m_process.exitCode() == 0;
    }
    QProcess& process() { return m_process; }
    // Letters of finished attempts: S saved, R refused by a check, B busy, E other failure.
    int count(char letter) const
    {
        const qsizetype end = m_out.indexOf('\n'); // a killed counter writes no summary line
        return int((end < 0 ? m_out : m_out.left(end)).count(letter));
    }
    qint64 figure(const char* name) const
    {
        const QRegularExpression re(QString::fromLatin1(name) + u"=(\\d+)"_s);
        const auto m = re.match(QString::fromLatin1(m_out));
        return m.hasMatch() ? m.captured(1).toLongLong() : -1;
    }
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }

private:
    QProcess m_process;
    QByteArray m_out;
};

// The rules a file must keep whatever happened to the counters writing it.
struct FileCheck
{
    QString integrity;
    int cardsOffTheirLog = -1;
    int duplicateNumbers = -1;
    bool passed() const { return integrity == u"ok"_s && cardsOffTheirLog == 0 && duplicateNumbers == 0; }
};

FileCheck checkFile(TestHome& home)
{
    FileCheck c;
    // The server keeps its own files whole; a SQLite file is checked page by page.
    c.integrity = onServer() ? u"ok"_s : home.scalar(u"PRAGMA integrity_check"_s).toString();
    // Every card's balance is the sum of its log rows (all cards start at 0).
    c.cardsOffTheirLog = home.scalar(u"select count(*) from 会员卡信息 m where abs(m.积分 - (select coalesce(sum(增减积分), 0) "
                                     u"from 流水记录 l where l.会员卡号 = m.会员卡号)) > 0.005"_s)
                             .toInt();
    c.duplicateNumbers = home.scalar(u"select count(*) - count(distinct 编号) from 流水记录"_s).toInt();
    return c;
}

void addCards(TestHome& home, int count)
{
    home.exec(u"insert into 卡类别 (卡类别, 积分比例, 允许兑换礼品, 允许返现金) values ('金卡', 10, 1, 1)"_s);
    home.exec(u"with recursive n(i) as (select 0 union all select i + 1 from n where i < ? - 1) "
              u"insert into 会员卡信息 (会员卡号, 会员姓名, 卡类别, 积分) select 'C' || "_s + padded(u"i"_s, 3) + u", '会员' || i, '金卡', 0 "
              u"from n"_s,
              {count});
}

TEST(CounterRuns, TwoCountersSaveEveryPurchaseWhileOneHasAListOpen)
{
    TestHome home;
    addCards(home, 20);
    const QString db = ProgramHome::databasePath();
    Counter listing, other;
    listing.start({u"--home"_s, home.path(), u"--saves"_s, u"500"_s, u"--list"_s, u"--seed"_s, u"1"_s});
    other.start({u"--home"_s, home.path(), u"--saves"_s, u"500"_s, u"--seed"_s, u"2"_s});
    // The log's size while both write: the checkpoints must keep it small although a list is open.
    qint64 maxWal = 0;
    for (Counter* c : {&listing, &other}) {
        while (!c->process().waitForFinished(20) && c->process().state() != QProcess::NotRunning)
            maxWal = std::max(maxWal, QFileInfo(db + u"-wal"_s).size());
    }
    ASSERT_TRUE(listing.finish()) << listing.errors().toStdString();
    ASSERT_TRUE(other.finish()) << other.errors().toStdString();
    maxWal = std::max({maxWal, listing.figure("max_wal"), other.figure("max_wal")});

    for (Counter* c : {&listing, &other}) {
        EXPECT_EQ(c->figure("tried"), 500);
        EXPECT_EQ(c->figure("saved"), 500) << "every purchase saved, none refused as busy";
        EXPECT_EQ(c->figure("busy"), 0);
        EXPECT_EQ(c->figure("errors"), 0) << c->errors().toStdString();
    }
    EXPECT_EQ(home.scalar(u"select count(*) from 流水记录"_s).toInt(), 1000);
    const FileCheck check = checkFile(home);
    EXPECT_TRUE(check.passed()) << check.integrity.toStdString() << " cards off their log " << check.cardsOffTheirLog
                                << " duplicate numbers " << check.duplicateNumbers;
    EXPECT_LT(maxWal, 8 * 1024 * 1024) << "the log was not checkpointed while the list was open";
    std::cout << "two counters: tried " << listing.figure("tried") + other.figure("tried") << ", saved "
              << listing.figure("saved") + other.figure("saved") << ", refused "
              << listing.figure("refused") + other.figure("refused") << ", busy "
              << listing.figure("busy") + other.figure("busy") << ", longest save "
              << std::max(listing.figure("longest_ms"), other.figure("longest_ms")) << " ms, largest log " << maxWal
              << " bytes, log after the run " << QFileInfo(db + u"-wal"_s).size() << " bytes" << std::endl;
}

// Counters killed at random moments while saving purchases, returns and redemptions: after
// each kill the file is whole and every card's balance is the sum of its log. Twenty kills in
// the ordinary run; QUORVANE_CRASH_KILLS asks for more (the "long" test label runs 200).
TEST(CounterRuns, EveryKillLeavesAWholeFileAndBalancesThatMatchTheLog)
{
    const int kills = qEnvironmentVariableIsSet("QUORVANE_CRASH_KILLS")
                          ? qEnvironmentVariableIntValue("QUORVANE_CRASH_KILLS")
                          : 20;
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    TestHome home;
    addCards(home, 20);

    int killed = 0, rounds = 0, passed = 0;
    int saved = 0, refused = 0, busy = 0, errors = 0;
    while (killed < kills) {
        // Two counters at once, so that a kill also falls while the other holds the lock.
        Counter first, second;
        for (Counter* c : {&first, &second})
            c->start({u"--home"_s, home.path(), u"--saves"_s, u"0"_s, u"--mix"_s, u"all"_s, u"--seed"_s,
                      QString::number(random())});
        first.waitForFirstSave();
        second.waitForFirstSave();
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 250));
        first.kill();
        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 120));
        second.kill();
        killed += 2;
        ++rounds;
        for (Counter* c : {&first, &second}) {
            saved += c->count('S');
            refused += c->count('R');
            busy += c->count('B');
            errors += c->count('E');
        }
        const FileCheck check = checkFile(home);
        if (check.passed())
            ++passed;
        else
            ADD_FAILURE() << "after round " << rounds << " (seed " << seed << "): " << check.integrity.toStdString()
                          << ", cards off their log " << check.cardsOffTheirLog << ", duplicate numbers "
                          << check.duplicateNumbers;
    }
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(errors, 0);
    EXPECT_GT(saved, 0);
    // The program still opens the file: its structure check passes.
    QString error;
    EXPECT_TRUE(Engine::open(u"after the kills"_s, home.location(), &error)) << error.toStdString();
    Engine::close(u"after the kills"_s);
    std::cout << "kills: " << killed << " in " << rounds << " rounds (seed " << seed << "); saves finished "
              << saved + refused + busy + errors << ": saved " << saved << ", refused " << refused << ", busy " << busy
              << ", errors " << errors << "; checks passed " << passed << " of " << rounds << std::endl;
}

} // namespace
