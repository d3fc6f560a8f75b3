#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <initializer_list>

#include "data/value.h"

namespace agrimor {
class DataAccess;
}

// What the parts of the demo seeder share: text from the tables' UTF-8, a random sequence that is
// the same everywhere, and rows added the way the program adds them.
namespace agrimor::demo {

inline QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}
// Null for a missing text.
Value optionalText(const char* utf8);
QStringList names(std::initializer_list<const char*> list);

// Adds rows through an updatable result set, as the program itself writes.
void addRows(DataAccess& db, const QString& table, const QStringList& columns,
             const QList<Params>& rows);

// splitmix64: tiny, fast, and the same sequence on every platform and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [low, high].
    std::int64_t between(std::int64_t low, std::int64_t high) {
        return low + static_cast<std::int64_t>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool percent(int chance) { return between(0, 99) < chance; }
    template <typename T>
    const T& pick(const QList<T>& list) {
        return list.at(static_cast<qsizetype>(between(0, list.size() - 1)));
    }

private:
    std::uint64_t state_;
};

}  // namespace agrimor::demo
