#include "interface_language.h"

#include "setting.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)

// The program's catalogue. Installed in both languages: in Chinese it translates nothing but
// still learns which context each source text belongs to.
class InterfaceLanguage::Catalogue : public QTranslator
{
public:
    bool loadEnglish() { return m_english.load(QStringLiteral(":/Language/lib_en.qm")); }
    void setEnglish(bool on)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_useEnglish = on;
    }

    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        if (!sourceText || !*sourceText)
            return QString();
        std::lock_guard<std::mutex> lock(m_mutex);
        const QString source = QString::fromUtf8(sourceText);
        m_contexts.insert(source, {QByteArray(context), QByteArray(disambiguation)});
        if (!m_useEnglish)
            return QString();
        const QString english = m_english.translate(context, sourceText, disambiguation, n);
        if (!english.isEmpty())
            m_sources.insert(english, source);
        return english;
    }
    bool isEmpty() const override { return false; }

    QString sourceOf(const QString &english) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_sources.value(english);
    }
    QPair<QByteArray, QByteArray> contextOf(const QString &source) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_contexts.value(source);
    }

private:
    QTranslator m_english;
    mutable std::mutex m_mutex; // Qt may translate on any thread
    bool m_useEnglish = false;
    mutable QHash<QString, QPair<QByteArray, QByteArray>> m_contexts; // source -> context
    mutable QHash<QString, QString> m_sources;                        // English -> source
};

InterfaceLanguage::InterfaceLanguage(Language language, QObject *parent)
    : QObject(parent), m_catalogue(std::make_unique<Catalogue>())
{
    if (!m_catalogue->loadEnglish())
        qCWarning(lcApp) << "translation not loaded: :/Language/lib_en.qm";
    QCoreApplication::installTranslator(m_catalogue.get());
    m_current = m_previous = language;
    m_catalogue->setEnglish(language == English);
    installQtCatalogue();
}

InterfaceLanguage::~InterfaceLanguage()
{
    if (m_qtCatalogue)
        QCoreApplication::removeTranslator(m_qtCatalogue.get());
    QCoreApplication::removeTranslator(m_catalogue.get());
}

InterfaceLanguage::Language InterfaceLanguage::stored()
{
    return Setting().read(QStringLiteral("Language")) == QLatin1String("English") ? English
                                                                                  : Chinese;
}

bool InterfaceLanguage::use(Language language)
{
    if (language == m_current)
        return false;
    m_previous = m_current;
    m_current = language;
    m_catalogue->setEnglish(language == English);
    installQtCatalogue();
    return true;
}

void InterfaceLanguage::installQtCatalogue()
{
    if (m_qtCatalogue) {
        QCoreApplication::removeTranslator(m_qtCatalogue.get());
        m_qtCatalogue.reset();
    }
    if (m_current == English)
        return; // Qt's own texts are English already
    auto catalogue = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    if (!catalogue->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                         QStringLiteral("_"), folder)) {
        qCWarning(lcApp) << "Qt's own Chinese translations not found in" << folder
                         << "(Debian package qttranslations5-l10n)";
        return;
    }
    m_qtCatalogue = std::move(catalogue);
    QCoreApplication::installTranslator(m_qtCatalogue.get());
}

QString InterfaceLanguage::carried(const QString &shown) const
{
    if (shown.isEmpty() || m_previous == m_current)
        return shown;
    if (m_current == Chinese) {
        const QString source = m_catalogue->sourceOf(shown);
        return source.isEmpty() ? shown : source;
    }
    const auto context = m_catalogue->contextOf(shown);
    if (context.first.isEmpty())
        return shown;
    return QCoreApplication::translate(context.first.constData(), shown.toUtf8().constData(),
                                       context.second.isEmpty() ? nullptr
                                                                : context.second.constData());
}
