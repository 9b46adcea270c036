#pragma once
// A form's retranslation puts every text of the form back to its form value, and with it what
// the program or the user set since: a device's name, a typed title, live readings, a page title.
// Taken before the switch and given back after it, carried into the new language where known.

#include <QPointer>
#include <QString>
#include <QVector>

#include <functional>

class QWidget;

class RunTimeTexts
{
public:
    // Notes the texts under `root`, then runs `retranslate` in the language still in use, so
    // that every text differing from its form value is known as one set at run time.
    RunTimeTexts(QWidget *root, const std::function<void()> &retranslate);
    // Gives those texts back, each passed through `carry` into the new language.
    void restore(const std::function<QString(const QString &)> &carry) const;

private:
    struct Entry
    {
        QPointer<QWidget> widget;
        const char *property;
        QString text;
    };
    QVector<Entry> m_entries;
};
