#include "record/content_digest.h"

#include <QFile>

#include <vector>

namespace {
quint64 load(const unsigned char *p)
{
    quint64 word = 0;
    for (int i = 7; i >= 0; --i)
        word = (word << 8) | p[i];
    return word;
}
} // namespace

void ContentDigest::mix(quint64 word)
{
    m_hash ^= word * 0x87c37b91114253d5ULL;
    m_hash = ((m_hash << 31) | (m_hash >> 33)) * 0x4cf5ad432745937fULL;
}

void ContentDigest::add(const char *data, size_t size)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    const unsigned char *end = p + size;
    m_size += qint64(size);
    while (m_tailSize > 0 && m_tailSize < 8 && p < end)
        m_tail[m_tailSize++] = *p++;
    if (m_tailSize == 8) {
        mix(load(m_tail));
        m_tailSize = 0;
    }
    for (; end - p >= 8; p += 8)
        mix(load(p));
    while (p < end)
        m_tail[m_tailSize++] = *p++;
}

QString ContentDigest::text() const
{
    ContentDigest last = *this;
    unsigned char padded[8] = {};
    for (int i = 0; i < m_tailSize; ++i)
        padded[i] = m_tail[i];
    last.mix(load(padded));
    last.mix(quint64(m_size));
    return QStringLiteral("%1-%2").arg(m_size).arg(last.m_hash, 16, 16, QChar('0'));
}

QString ContentDigest::ofFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    ContentDigest digest;
    std::vector<char> buffer(size_t(1) << 18);
    qint64 n;
    while ((n = file.read(buffer.data(), qint64(buffer.size()))) > 0)
        digest.add(buffer.data(), size_t(n));
    return n < 0 ? QString() : digest.text();
}
