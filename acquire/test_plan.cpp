#include "acquire/test_plan.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

namespace plan {

namespace {

const QString kNumber = QStringLiteral("(\\d+(?:\\.\\d+)?)");
const QString kDurationUnit =
    QStringLiteral("(s|sec|secs|seconds?|min|mins|minutes?|h|hr|hrs|hours?)");

QRegularExpression pattern(const QString &text)
{
    return QRegularExpression("^" + text + "$", QRegularExpression::CaseInsensitiveOption);
}

QString tr(const char *text)
{
    return QCoreApplication::translate("plan::TestPlan", text);
}

double secondsOf(double number, const QString &unit)
{
    const QString u = unit.toLower();
    if (u.startsWith('h'))
        return number * 3600;
    if (u.startsWith('m'))
        return number * 60;
    return number;
}

// "for DURATION", "until CONDITION" or "for DURATION or until CONDITION" after a set-point.
struct Tail
{
    double seconds = 0;
    bool hasLimit = false;
    Limit limit{Watch::VoltageBelow, 0};
};

bool parseCondition(const QString &number, const QString &unit, bool hold, Limit *limit,
                    QString *why)
{
    const double value = number.toDouble();
    const QString u = unit.toLower();
    if (u == "v" && !hold)
        *limit = {Watch::VoltageBelow, value};
    else if (u == "a" && hold)
        *limit = {Watch::CurrentBelow, value};
    else if (u == "ma" && hold)
        *limit = {Watch::CurrentBelow, value / 1000};
    else if (u == "mah")
        *limit = {Watch::CapacityAbove, value};
    else if (u == "ah")
        *limit = {Watch::CapacityAbove, value * 1000};
    else if (u == "wh")
        *limit = {Watch::EnergyAbove, value};
    else if (u == "°c" || u == "℃" || u == "c")
        *limit = {Watch::TemperatureAbove, value};
    else {
        *why = hold ? tr("a hold ends on a current (A or mA), a capacity, an energy or a "
                         "temperature")
                    : tr("a step ends on a voltage (V), a capacity (mAh, Ah), an energy (Wh) or "
                         "a temperature (°C)");
        return false;
    }
    return true;
}

bool parseTail(const QString &text, bool hold, bool needsEnd, Tail *tail, QString *why)
{
    static const QRegularExpression forOnly = pattern("for\\s+" + kNumber + "\\s*" + kDurationUnit);
    static const QRegularExpression untilOnly =
        pattern("until\\s+" + kNumber + "\\s*(v|a|ma|mah|ah|wh|°c|℃|c)");
    static const QRegularExpression both = pattern("for\\s+" + kNumber + "\\s*" + kDurationUnit +
                                                   "\\s+or\\s+until\\s+" + kNumber +
                                                   "\\s*(v|a|ma|mah|ah|wh|°c|℃|c)");
    const QString t = text.trimmed();
    if (t.isEmpty() && !needsEnd)
        return true;
    QRegularExpressionMatch m;
    if ((m = both.match(t)).hasMatch()) {
        tail->seconds = secondsOf(m.captured(1).toDouble(), m.captured(2));
        tail->hasLimit = true;
        return parseCondition(m.captured(3), m.captured(4), hold, &tail->limit, why) &&
               (tail->seconds > 0 || (*why = tr("a duration must be above zero"), false));
    }
    if ((m = forOnly.match(t)).hasMatch()) {
        tail->seconds = secondsOf(m.captured(1).toDouble(), m.captured(2));
        if (tail->seconds <= 0) {
            *why = tr("a duration must be above zero");
            return false;
        }
        return true;
    }
    if ((m = untilOnly.match(t)).hasMatch()) {
        tail->hasLimit = true;
        return parseCondition(m.captured(1), m.captured(2), hold, &tail->limit, why);
    }
    *why = tr("expected \"for DURATION\", \"until CONDITION\" or both joined by \"or\"");
    return false;
}

bool parseStopWhen(const QString &conditions, QVector<Limit> *limits, QString *why)
{
    static const QRegularExpression one =
        pattern("(voltage|current|temperature)\\s+(below|above)\\s+" + kNumber +
                "\\s*(v|a|ma|°c|℃|c)");
    for (const QString &part :
         conditions.split(QRegularExpression("\\s+or\\s+", QRegularExpression::CaseInsensitiveOption))) {
        const QRegularExpressionMatch m = one.match(part.trimmed());
        if (!m.hasMatch()) {
            *why = tr("expected \"voltage|current|temperature below|above NUMBER UNIT\"");
            return false;
        }
        const QString what = m.captured(1).toLower(), unit = m.captured(4).toLower();
        const bool below = m.captured(2).toLower() == "below";
        double value = m.captured(3).toDouble();
        if (what == "voltage" && unit == "v")
            limits->append({below ? Watch::VoltageBelow : Watch::VoltageAbove, value});
        else if (what == "current" && (unit == "a" || unit == "ma"))
            limits->append({below ? Watch::CurrentBelow : Watch::CurrentAbove,
                            unit == "ma" ? value / 1000 : value});
        else if (what == "temperature" && !below && unit != "v" && unit != "a" && unit != "ma")
            limits->append({Watch::TemperatureAbove, value});
        else {
            *why = tr("the unit does not fit what is watched");
            return false;
        }
    }
    return true;
}

// One step line (not a repeat or stop line).
bool parseStep(const QString &line, Step *step, QString *why)
{
    static const QRegularExpression discharge =
        pattern("discharge\\s+at\\s+" + kNumber + "\\s*(a|ma|w|mw|ohms?|Ω)(?:\\s+(.*))?");
    static const QRegularExpression hold = pattern("hold\\s+at\\s+" + kNumber + "\\s*v(?:\\s+(.*))?");
    static const QRegularExpression rest = pattern("rest(?:\\s+(.*))?");
    static const QRegularExpression resistance =
        pattern("measure\\s+resistance\\s+at\\s+" + kNumber + "\\s*(a|ma)\\s+for\\s+" + kNumber +
                "\\s*" + kDurationUnit + "\\s+then\\s+" + kNumber + "\\s*(a|ma)\\s+for\\s+" +
                kNumber + "\\s*" + kDurationUnit);
    QRegularExpressionMatch m;
    Tail tail;
    if ((m = discharge.match(line)).hasMatch()) {
        const QString unit = m.captured(2).toLower();
        double value = m.captured(1).toDouble();
        if (unit.startsWith('m'))
            value /= 1000;
        step->mode = unit.endsWith('a')   ? proto::ModeConstantCurrent
                     : unit.endsWith('w') ? proto::ModeConstantPower
                                          : proto::ModeConstantResistance;
        step->setPoint = value;
        if (!parseTail(m.captured(3), false, true, &tail, why))
            return false;
    } else if ((m = hold.match(line)).hasMatch()) {
        step->mode = proto::ModeConstantVoltage;
        step->setPoint = m.captured(1).toDouble();
        if (!parseTail(m.captured(2), true, true, &tail, why))
            return false;
    } else if ((m = rest.match(line)).hasMatch()) {
        step->kind = Step::Kind::Rest;
        if (!parseTail(m.captured(1), false, true, &tail, why))
            return false;
    } else if ((m = resistance.match(line)).hasMatch()) {
        step->kind = Step::Kind::MeasureResistance;
        const auto amps = [&m](int n) {
            return m.captured(n).toDouble() / (m.captured(n + 1).toLower() == "ma" ? 1000 : 1);
        };
        step->setPoint = amps(1);
        step->seconds = secondsOf(m.captured(3).toDouble(), m.captured(4));
        step->secondSetPoint = amps(5);
        step->secondSeconds = secondsOf(m.captured(7).toDouble(), m.captured(8));
        if (step->seconds <= 0 || step->secondSeconds <= 0) {
            *why = tr("a duration must be above zero");
            return false;
        }
        if (step->setPoint == step->secondSetPoint) {
            *why = tr("the two currents must differ");
            return false;
        }
        return true;
    } else {
        *why = tr("unknown step; expected Discharge, Hold, Rest, Measure resistance, Repeat or "
                  "Stop when");
        return false;
    }
    if (step->kind == Step::Kind::Load && !(step->setPoint > 0)) {
        *why = tr("the set-point must be above zero");
        return false;
    }
    step->seconds = tail.seconds;
    step->hasLimit = tail.hasLimit;
    step->limit = tail.limit;
    return true;
}

} // namespace

double Plan::lowestVoltage() const
{
    double lowest = 0;
    const auto note = [&lowest](const Limit &l) {
        if (l.watch == Watch::VoltageBelow && (lowest == 0 || l.value < lowest))
            lowest = l.value;
    };
    for (const Limit &l : stopWhen)
        note(l);
    for (const Step &s : steps)
        if (s.hasLimit)
            note(s.limit);
    return lowest;
}

bool parsePlan(const QString &text, Plan *plan, QString *error)
{
    static const QRegularExpression repeat = pattern("repeat\\s+(\\d+)\\s+times?\\s*:");
    static const QRegularExpression stopWhen = pattern("stop\\s+when\\s+(.+)");
    Plan result;
    result.text = text;
    QVector<Step> block; // the steps of the repeat being read
    int repeatCount = 0, repeatLine = 0;
    const auto closeBlock = [&]() -> bool {
        if (repeatLine == 0)
            return true;
        if (block.isEmpty()) {
            *error = tr("line %1: the repeat has no indented steps").arg(repeatLine);
            return false;
        }
        for (int i = 0; i < repeatCount; ++i)
            result.steps += block;
        block.clear();
        repeatLine = 0;
        return true;
    };
    const QStringList lines = text.split('\n');
    for (int n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        const int hash = line.indexOf('#');
        if (hash >= 0)
            line.truncate(hash);
        if (line.trimmed().isEmpty())
            continue;
        const bool indented = line.at(0).isSpace();
        line = line.trimmed();
        const auto fail = [&](const QString &why) {
            *error = tr("line %1: %2").arg(n + 1).arg(why);
            return false;
        };
        if (!indented && !closeBlock())
            return false;
        if (indented && repeatLine == 0)
            return fail(tr("an indented line belongs under \"Repeat N times:\""));
        QRegularExpressionMatch m;
        if ((m = repeat.match(line)).hasMatch()) {
            if (indented)
                return fail(tr("a repeat cannot hold another repeat"));
            repeatCount = m.captured(1).toInt();
            if (repeatCount < 1 || repeatCount > 10000)
                return fail(tr("repeat 1 to 10000 times"));
            repeatLine = n + 1;
            continue;
        }
        if ((m = stopWhen.match(line)).hasMatch()) {
            if (indented)
                return fail(tr("\"Stop when\" holds for the whole plan: write it unindented"));
            QString why;
            if (!parseStopWhen(m.captured(1), &result.stopWhen, &why))
                return fail(why);
            continue;
        }
        Step step;
        QString why;
        if (!parseStep(line, &step, &why))
            return fail(why);
        step.line = n + 1;
        step.text = line;
        (indented ? block : result.steps).append(step);
    }
    if (!closeBlock())
        return false;
    if (result.steps.isEmpty()) {
        *error = tr("the plan has no steps");
        return false;
    }
    *plan = result;
    return true;
}

} // namespace plan
