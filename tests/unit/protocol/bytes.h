#pragma once
// Small helpers shared by the protocol tests: frames as hex text, so failures print readably.

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>

inline QByteArray hexBytes(const char *spacedHex)
{
    return QByteArray::fromHex(QByteArray(spacedHex).replace(' ', ""));
}

template <std::size_t N> QByteArray toBytes(const std::array<uint8_t, N> &a)
{
    return QByteArray(reinterpret_cast<const char *>(a.data()), int(N));
}

// Printable form for QCOMPARE failures.
inline QByteArray spaced(const QByteArray &bytes)
{
    return bytes.toHex(' ').toUpper();
}
