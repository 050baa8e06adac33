// The 31 clicks of the walkthrough, one at a time, on the real main window (offscreen, with a
// platform that answers at once). A click is timed from the mouse press on the node to the end of
// the repaints it causes, the way a student waits for it. Each iteration restarts (untimed) and then
// clicks every step of the Dutch tree in order; the reported time is the mean of one click, and the
// counter worst_click_us the slowest of the 31 steps (each averaged over the iterations). The same two
// in processor time of this process (mean_click_cpu_us, worst_click_cpu_us) tell what the click costs
// when the machine is shared and wall time includes waiting for a core.
#include "main.h"
#include "quietplatform.h"
#include "walkthrough/progression.h"

#include <QApplication>
#include <QTest>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

constexpr int StepCount = 31;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void Settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void BM_WalkthroughClick(benchmark::State& state) {
    mohr::TQuietPlatform platform;
    mohr::TMainForm form(&platform);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) {
        state.SkipWithError("the main window was never shown");
        return;
    }
    auto* tree = form.findChild<QTreeWidget*>(QStringLiteral("TreeView1"));
    if (!tree) {
        state.SkipWithError("no TreeView1");
        return;
    }
    std::array<double, StepCount> total{};
    std::array<double, StepCount> cpu{};
    long rounds = 0;
    for (auto _ : state) {
        form.ResetWalkthrough();
        Settle();
        double round = 0;
        for (int i = 0; i < StepCount; ++i) {
            QTreeWidgetItem* node = mohr::NodeAt(tree, i);
            tree->scrollToItem(node);
            const QPoint centre = tree->visualItemRect(node).center();
            const double cpuStart = CpuSeconds();
            const auto start = std::chrono::steady_clock::now();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);
            Settle();
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            cpu[i] += CpuSeconds() - cpuStart;
            total[i] += seconds;
            round += seconds;
        }
        if (!mohr::IsMarked(mohr::NodeAt(tree, StepCount - 1))) {
            state.SkipWithError("the walkthrough did not reach its last step");
            return;
        }
        state.SetIterationTime(round / StepCount);
        ++rounds;
    }
    if (rounds > 0) {
        const double us = 1e6 / double(rounds);
        state.counters["worst_click_us"] = *std::max_element(total.begin(), total.end()) * us;
        state.counters["worst_click_cpu_us"] = *std::max_element(cpu.begin(), cpu.end()) * us;
        double cpuSum = 0;
        for (double c : cpu)
            cpuSum += c;
        state.counters["mean_click_cpu_us"] = cpuSum / StepCount * us;
        state.counters["worst_step"] = double(std::max_element(total.begin(), total.end()) - total.begin());
    }
}
BENCHMARK(BM_WalkthroughClick)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
