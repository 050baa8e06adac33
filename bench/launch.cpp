// Runs one program once and prints "<milliseconds> <peak resident KiB> <processor milliseconds>": wall
// time from just before the fork to the child's exit, the child's own peak resident set and its user
// plus system time, both from wait4. Exits non-zero when
// the program fails, so a broken run is never counted.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        return 2;
    }
    if (child == 0) {
        execv(argv[1], argv + 1);
        std::perror("execv");
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("wait4");
        return 2;
    }
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s: failed (status %d)\n", argv[1], status);
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(end - start).count();
    const auto cpuMs = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) * 1e-3; };
    std::printf("%.3f %ld %.3f\n", ms, usage.ru_maxrss, cpuMs(usage.ru_utime) + cpuMs(usage.ru_stime));
    return 0;
}
