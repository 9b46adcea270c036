#pragma once
// The program's demo option: one text that describes a simulated bus.
//
// Grammar (case-insensitive keywords, parts separated by ';' or '+', blanks around parts ignored):
//
//   option   := "" | part { (';' | '+') part }
//   part     := instruments | setting
//   instruments := [model] [':' address {',' address}]
//                  model: HK07 HK09 MR310 MR820 (HK07 family), NV05 NV15 NV17 (NV05 family);
//                  omitted model = HK07, omitted addresses = 1. Several such parts put several
//                  models on the bus; the first address of the first part is the master.
//   setting  := key '=' value | flag
//
// Bus settings:
//   speed=<x>        simulated seconds per wall second (>= 0; 0 = manual clock)
//   seed=<n>         seed of every random choice (noise, faults)
//   latency=<ms>     delay before a reply becomes readable (0..10000)
//   fullspeed=<0|1>  pace reports like a full-speed USB link (one per ms each way)
//   maker=<text>  serial=<text>  version=<text>   the USB strings
//   unplugged        start with the device unplugged
// Settings applied to every instrument:
//   source=battery|bench    what the load draws from (default battery)
//   capacity=<mAh>  ri=<ohm>  cells=<n>  soc=<percent>       the battery
//   supply=<V> (implies source=bench)  limit=<A>             the bench supply
//   ambient=<deg C>  probe=<0|1>
//   run=<start>,<seconds>[,<A>]  someone switches the load on at <start> simulated seconds
//                    (constant current, default 1 A) and off <seconds> later
//
// Examples: ""  (HK07 at 1);  "NV05";  "HK09:2,5" (addresses 2 and 5, 2 is the master);
//           "HK07;speed=10;capacity=2600";  "MR310:1+HK07:3+supply=12+limit=3";
//           "HK07;run=5,60,2" (a one-minute run at 2 A, five seconds in).

#include "sim/sim_config.h"

namespace sim {

// Fills `out` (starting from defaults) from `text`. On bad input returns false and, when
// `error` is given, a short English explanation naming the offending part.
bool parseDemoOption(const QString &text, BusConfig &out, QString *error = nullptr);

} // namespace sim
