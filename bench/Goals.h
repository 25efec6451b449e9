#pragma once
// Every benchmark holds the program to its goals: each ratio is printed beside its goal, a ratio
// over its goal is marked OVER, and the run then exits non-zero.
#include <QByteArray>

#include <cstdio>

namespace bench {

class Goals {
public:
    // Prints "what: ratio (goal G)" and marks the line OVER when ratio > goal; returns whether
    // the ratio is within its goal.
    bool check(const char* what, double ratio, double goal)
    {
        const bool within = ratio <= goal;
        std::printf("%-48s %7.2fx  (goal %.2fx)%s\n", what, ratio, goal, within ? "" : "  OVER");
        std::fflush(stdout);
        over_ = over_ || !within;
        return within;
    }

    // A failure that is no ratio (text differs, a count is wrong) fails the run as well.
    void fail(const char* what)
    {
        std::printf("%s  FAILED\n", what);
        std::fflush(stdout);
        over_ = true;
    }

    bool anyOver() const { return over_; }
    int exitCode() const { return over_ ? 1 : 0; }

private:
    bool over_ = false;
};

// Whether this run measures the database named "sqlite" or "pg": QV_BENCH_DB set to one of them
// runs that one alone; unset or set to anything else, both run.
inline bool runsDatabase(const char* name)
{
    const QByteArray only = qgetenv("QV_BENCH_DB");
    return (only != "sqlite" && only != "pg") || only == name;
}

} // namespace bench
