#include "exporter/interrupts.h"

#include <QByteArray>
#include <QtGlobal>

#include <csignal>
#include <ctime>

namespace mohr {

namespace {

volatile std::sig_atomic_t interrupt = 0;

constexpr int Interrupting[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void Remember(int signal) {
    if (interrupt == 0)
        interrupt = signal;
}

sigset_t InterruptingSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : Interrupting)
        sigaddset(&set, signal);
    return set;
}

} // namespace

void CatchInterrupts() {
    struct sigaction action {};
    action.sa_handler = Remember;
    sigemptyset(&action.sa_mask);
    for (const int signal : Interrupting)
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int InterruptSignal() {
    return interrupt;
}

int InterruptStatus(int signal) {
    return 128 + signal;
}

const char* InterruptName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

TInterruptsHeld::TInterruptsHeld() {
    const sigset_t set = InterruptingSet();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

TInterruptsHeld::~TInterruptsHeld() {
    const sigset_t set = InterruptingSet();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void HoldForTest(int stepNumber) {
    static bool held = false;
    const QByteArray hold = qgetenv("MOHRWALK_FIGURES_HOLD_AFTER_STEP");
    if (held || hold.isEmpty() || hold.toInt() != stepNumber)
        return;
    held = true;
    const timespec tick{0, 10 * 1000 * 1000};
    for (int i = 0; i < 6000 && interrupt == 0; ++i)
        nanosleep(&tick, nullptr);
}

} // namespace mohr
