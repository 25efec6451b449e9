#pragma once
// What a fuzz target asserts beyond "no crash": a failed check prints the case and aborts, which
// both libFuzzer and the corpus replay report as a failure.
#include <QString>

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, detail)                                                                  \
    do {                                                                                               \
        if (!(condition)) {                                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  %s\n", __FILE__, __LINE__, #condition,   \
                         QString(detail).toUtf8().constData());                                        \
            std::abort();                                                                              \
        }                                                                                              \
    } while (0)

// The input as text; bytes that are no UTF-8 become U+FFFD as they would from any file.
inline QString fuzzText(const unsigned char* data, std::size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}
