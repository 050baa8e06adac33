#pragma once

namespace mohr {

// SIGINT, SIGTERM and SIGHUP end an export early: they are remembered, so that the export stops between
// two files and removes what it wrote. SIGPIPE is ignored: a closed standard output only loses the
// progress lines.
void CatchInterrupts();

// The signal that asked the export to stop, or 0.
int InterruptSignal();

// The exit status for an export ended by `signal`, as a shell reports it: 128 plus the signal number.
int InterruptStatus(int signal);

// "SIGINT", "SIGTERM" or "SIGHUP".
const char* InterruptName(int signal);

// While one exists, the interrupting signals wait: the finished figures are moved into place whole.
class TInterruptsHeld {
public:
    TInterruptsHeld();
    ~TInterruptsHeld();
    TInterruptsHeld(const TInterruptsHeld&) = delete;
    TInterruptsHeld& operator=(const TInterruptsHeld&) = delete;
};

// A test hook: with MOHRWALK_FIGURES_HOLD_AFTER_STEP set to a step's number (1 to 31), the export waits
// after that step of the first language until it is interrupted (at most a minute), so that a test can
// interrupt it in the middle without guessing at times.
void HoldForTest(int stepNumber);

} // namespace mohr
