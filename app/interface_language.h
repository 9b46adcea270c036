#pragma once
// The interface language: the program's own English catalogue (Chinese is the source language)
// and Qt's own catalogue for the standard dialogs' buttons, switched together. Every lookup is
// remembered, so a text already on screen can be carried into the other language.

#include <QHash>
#include <QObject>
#include <QPair>
#include <QTranslator>

#include <memory>
#include <mutex>

class InterfaceLanguage : public QObject
{
    Q_OBJECT
public:
    enum Language
    {
        Chinese,
        English
    };

    // Installs the catalogues for `language`.
    explicit InterfaceLanguage(Language language, QObject *parent = nullptr);
    ~InterfaceLanguage() override;

    // The language stored in the settings file ("Language"); Chinese unless it says English.
    static Language stored();

    Language current() const { return m_current; }
    // Switches both catalogues; false when `language` is already in use.
    bool use(Language language);
    // `shown`, a text shown before the last switch, in the language now in use; unchanged when
    // it is no text of the catalogue (numbers, names, texts the user typed).
    QString carried(const QString &shown) const;

private:
    class Catalogue;

    void installQtCatalogue();

    std::unique_ptr<Catalogue> m_catalogue;
    std::unique_ptr<QTranslator> m_qtCatalogue;
    Language m_current = Chinese;
    Language m_previous = Chinese;
};
