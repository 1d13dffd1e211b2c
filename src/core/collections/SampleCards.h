#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <random>

class Record;
struct Collection;

// Realistic Italian cards for trying the program and for benchmarks:
// titles, authors, publishers, cities, loans, some cancelled cards, accented
// letters. The same seed always gives the same cards on every platform.
class SampleCards {
public:
    explicit SampleCards(std::uint32_t seed)
        : m_rng(seed)
    {
    }

    // Fills `record` (of the collection's layout) with card number `serial`
    // through the collection's own filler, which draws from the words below.
    void fill(const Collection& collection, Record& record, int serial);

    // The words a filler draws from.
    int below(int n) { return static_cast<int>(m_rng() % static_cast<std::uint32_t>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    QString title();
    QString person();
    QString date(int fromYear, int toYear);
    QString articleText();
    QString country();
    QString judgement();
    QString language();
    QString sentence();
    // One of a collection's own words (UTF-8).
    template <std::size_t N> QString pick(const std::array<const char*, N>& words)
    {
        return QString::fromUtf8(words[static_cast<std::size_t>(below(static_cast<int>(N)))]);
    }

private:
    std::mt19937 m_rng;
};
