#include "lablink/link_settings.h"

#include "settings/settings_file.h"

#include <QFile>
#include <QUrl>

namespace lablink {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool restrictToOwner(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.exists() && !file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    file.close();
    if (!file.setPermissions(kOwnerOnly)) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

LinkSettings loadLinkSettings()
{
    const SettingsFile file;
    LinkSettings s;
    s.enabled = file.read("mqtt_enabled") == QLatin1String("true");
    s.host = file.read("mqtt_host");
    s.tls = file.read("mqtt_tls") == QLatin1String("true");
    bool ok = false;
    const int port = file.read("mqtt_port").toInt(&ok);
    s.port = ok && port > 0 && port < 65536
                 ? port
                 : (s.tls ? LinkSettings::kTlsPort : LinkSettings::kPlainPort);
    s.caFile = file.read("mqtt_ca_file");
    s.user = file.read("mqtt_user");
    s.password = file.read("mqtt_password");
    const QString prefix = file.read("mqtt_prefix");
    if (!prefix.isEmpty())
        s.prefix = prefix;
    s.discovery = file.read("mqtt_discovery") != QLatin1String("false");
    const QString discoveryPrefix = file.read("mqtt_discovery_prefix");
    if (!discoveryPrefix.isEmpty())
        s.discoveryPrefix = discoveryPrefix;
    return s;
}

bool saveLinkSettings(const LinkSettings &s, QString *error)
{
    // The file holds a password from now on: only its owner may read it, before it is written.
    if (!restrictToOwner(SettingsFile::filePath(), error))
        return false;
    SettingsFile file;
    file.write("mqtt_enabled", s.enabled ? "true" : "false");
    file.write("mqtt_host", s.host);
    file.write("mqtt_port", QString::number(s.port));
    file.write("mqtt_tls", s.tls ? "true" : "false");
    file.write("mqtt_ca_file", s.caFile);
    file.write("mqtt_user", s.user);
    file.write("mqtt_password", s.password);
    file.write("mqtt_prefix", s.prefix);
    file.write("mqtt_discovery", s.discovery ? "true" : "false");
    file.write("mqtt_discovery_prefix", s.discoveryPrefix);
    // The settings file is rewritten through a new file: check the result kept the restriction.
    return restrictToOwner(SettingsFile::filePath(), error);
}

bool parseBrokerUrl(const QString &text, LinkSettings *settings, QString *error)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))) {
        *error =
            QStringLiteral("expected mqtt://[user[:password]@]host[:port][/prefix] or mqtts://…");
        return false;
    }
    if (url.host().isEmpty()) {
        *error = QStringLiteral("no broker host in the URL");
        return false;
    }
    if (url.hasQuery() || url.hasFragment()) {
        *error = QStringLiteral("the URL takes no '?' or '#' part");
        return false;
    }
    LinkSettings s = *settings;
    s.enabled = true;
    s.tls = scheme == QLatin1String("mqtts");
    s.host = url.host();
    s.port = url.port(s.tls ? LinkSettings::kTlsPort : LinkSettings::kPlainPort);
    if (s.port <= 0) {
        *error = QStringLiteral("bad port in the URL");
        return false;
    }
    s.user = url.userName(QUrl::FullyDecoded);
    s.password = url.password(QUrl::FullyDecoded);
    const QString path = url.path(QUrl::FullyDecoded);
    QString prefix = path.mid(path.startsWith('/') ? 1 : 0);
    while (prefix.endsWith('/'))
        prefix.chop(1);
    if (!prefix.isEmpty()) // without one the settings file's prefix stays
        s.prefix = prefix;
    if (prefix.contains('+') || prefix.contains('#')) {
        *error = QStringLiteral("the topic prefix may not contain '+' or '#'");
        return false;
    }
    if (!s.tls)
        s.caFile.clear();
    *settings = s;
    return true;
}

bool applyBrokerOptions(const QString &url, const QString &caFile, LinkSettings *settings,
                        QString *error)
{
    LinkSettings s = *settings;
    if (!url.isEmpty() && !parseBrokerUrl(url, &s, error))
        return false;
    if (!caFile.isEmpty()) {
        if (!s.tls) {
            *error = QStringLiteral("--mqtt-ca needs an mqtts:// broker");
            return false;
        }
        s.caFile = caFile;
    }
    *settings = s;
    return true;
}

} // namespace lablink
