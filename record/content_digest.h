#pragma once
// A fingerprint of a file's bytes: its size and a 64-bit hash, as text. A save notes the
// fingerprint of the data file it writes, so a later recovery knows that file by its bytes, not by
// rendering the rows again (which would depend on the time zone of the moment).

#include <QString>

#include <cstddef>

class ContentDigest
{
public:
    void add(const char *data, size_t size);
    // "<bytes>-<16 hex digits>"
    QString text() const;
    // The digest of the file at path; empty when it cannot be read.
    static QString ofFile(const QString &path);

private:
    void mix(quint64 word);

    quint64 m_hash = 0x9e3779b97f4a7c15ULL;
    qint64 m_size = 0;
    unsigned char m_tail[8] = {};
    int m_tailSize = 0;
};
