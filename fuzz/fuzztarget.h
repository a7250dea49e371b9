#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The input of one run as bytes, without a copy: a read past its end is then a
// read past the fuzzer's buffer, which AddressSanitizer reports.
inline QByteArray fuzzInput(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A broken invariant stops the run, so that libFuzzer keeps the input.
inline void abortOnFailure(const QString &failure)
{
    if (failure.isEmpty())
        return;
    std::fprintf(stderr, "\n==zhurnal== invariant broken: %s\n", failure.toUtf8().constData());
    std::abort();
}
