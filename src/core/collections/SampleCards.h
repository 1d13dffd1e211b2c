#pragma once

#include <QString>

#include <cstdint>
#include <random>

class Record;
struct Collection;

// Realistic Italian cards for trying the program and for benchmarks:
// titles, authors, publishers, cities, loans, some cancelled cards, accented
// letters. The same seed always gives the same cards on every platform.
class SampleCards {
public:
    explicit SampleCards(std::uint32_t seed) : m_rng(seed) {}

    // Fills `record` (of the collection's layout) with card number `serial`
    // through the collection's own filler.
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

    // The fillers of the program's collections.
    static void fillBook(SampleCards& w, Record& r, int serial);
    static void fillDvd(SampleCards& w, Record& r, int serial);
    static void fillArticle(SampleCards& w, Record& r, int serial);

private:
    std::mt19937 m_rng;
};
