#pragma once

// Figures the program gives about its own timing, for the end-to-end tests to hold against their
// goals: a script that times the process from outside also counts how a busy machine schedules
// the script's own tools. Nothing is printed unless LUMORRA_TEST_REPORT is set in the
// environment; then each figure is one line on stderr, "lumorra: report: NAME: MS ms".

namespace host::test_report {

// The first request to quit in the process starts the quit's clock; later ones change nothing.
void QuitRequested();
// Reports the time from the quit request to now, as NAME; nothing when no quit was requested.
void SinceQuit(const char* name);
// Reports the time from the start of the process (its static initialisation) to now, as NAME.
void SinceStart(const char* name);

}  // namespace host::test_report
