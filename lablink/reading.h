#pragma once
// What the lab link publishes: one reading per sample, the run's events and a test plan's. Plain
// values, so the link does not depend on how samples are produced.

#include "protocol/vocabulary.h"

#include <QDateTime>
#include <QJsonObject>
#include <QMetaType>
#include <QString>

#include <array>

namespace lablink {

struct Reading
{
    QString instrument; // its name in the topics (payloads.h); empty: the link's current one
    QDateTime time;
    proto::SampleValues values{}; // in the family's units (proto::unitOf)
    quint8 family = proto::NoFamily;
    int workMode = 0;
    bool loadOn = false;    // the instrument's load
    bool recording = false; // this reading is a row of the run being recorded
};

// What the instrument says of itself, for the device block of the discovery messages.
struct DeviceInfo
{
    QString model;
    QString maker;    // the USB manufacturer string
    QString firmware; // the version in the USB product string
    quint8 family = proto::NoFamily;
};

struct RunEvent
{
    enum Kind
    {
        Started,
        Stopped,
        Saved,
        Interrupted,
        NotSaved
    };
    Kind kind = Started;
    QDateTime time;
    QString path;       // the data file, for Saved
    QString instrument; // as for Reading
    QString reason;     // why not, for NotSaved
};

// A test plan's progress: its start, each step's start and end, and its end with the results.
struct PlanEvent
{
    enum Kind
    {
        PlanStarted,
        StepStarted,
        StepEnded,
        PlanEnded
    };
    Kind kind = PlanStarted;
    QDateTime time;
    QString instrument;  // as for Reading
    QJsonObject details; // the step's number, text and reason; the plan's outcome and files
};

} // namespace lablink

Q_DECLARE_METATYPE(lablink::Reading)
Q_DECLARE_METATYPE(lablink::RunEvent)
Q_DECLARE_METATYPE(lablink::PlanEvent)
