#pragma once

#include "CompiledModel.h"
#include "ObservedData.h"
#include "SundialsHandles.h"

#include <cstddef>
#include <string>
#include <vector>

// What a fit estimates: one of the model's parameters (by index) or one of
// the initial densities, with the bounds it is held in.
struct TFitUnknown {
    enum class TKind { Parameter, N1, N2 };
    TKind kind = TKind::Parameter;
    std::size_t parameter = 0;
    double lower = 0, upper = 1;
};

// How the model is compared with the data.
struct TResidualOptions {
    // The initial densities that are not unknowns.
    double n1 = 1, n2 = 1;
    // Residuals of logarithms: counts that span orders of magnitude weigh
    // alike at their peaks and troughs.
    bool logarithms = false;
    double relTol = 1e-8;
};

// The residuals of a fit, model minus observation at every observed cell in
// row order (N1 before N2), and their exact Jacobian in the unknowns: the
// model integrated from the first row's time by CVODES' BDF with the exact
// Jacobian of the rates, and its forward sensitivities to every unknown from
// the exact derivatives of the rates in the densities and parameters. Sets
// the unknowns' values in the model it is given, so each thread needs a model
// of its own.
class TFitResiduals {
public:
    // Throws Exception when the data cannot be compared on logarithms (a
    // count at or below 0) or there are no observed cells.
    TFitResiduals(TCompiledModel& model, const TObservedData& data,
                  std::vector<TFitUnknown> unknowns, const TResidualOptions& options);
    ~TFitResiduals();
    TFitResiduals(const TFitResiduals&) = delete;
    TFitResiduals& operator=(const TFitResiduals&) = delete;

    std::size_t Count() const { return cells_.size(); }
    std::size_t Unknowns() const { return unknowns_.size(); }
    const std::vector<TFitUnknown>& UnknownList() const { return unknowns_; }

    // The residuals at the unknowns `x`, and, when `jacobian` is given, their
    // derivatives (row-major, a row per residual). False where the model
    // cannot be integrated through the data's time span (a fault in the
    // rates, a step too small) or, on logarithms, a density reaches 0: Why()
    // then says so.
    bool Evaluate(const double* x, double* residuals, double* jacobian);
    const std::string& Why() const { return why_; }

private:
    struct TCell {
        std::size_t row = 0;
        int species = 0;
        double observed = 0; // its logarithm on logarithms
    };

    static int Rhs(double t, N_Vector y, N_Vector ydot, void* self) noexcept;
    static int SensitivityRhs(int ns, double t, N_Vector y, N_Vector ydot, int is, N_Vector ys,
                              N_Vector ysdot, void* self, N_Vector, N_Vector) noexcept;
    static int Jacobian(double t, N_Vector y, N_Vector fy, SUNMatrix J, void* self, N_Vector,
                        N_Vector, N_Vector) noexcept;
    bool Integrate(const double* x, bool sensitivities);
    // One integration from (n1, n2) by Adams' method or the stiff one.
    bool Solve(const double* x, double n1, double n2, bool sensitivities, bool stiff);

    TCompiledModel& model_;
    std::vector<TFitUnknown> unknowns_;
    TResidualOptions options_;
    std::vector<double> times_; // since the first row
    std::vector<TCell> cells_;
    double scale_ = 1; // of the counts, for the absolute tolerance
    std::string why_;
    // Per row: both densities, then per unknown both sensitivities.
    std::vector<double> states_;
    // Where states_ were integrated (with the sensitivities); empty when not.
    std::vector<double> integratedAt_;
    // The Jacobian at the state last asked for, shared by the sensitivities.
    double jacobianAt_[2] = {};
    double jacobian_[4] = {};
    bool jacobianValid_ = false;

    TSunContext context_;
};
