// Renders the README's picture of the integration methods: the prey density
// N1 of the predator-prey example, run by `--batch` with Euler and with rk45,
// drawn against time by the program's own graph.
//
//   render_methods_picture MODEL.ini OUT.png [STEPS]

#include "Appearance.h"
#include "Axis.h"
#include "BatchRun.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QApplication>
#include <QImage>

#include <iostream>
#include <sstream>
#include <string>

namespace {

// The batch run's CSV rows as points (t, N1) of one series.
bool AddRun(TSeries& series, const std::vector<std::string>& args) {
    std::ostringstream out, err;
    if (RunBatch(args, out, err) != 0) {
        std::cerr << err.str();
        return false;
    }
    std::istringstream rows(out.str());
    std::string row;
    std::getline(rows, row); // header
    while (std::getline(rows, row)) {
        const size_t first = row.find(','), second = row.find(',', first + 1);
        series.AddPoint(std::stod(row.substr(0, first)),
                        std::stod(row.substr(first + 1, second - first - 1)));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: render_methods_picture MODEL.ini OUT.png [STEPS]\n";
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string model = argv[1], steps = argc > 3 ? argv[3] : "10000";

    TPlotGraph graph;
    graph.resize(640, 420);
    graph.Appearance().SetBackgroundColor(clWhite);
    graph.Appearance().SetMarginColor(clWhite);
    graph.Appearance().SetGraphTitle(
        QStringLiteral("Prey density of the predator-prey example, time step 0.01"));
    graph.XAxis().SetTitle(QStringLiteral("Time"));
    graph.YAxis().SetTitle(QStringLiteral("Density, N1"));
    graph.XAxis().SetMin(0);
    graph.XAxis().SetMax(100);
    graph.YAxis().SetMin(0);
    graph.YAxis().SetMax(130);
    for (TAxis* axis : {&graph.XAxis(), &graph.YAxis()}) {
        axis->SetAutoSizing(false);
        axis->SetAutoStepping(true);
        axis->SetGridlines(true);
        axis->SetShowAxis(true);
    }
    graph.YAxis_Second().SetShowAxis(false);
    const struct {
        const char* method;
        const char* name;
        TColor color;
    } runs[] = {{"euler", "Euler", clRed}, {"rk45", "rk45 (RelTol 1E-6)", clBlue}};
    for (int i = 0; i < 2; ++i) {
        TSeries& s = graph.GetSeries(i + 1);
        s.SetSeriesName(QString::fromLatin1(runs[i].name));
        s.SetLineColor(runs[i].color);
        s.SetPointColor(runs[i].color);
        s.SetShowLine(true);
        s.SetLineStyle(0);
        s.SetShowPoints(false);
        s.SetShowInLegend(le_NameLineSymbol);
        s.SetPointLimit(0);
        if (!AddRun(s, {model, "--steps", steps, "--method", runs[i].method})) return 1;
    }
    TLegend& legend = graph.Legend();
    legend.setLeft(60);
    legend.setTop(30);
    legend.setWidth(260);
    legend.setBorderStyle(1);
    legend.setVisible(true);

    QImage picture(graph.size(), QImage::Format_RGB32);
    graph.DrawToBitmap(picture);
    if (!picture.save(QString::fromLocal8Bit(argv[2]))) {
        std::cerr << "cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
