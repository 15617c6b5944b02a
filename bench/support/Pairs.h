#pragma once
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// How the benchmarks measure: our code and the bare baseline run in turn (ours, bare, ours,
// bare, …) so that whatever the machine does meanwhile falls on both; each figure is the median
// of at least 21 such pairs. Before any timing both sides run once and their results are
// compared: a figure for work that came out different would compare nothing.
namespace bench {

constexpr int minimumPairs = 21;

struct Figure {
    double ours = 0; // ms, median
    double bare = 0;
    double ratio() const { return ours / bare; }
};

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// ours() and bare() each return their result; same(a, b) says whether they agree. setUp runs
// before every single run (untimed), e.g. to empty a table.
template <class R>
Figure pairs(const std::function<R()>& ours, const std::function<R()>& bare,
             const std::function<bool(const R&, const R&)>& same, int count = minimumPairs,
             const std::function<void()>& setUp = {})
{
    if (setUp) setUp();
    const R a = ours();
    if (setUp) setUp();
    const R b = bare();
    if (!same(a, b)) throw std::runtime_error("our result and the bare one differ");
    std::vector<double> o, r;
    QElapsedTimer t;
    for (int i = 0; i < std::max(count, minimumPairs); ++i) {
        if (setUp) setUp();
        t.start();
        ours();
        o.push_back(t.nsecsElapsed() / 1e6);
        if (setUp) setUp();
        t.start();
        bare();
        r.push_back(t.nsecsElapsed() / 1e6);
    }
    return {median(o), median(r)};
}

// For work whose result is what it leaves in the database: each run (timed) is followed by
// readBack() (not timed), whose answers for our side and the bare side must agree every time.
template <class R>
Figure pairsReadBack(const std::function<void()>& ours, const std::function<void()>& bare,
                     const std::function<R()>& readBack, int count, const std::function<void()>& setUp)
{
    std::vector<double> o, r;
    QElapsedTimer t;
    for (int i = 0; i <= std::max(count, minimumPairs); ++i) {
        setUp();
        t.start();
        ours();
        const double ourTime = t.nsecsElapsed() / 1e6;
        const R a = readBack();
        setUp();
        t.start();
        bare();
        const double bareTime = t.nsecsElapsed() / 1e6;
        if (!(readBack() == a)) throw std::runtime_error("our rows and the bare ones differ");
        if (i == 0) continue; // the first pair warms up and checks only
        o.push_back(ourTime);
        r.push_back(bareTime);
    }
    return {median(o), median(r)};
}

// One line per figure; scripts/bench.sh gathers the lines starting with "RESULT". Every
// benchmark reports through here, so that the table has one format. The ratio is given apart
// for figures whose ratio is not ours / bare of the two medians (a median of per-pair ratios,
// a throughput against another's).
inline void report(const char* benchmark, const std::string& backend, const std::string& what, double ours,
                   double bare, double ratio)
{
    std::printf("RESULT\t%s\t%s\t%s\t%.3f\t%.3f\t%.2f\n", benchmark, backend.c_str(), what.c_str(), ours, bare, ratio);
    std::fflush(stdout);
}

inline void report(const char* benchmark, const std::string& backend, const std::string& what, const Figure& f)
{
    report(benchmark, backend, what, f.ours, f.bare, f.ratio());
}

} // namespace bench
