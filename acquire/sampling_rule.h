#pragma once
// When the 500 ms acquisition tick takes a sample: on odd ticks only (one sample a second), never
// during a bus scan; an NV05-family instrument always, an HK07-family one only while a run is
// active on both sides (the program's run and the instrument's load).

#include "protocol/vocabulary.h"

struct TickState
{
    quint32 tickCounter = 0;
    bool runActive = false;
    bool deviceRunning = false;
    quint8 familyCode = 0;
    bool scanBusy = false;
};

inline bool shouldSample(const TickState &s)
{
    if (s.scanBusy || (s.tickCounter & 1u) == 0)
        return false;
    if (s.runActive && s.deviceRunning)
        return proto::knownFamily(s.familyCode);
    return s.familyCode == proto::Nv05Family;
}
