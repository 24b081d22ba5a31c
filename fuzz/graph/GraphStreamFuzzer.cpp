// Arbitrary bytes read as a graph settings stream. A read either fails with
// one of the program's errors or succeeds; a graph that was read must write
// out a stream that reads back with the same series points and marks. (The
// settings may differ: the full draw after a read rescales auto-sized axes,
// and a time axis without data ends at the current time.)
#include "Exception.h"
#include "GraphStream.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QApplication>
#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray Save(const TPlotGraph& graph) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    graph.SaveToStream(out, true);
    return out.data();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QBuffer in;
    in.setData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    in.open(QIODevice::ReadOnly);
    TPlotGraph graph;
    try {
        graph.LoadFromStream(in);
    } catch (const Exception&) {
        return 0;
    }
    const QByteArray written = Save(graph);
    QBuffer again;
    again.setData(written);
    again.open(QIODevice::ReadOnly);
    TPlotGraph copy;
    try {
        copy.LoadFromStream(again);
    } catch (const EGraphStreamError&) {
        std::abort(); // the graph cannot read what it wrote
    } catch (const EConvertError&) {
        std::abort();
    } catch (const Exception&) {
        // Drawing after the read may fail on a range the data forces.
    }
    const auto& a = graph.SeriesList();
    const auto& b = copy.SeriesList();
    if (a.size() != b.size() || graph.Marks() != copy.Marks()) std::abort();
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto& p = a[i]->Points();
        const auto& q = b[i]->Points();
        if (p.size() != q.size()) std::abort();
        for (std::size_t k = 0; k < p.size(); ++k)
            if (p[k].X != q[k].X || p[k].Y != q[k].Y) std::abort();
    }
    return 0;
}
