#include "sim/demo_option.h"

#include <QRegularExpression>
#include <QSet>

namespace sim {

namespace {

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

bool readNumber(const QString &value, double lo, double hi, double &out)
{
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok || !(v >= lo && v <= hi))
        return false;
    out = v;
    return true;
}

bool readBool(const QString &value, bool &out)
{
    const QString v = value.toLower();
    if (v == "1" || v == "on" || v == "yes" || v == "true")
        out = true;
    else if (v == "0" || v == "off" || v == "no" || v == "false")
        out = false;
    else
        return false;
    return true;
}

} // namespace

bool parseDemoOption(const QString &text, BusConfig &out, QString *error)
{
    BusConfig bus;
    bus.instruments.clear();
    InstrumentConfig common; // instrument settings collected from key=value parts
    QSet<uint8_t> taken;

    const QStringList parts = text.split(QRegularExpression("[;+]"), Qt::KeepEmptyParts);
    for (const QString &rawPart : parts) {
        const QString part = rawPart.trimmed();
        if (part.isEmpty()) {
            if (parts.size() > 1)
                return fail(error, QStringLiteral("empty part in \"%1\"").arg(text));
            continue;
        }
        const int eq = part.indexOf('=');
        if (eq < 0 && part.compare("unplugged", Qt::CaseInsensitive) == 0) {
            bus.plugged = false;
            continue;
        }
        if (eq < 0) { // model and addresses
            const int colon = part.indexOf(':');
            QString model = (colon < 0 ? part : part.left(colon)).trimmed().toUpper();
            if (model.isEmpty())
                model = "HK07";
            if (!knownModels().contains(model))
                return fail(error, QStringLiteral("unknown model \"%1\"").arg(model));
            QList<int> addresses;
            if (colon >= 0) {
                for (const QString &a : part.mid(colon + 1).split(',')) {
                    bool ok = false;
                    const int address = a.trimmed().toInt(&ok);
                    if (!ok || address < 1 || address > 255)
                        return fail(error, QStringLiteral("bad bus address \"%1\"").arg(a));
                    addresses.append(address);
                }
            } else {
                addresses.append(1);
            }
            for (int address : addresses) {
                if (taken.contains(uint8_t(address)))
                    return fail(error, QStringLiteral("bus address %1 given twice").arg(address));
                taken.insert(uint8_t(address));
                InstrumentConfig c;
                c.model = model;
                c.address = uint8_t(address);
                bus.instruments.append(c);
            }
            continue;
        }

        const QString key = part.left(eq).trimmed().toLower();
        const QString value = part.mid(eq + 1).trimmed();
        double number = 0;
        bool flag = false;
        const auto bad = [&] {
            return fail(error, QStringLiteral("bad value for %1: \"%2\"").arg(key, value));
        };
        if (key == "speed") {
            if (!readNumber(value, 0, 1e6, number))
                return bad();
            bus.timeScale = number;
        } else if (key == "seed") {
            bool ok = false;
            bus.seed = value.toULongLong(&ok);
            if (!ok)
                return bad();
        } else if (key == "latency") {
            if (!readNumber(value, 0, 10000, number))
                return bad();
            bus.replyLatencyMs = int(number);
        } else if (key == "fullspeed") {
            if (!readBool(value, flag))
                return bad();
            bus.fullSpeedLink = flag;
        } else if (key == "maker" || key == "serial" || key == "version") {
            if (value.isEmpty() || value.contains(' '))
                return bad(); // the product string is split at blanks
            (key == "maker"    ? bus.manufacturer
             : key == "serial" ? bus.serialNumber
                               : bus.version) = value;
        } else if (key == "source") {
            if (value.compare("battery", Qt::CaseInsensitive) == 0)
                common.source = SourceKind::Battery;
            else if (value.compare("bench", Qt::CaseInsensitive) == 0)
                common.source = SourceKind::BenchSupply;
            else
                return bad();
        } else if (key == "capacity") {
            if (!readNumber(value, 1, 1e7, number))
                return bad();
            common.capacityAh = number / 1000.0;
        } else if (key == "ri") {
            if (!readNumber(value, 0.001, 100, number))
                return bad();
            common.internalResistance = number;
        } else if (key == "cells") {
            if (!readNumber(value, 1, 32, number) || number != int(number))
                return bad();
            common.cells = int(number);
        } else if (key == "soc") {
            if (!readNumber(value, 0, 100, number))
                return bad();
            common.initialCharge = number / 100.0;
        } else if (key == "supply") {
            if (!readNumber(value, 0, 499, number))
                return bad();
            common.supplyVoltage = number;
            common.source = SourceKind::BenchSupply;
        } else if (key == "limit") {
            if (!readNumber(value, 0, 1000, number))
                return bad();
            common.supplyCurrentLimit = number;
        } else if (key == "ambient") {
            if (!readNumber(value, -40, 80, number))
                return bad();
            common.ambient = number;
        } else if (key == "run") {
            // START,SECONDS[,AMPS]: the load switched on at START and off SECONDS later.
            const QStringList numbers = value.split(',');
            double start = 0, seconds = 0, amps = common.knobAmps;
            if (numbers.size() < 2 || numbers.size() > 3 ||
                !readNumber(numbers[0], 0, 1e7, start) ||
                !readNumber(numbers[1], 0, 1e7, seconds) ||
                (numbers.size() == 3 && !readNumber(numbers[2], 0, 1000, amps)))
                return bad();
            common.knobStartAt = start;
            common.knobRunSeconds = seconds;
            common.knobAmps = amps;
        } else if (key == "probe") {
            if (!readBool(value, flag))
                return bad();
            common.probeConnected = flag;
        } else {
            return fail(error, QStringLiteral("unknown setting \"%1\"").arg(key));
        }
    }

    if (bus.instruments.isEmpty())
        bus.instruments.append(InstrumentConfig{});
    for (InstrumentConfig &c : bus.instruments) {
        const QString model = c.model;
        const uint8_t address = c.address;
        c = common;
        c.model = model;
        c.address = address;
    }
    out = bus;
    return true;
}

} // namespace sim
