// Replay of each drawing panel with every figure layer set: the cost of one repaint of a panel at
// the end of the walkthrough, when it carries the most. Each iteration is what a repaint does: paint
// the panel white, reset font and brush, run the panel's paint handler.
#include "figures/canvas.h"
#include "figures/figures.h"

#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

namespace {

struct TPanels {
    QImage ElementImage{240, 240, QImage::Format_RGB32};
    QImage DiagramImage{400, 400, QImage::Format_RGB32};
    mohr::TCanvas Element{&ElementImage, {240, 240}};
    mohr::TCanvas Diagram{&DiagramImage, {400, 400}};
    mohr::TFigures Figures{Element, Diagram};
    mohr::TCanvasFont PanelFont;

    TPanels() {
        ElementImage.fill(Qt::white);
        DiagramImage.fill(Qt::white);
        Figures.CreateSaveSlot();
        Figures.SetElementOptions(true);
        Figures.SetAllLayers(true);
    }
};

void BM_ReplayElementPanel(benchmark::State& state) {
    TPanels panels;
    for (auto _ : state) {
        panels.Element.EraseForRepaint(panels.PanelFont);
        panels.Figures.PaintBox2Paint();
        benchmark::DoNotOptimize(panels.ElementImage.constBits());
    }
}
BENCHMARK(BM_ReplayElementPanel)->Unit(benchmark::kMicrosecond);

void BM_ReplayDiagramPanel(benchmark::State& state) {
    TPanels panels;
    for (auto _ : state) {
        panels.Diagram.EraseForRepaint(panels.PanelFont);
        panels.Figures.PaintBox1Paint();
        benchmark::DoNotOptimize(panels.DiagramImage.constBits());
    }
}
BENCHMARK(BM_ReplayDiagramPanel)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // Fonts and text need the GUI application; the offscreen platform is enough.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
