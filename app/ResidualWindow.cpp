#include "ResidualWindow.h"

#include "CsvRow.h"
#include "Exception.h"
#include "FitResiduals.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "Series.h"

#include <cmath>
#include <sstream>

std::vector<TResidual> FitResiduals(TCompiledModel& model, const TObservedData& data,
                                    const TFitOptions& options, const TFitResult& result) {
    TResidualOptions residualOptions;
    residualOptions.n1 = options.n1;
    residualOptions.n2 = options.n2;
    residualOptions.logarithms = options.logarithms;
    residualOptions.relTol = options.relTol;
    TFitResiduals residuals(model, data, options.unknowns, residualOptions);
    std::vector<double> x;
    for (const TFitEstimate& e : result.estimates)
        x.push_back(e.value);
    if (x.size() != residuals.Unknowns()) throw Exception("The fit does not match its model");
    std::vector<double> values(residuals.Count());
    if (!residuals.Evaluate(x.data(), values.data(), nullptr)) throw Exception(residuals.Why());
    std::vector<TResidual> out;
    std::size_t cell = 0;
    for (std::size_t row = 0; row < data.Rows(); ++row)
        for (int species : {1, 2}) {
            const double observed = species == 1 ? data.n1[row] : data.n2[row];
            if (std::isnan(observed) || cell >= values.size()) continue;
            out.push_back({data.t[row], species, values[cell++]});
        }
    return out;
}

TResidualWindow::TResidualWindow(std::vector<TResidual> residuals, bool logarithms, TColor n1Color,
                                 TColor n2Color, QWidget* parent)
    : TGraphWindow(QStringLiteral("Residuals"), QStringLiteral("Residuals of the fit"), {560, 400},
                   QStringLiteral("Time"),
                   logarithms ? QStringLiteral("ln model \u2212 ln observed")
                              : QStringLiteral("Model \u2212 observed"),
                   QStringLiteral("Residuals against time"), parent),
      residuals_(std::move(residuals)) {
    for (int species : {1, 2}) {
        TSeries& s = PlotGraph1->GetSeries(species);
        s.SetPointLimit(0);
        s.SetSeriesName(species == 1 ? QStringLiteral("N1") : QStringLiteral("N2"));
        s.SetShowLine(false);
        s.SetShowPoints(true);
        s.SetFillPoints(true);
        s.SetPointShape(species == 1 ? sh_Circle : sh_Square);
        s.SetPointSize(4);
        s.SetLineColor(species == 1 ? n1Color : n2Color);
        s.SetPointColor(species == 1 ? n1Color : n2Color);
        s.SetShowInLegend(le_NameSymbol);
        for (const TResidual& r : residuals_)
            if (r.species == species) s.AddPoint(r.t, r.value);
    }
    PlotGraph1->Legend().setVisible(true);
    PlotGraph1->SetPlotting(true);
}

std::string TResidualWindow::DataCsv() const {
    std::ostringstream out;
    out << CsvRow({"t", "species", "residual"});
    for (const TResidual& r : residuals_)
        out << CsvRow({CsvNumber(r.t), r.species == 1 ? "N1" : "N2", CsvNumber(r.value)});
    return out.str();
}
