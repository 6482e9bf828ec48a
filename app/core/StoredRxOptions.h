// What a settings file says about the trace, for both front ends: the window
// starts from these options and then follows its controls; the terminal
// front end takes them as they are. One function, so that the same
// Tamarik.ini gives the same trace and the same logs in both.
#pragma once

#include <string>

#include "core/RxOptions.h"

class TCodePages;
struct TSettingsValues;

// Every stored key the receive handler reads: the time stamps, side texts,
// signal and error display, sound, the line rules, the ports kept out of the
// logs, and the selected code page with its line-break, start and stop
// flags. workMode is the interface that runs (it decides whether the end
// time and the side texts apply); timeFmt is the trace's time format.
TRxOptions RxOptionsFromSettings(const TSettingsValues& values, const TCodePages& codePages, int workMode,
                                 std::string timeFmt);

// The demo's first start (no settings file yet): time stamps with
// milliseconds, the side text at the line start, a break at a change of
// direction and after a line feed, so that the simulated dialogue reads
// well. They become ordinary settings, stored at exit.
void ApplyDemoPresets(TSettingsValues& values, TCodePages& codePages);
