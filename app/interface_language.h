#pragma once
// The interface language: the program's own English catalogue (Chinese is the source language)
// and Qt's own Chinese catalogue for the standard dialogs' buttons, installed as plain
// translators. A switch swaps them; every window then re-renders its texts in its own
// changeEvent(QEvent::LanguageChange).

#include <QObject>
#include <QTranslator>

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
    // Swaps the catalogues and has every window re-rendered before it returns; false when
    // `language` is already in use.
    bool use(Language language);

private:
    void install();
    void remove();

    QTranslator m_programCatalogue; // English
    QTranslator m_qtCatalogue;      // Chinese
    bool m_programLoaded = false;
    bool m_qtLoaded = false;
    Language m_current = Chinese;
};
