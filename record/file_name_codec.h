#pragma once
// The locale codec of the program: UTF-8, except that a byte that is not part of valid UTF-8
// becomes a character of its own (U+DC80 … U+DCFF) and goes back to the same byte. File names
// are bytes on Linux; with it a name that is not valid UTF-8 (copied from an old system, a
// memory card) is taken from the command line and opened, where the plain UTF-8 codec turns its
// bytes into U+FFFD and loses the file. (Qt's folder listing skips such names whatever the codec.)

#include <QTextCodec>

class FileNameCodec : public QTextCodec
{
public:
    // The one instance, made the codec for the locale (Qt keeps codecs until it ends).
    static void install();

    QByteArray name() const override;
    int mibEnum() const override;

protected:
    QString convertToUnicode(const char *in, int length, ConverterState *state) const override;
    QByteArray convertFromUnicode(const QChar *in, int length,
                                  ConverterState *state) const override;
};
