#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// A shop's database at full size, made the same way every time from a seed: the program's own
// schema (Engine::create), members with all 22 columns filled with the kind of Chinese text a
// shop types, a points log over three years whose sums match every card's balance, formal and
// verbal loss records, gift stock movements and redemption records. Making the large one takes
// a while on a small machine, so each size is kept in a cache folder, keyed by the seed, the
// sizes and the schema version, and copied from there for every run (a run writes to its copy).
namespace ShopData {

struct Sizes
{
    int members = 100000;
    int logRows = 1000000;
    int lossRecords = 10000;
    int giftRows = 5000;
    std::uint64_t seed = 20240601;
};

// The cached file for these sizes, made first when it is missing. Returns its path; throws
// std::runtime_error when it cannot be made.
QString cachedDatabase(const QString& cacheDir, const Sizes& sizes);

// Card numbers the lookups are timed with, drawn from the file with the same seed: members
// that exist, numbers retired by a formal loss, and numbers no member has.
struct Cards
{
    QStringList known;
    QStringList retired;
    QStringList unknown;
};
Cards sampleCards(const Sizes& sizes, int count);

// The category names the file holds, most common first.
QStringList categories();

} // namespace ShopData
