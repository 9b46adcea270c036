#pragma once
// Where the lab link publishes: the broker, its login, TLS and the topic prefix. Kept in the
// user's settings file; "--mqtt URL" overrides it for one start.

#include <QString>
#include <QStringList>

namespace lablink {

struct LinkSettings
{
    bool enabled = false;
    QString host;
    int port = 1883;
    bool tls = false;
    QString caFile;
    QString user;
    QString password;
    QString prefix = QStringLiteral("usb-tester");
    // Home Assistant's MQTT discovery: each instrument's sensors announced under this prefix.
    bool discovery = true;
    QString discoveryPrefix = QStringLiteral("homeassistant");

    static constexpr int kPlainPort = 1883;
    static constexpr int kTlsPort = 8883;
};

// Reads and writes the "mqtt_*" keys of the settings file. Writing the password first limits
// the file to its owner; the password never goes anywhere else.
LinkSettings loadLinkSettings();
bool saveLinkSettings(const LinkSettings &settings, QString *error);

// "mqtt://[user[:password]@]host[:port][/prefix]", or "mqtts://" for TLS. On success the
// result is enabled; user, password and prefix are percent-decoded. The CA file is left as given.
bool parseBrokerUrl(const QString &url, LinkSettings *settings, QString *error);

// The command line's "--mqtt URL" and "--mqtt-ca FILE" over the settings file's values.
// Returns false with a message for a bad URL or a CA file without mqtts.
bool applyBrokerOptions(const QString &url, const QString &caFile, LinkSettings *settings,
                        QString *error);

} // namespace lablink
