#pragma once

#include "Color.h"
#include "Fit.h"
#include "GraphWindow.h"

#include <string>
#include <vector>

// One observed cell's residual: model minus observation (of logarithms when
// the fit compared those) at the data's time.
struct TResidual {
    double t = 0;
    int species = 1;
    double value = 0;
};

// The residuals of `result` (not an error) as `model` gives them with its
// estimates in place of its unknowns, in the data's row order, N1 before N2.
// The model is left with the estimates.
std::vector<TResidual> FitResiduals(TCompiledModel& model, const TObservedData& data,
                                    const TFitOptions& options, const TFitResult& result);

// A fit's residuals against time in a window of its own, N1's and N2's as
// points in the main window's colours; they export as t,species,residual.
class TResidualWindow : public TGraphWindow {
    Q_OBJECT

public:
    TResidualWindow(std::vector<TResidual> residuals, bool logarithms, TColor n1Color,
                    TColor n2Color, QWidget* parent = nullptr);

    const std::vector<TResidual>& Residuals() const { return residuals_; }

protected:
    std::string DataCsv() const override;

private:
    std::vector<TResidual> residuals_;
};
