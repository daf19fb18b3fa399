// RefreshHexView of the whole 64 KiB image followed by the repaint of the rows in view, on a
// window already shown (offscreen platform unless another is chosen).
#include "foundation/AppState.h"
#include "gui/hexeditor/RefreshHexView.h"
#include "gui/hexeditor/THexEditor.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace orvane;

void RefreshAndRepaint(benchmark::State& state)
{
    auto image = std::make_unique<AppState>();
    for (int a = 0; a < kImageSize; ++a)
        image->RomImage[a] = static_cast<std::uint8_t>(a * 13);
    THexEditor editor;
    editor.resize(600, 420); // the main window's hex area at its minimum size
    editor.show();
    QApplication::processEvents();
    editor.SetRow(0x7D0);
    editor.SetCol(2);
    for (auto _ : state) {
        RefreshHexView(editor, *image);
        editor.viewport()->repaint();
    }
    state.counters["rows"] = editor.VisibleRowCount();
}
BENCHMARK(RefreshAndRepaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
