#pragma once

// Timing by hand: each operation runs many times, the program's way and the bare way in turns
// (so a busy spell on the machine falls on both alike), and the median of each is kept.
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace Timing {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

// The seconds each call took; call(i) is given the round number.
inline std::vector<double> each(int times, const std::function<void(int)>& call)
{
    std::vector<double> seconds;
    seconds.reserve(std::size_t(times));
    for (int i = 0; i < times; ++i) {
        const auto start = Clock::now();
        call(i);
        seconds.push_back(secondsSince(start));
    }
    return seconds;
}

struct Pair
{
    double project = 0; // median seconds
    double bare = 0;    // 0 when there is no bare counterpart
};

// Both ways in `rounds` turns of times/rounds calls each.
inline Pair compare(int times, const std::function<void(int)>& project, const std::function<void(int)>& bare,
                    int rounds = 5)
{
    std::vector<double> p;
    std::vector<double> b;
    const int per = std::max(1, times / rounds);
    for (int r = 0; r < rounds; ++r) {
        const auto ps = each(per, [&](int i) { project(r * per + i); });
        p.insert(p.end(), ps.begin(), ps.end());
        if (bare) {
            const auto bs = each(per, [&](int i) { bare(r * per + i); });
            b.insert(b.end(), bs.begin(), bs.end());
        }
    }
    return {median(p), bare ? median(b) : 0};
}

// "92 µs", "1.23 ms", "0.77 s".
inline QString duration(double seconds)
{
    if (seconds <= 0)
        return QStringLiteral("—");
    if (seconds < 1e-3)
        return QString::number(seconds * 1e6, 'f', seconds < 1e-5 ? 1 : 0) + QStringLiteral(" µs");
    if (seconds < 1)
        return QString::number(seconds * 1e3, 'f', seconds < 1e-2 ? 2 : 1) + QStringLiteral(" ms");
    return QString::number(seconds, 'f', 2) + QStringLiteral(" s");
}

// A markdown table, printed as it is filled.
class Table
{
public:
    explicit Table(QStringList titles) : m_columns(int(titles.size()))
    {
        line(titles);
        QStringList rule;
        for (int i = 0; i < m_columns; ++i)
            rule << QStringLiteral("---");
        line(rule);
    }
    void row(const QStringList& cells) { line(cells); }

private:
    void line(const QStringList& cells)
    {
        std::printf("| %s |\n", cells.join(QStringLiteral(" | ")).toUtf8().constData());
        std::fflush(stdout);
    }
    int m_columns;
};

inline QString ratio(const Pair& p)
{
    return p.bare > 0 ? QString::number(p.project / p.bare, 'f', 2) + QStringLiteral("×") : QStringLiteral("—");
}

} // namespace Timing
