#include "app/interface_language.h"

#include "settings/settings_file.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

InterfaceLanguage::InterfaceLanguage(Language language, QObject *parent)
    : QObject(parent), m_current(language)
{
    m_programLoaded = m_programCatalogue.load(QStringLiteral(":/Language/lib_en.qm"));
    if (!m_programLoaded)
        qCWarning(lcApp) << "translation not loaded: :/Language/lib_en.qm";
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    m_qtLoaded = m_qtCatalogue.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                                    QStringLiteral("_"), folder);
    if (!m_qtLoaded)
        qCWarning(lcApp) << "Qt's own Chinese translations not found in" << folder
                         << "(Debian package qttranslations5-l10n)";
    install();
}

InterfaceLanguage::~InterfaceLanguage()
{
    remove();
}

InterfaceLanguage::Language InterfaceLanguage::stored()
{
    return SettingsFile().read(QStringLiteral("Language")) == QLatin1String("English") ? English
                                                                                  : Chinese;
}

bool InterfaceLanguage::use(Language language)
{
    if (language == m_current)
        return false;
    remove();
    m_current = language;
    install();
    // Each install and removal posts one (compressed) language change to every window; deliver
    // it now, so that the switch is complete, texts and all, when the choice returns.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    return true;
}

// Chinese is the source language of the program's texts, and Qt's own texts are English.
void InterfaceLanguage::install()
{
    if (m_current == English && m_programLoaded)
        QCoreApplication::installTranslator(&m_programCatalogue);
    if (m_current == Chinese && m_qtLoaded)
        QCoreApplication::installTranslator(&m_qtCatalogue);
}

void InterfaceLanguage::remove()
{
    QCoreApplication::removeTranslator(&m_programCatalogue);
    QCoreApplication::removeTranslator(&m_qtCatalogue);
}
