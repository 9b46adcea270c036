#pragma once
// A firmware image as the loader takes it: a vector table (stack top in RAM, a Thumb reset
// address in flash) followed by a byte pattern, `size` bytes in all (at least the table's 8).

#include <QByteArray>

inline QByteArray firmwareImageOf(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + i / 256) & 0xFF);
    const QByteArray table = QByteArray::fromHex("0050002045410008"); // 0x20005000, 0x08004145
    bytes.replace(0, std::min(size, int(table.size())), table.left(size));
    return bytes;
}
