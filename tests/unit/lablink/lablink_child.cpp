// A process that publishes through the lab link until it is killed, for the last-will test:
// lablink_child PORT PREFIX IDENTITY. Prints "connected" once the broker accepted it.

#include "lablink/publisher.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    lablink::LinkSettings settings;
    settings.enabled = true;
    settings.host = "127.0.0.1";
    settings.port = args[1].toInt();
    settings.prefix = args[2];
    lablink::Publisher publisher;
    QObject::connect(&publisher, &lablink::Publisher::statusChanged,
                     [](const QString &, bool connected) {
                         if (connected) {
                             std::puts("connected");
                             std::fflush(stdout);
                         }
                     });
    publisher.start(settings, args[3]);
    return app.exec();
}
