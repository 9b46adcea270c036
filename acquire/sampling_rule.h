#pragma once
// When the 500 ms acquisition tick takes a sample: on odd ticks only (one sample a second), never
// during a bus scan; an NV05-family instrument (family 4) always, an HK07-family one (family 1)
// only while a run is active on both sides (the program's run and the instrument's load).

#include <QtGlobal>

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
        return s.familyCode == 1 || s.familyCode == 4;
    return s.familyCode == 4;
}
