#include "FitResiduals.h"

#include "CvodeFlag.h"
#include "Equilibria.h"
#include "ExactJacobian.h"
#include "Exception.h"
#include "FloatText.h"

#include <cvodes/cvodes.h>
#include <cvodes/cvodes_ls.h>
#include <sunlinsol/sunlinsol_dense.h>
#include <sunmatrix/sunmatrix_dense.h>
#include <sunnonlinsol/sunnonlinsol_fixedpoint.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {

// The most internal steps between two rows: a trial point whose orbit needs
// more is a bad step, not a wait.
constexpr long kMaxSteps = 50000;

// A vector array of the library's, freed with it.
class TSunVectorArray {
public:
    TSunVectorArray(int count, N_Vector like) : count_(count) {
        if (count_ > 0) {
            vectors_ = N_VCloneVectorArray(count_, like);
            if (!vectors_) throw std::bad_alloc();
        }
    }
    ~TSunVectorArray() {
        if (vectors_) N_VDestroyVectorArray(vectors_, count_);
    }
    TSunVectorArray(const TSunVectorArray&) = delete;
    TSunVectorArray& operator=(const TSunVectorArray&) = delete;
    N_Vector* Get() const { return vectors_; }
    double* Data(int i) const { return NV_DATA_S(vectors_[i]); }

private:
    int count_;
    N_Vector* vectors_ = nullptr;
};

} // namespace

TFitResiduals::TFitResiduals(TCompiledModel& model, const TObservedData& data,
                             std::vector<TFitUnknown> unknowns, const TResidualOptions& options)
    : model_(model), unknowns_(std::move(unknowns)), options_(options) {
    if (!model_.HasDerivatives()) throw Exception(kNoDerivatives);
    for (std::size_t row = 0; row < data.Rows(); ++row) {
        times_.push_back(data.t[row] - data.t[0]);
        for (int species = 0; species < 2; ++species) {
            const double observed = (species == 0 ? data.n1 : data.n2)[row];
            if (std::isnan(observed)) continue;
            if (options_.logarithms && !(observed > 0))
                throw Exception(FormatMessage(
                    "Residuals of logarithms need counts above 0: N%s is %s at time %s",
                    {std::to_string(species + 1), FloatToText(observed),
                     FloatToText(data.t[row])}));
            cells_.push_back({row, species, options_.logarithms ? std::log(observed) : observed});
        }
    }
    if (cells_.empty()) throw Exception("The data hold no observed counts");
    scale_ = std::max(data.Largest(), 1e-300);
    SUNContext context = nullptr;
    if (SUNContext_Create(nullptr, &context) != 0) throw std::bad_alloc();
    context_.reset(context);
}

TFitResiduals::~TFitResiduals() = default;

bool TFitResiduals::Evaluate(const double* x, double* residuals, double* jacobian) {
    // The minimiser asks for the residuals at a trial point, then, once it
    // takes the step, for them and the Jacobian there: one integration with
    // the sensitivities serves both.
    const std::size_t n = unknowns_.size();
    if (!(integratedAt_.size() == n && std::equal(x, x + n, integratedAt_.begin()))) {
        integratedAt_.clear();
        why_.clear();
        if (!Integrate(x, true)) return false;
        integratedAt_.assign(x, x + n);
    }
    const std::size_t k = unknowns_.size();
    const std::size_t width = 2 + 2 * k;
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        const TCell& cell = cells_[i];
        const double* state = &states_[cell.row * width];
        const double model = state[cell.species];
        if (options_.logarithms && !(model > 0)) {
            why_ = FormatMessage("N%s reaches 0", {std::to_string(cell.species + 1)});
            return false;
        }
        residuals[i] = (options_.logarithms ? std::log(model) : model) - cell.observed;
        if (jacobian)
            for (std::size_t j = 0; j < k; ++j) {
                const double s = state[2 + 2 * j + std::size_t(cell.species)];
                jacobian[i * k + j] = options_.logarithms ? s / model : s;
            }
    }
    return true;
}

bool TFitResiduals::Integrate(const double* x, bool sensitivities) {
    const int k = int(unknowns_.size());
    const std::size_t width = 2 + 2 * std::size_t(k);
    double n1 = options_.n1, n2 = options_.n2;
    for (int j = 0; j < k; ++j) {
        const TFitUnknown& u = unknowns_[std::size_t(j)];
        if (u.kind == TFitUnknown::TKind::Parameter)
            model_.SetParameter(u.parameter, x[j]);
        else
            (u.kind == TFitUnknown::TKind::N1 ? n1 : n2) = x[j];
    }
    jacobianValid_ = false;
    states_.assign(times_.size() * width, 0);
    states_[0] = n1;
    states_[1] = n2;
    for (int j = 0; j < k; ++j) {
        const TFitUnknown::TKind kind = unknowns_[std::size_t(j)].kind;
        states_[2 + 2 * std::size_t(j)] = kind == TFitUnknown::TKind::N1 ? 1 : 0;
        states_[3 + 2 * std::size_t(j)] = kind == TFitUnknown::TKind::N2 ? 1 : 0;
    }
    if (times_.size() == 1) return true;
    // Adams' method: counts that rise and fall smoothly, its high orders
    // take the fewest steps; a trial point it cannot integrate (stiff, far
    // from the data) is tried with the stiff method before it is given up.
    return Solve(x, n1, n2, sensitivities, false) || Solve(x, n1, n2, sensitivities, true);
}

bool TFitResiduals::Solve(const double* x, double n1, double n2, bool sensitivities, bool stiff) {
    const int k = int(unknowns_.size());
    const std::size_t width = 2 + 2 * std::size_t(k);
    // A fresh integrator each time: the unknowns move the whole problem, and
    // the set-up costs little beside an orbit through every row.
    TSunVector y(N_VNew_Serial(2, context_.get()));
    if (!y) throw std::bad_alloc();
    NV_DATA_S(y.get())[0] = n1;
    NV_DATA_S(y.get())[1] = n2;
    TSunMatrix matrix(SUNDenseMatrix(2, 2, context_.get()));
    if (!matrix) throw std::bad_alloc();
    TSunLinearSolver solver(SUNLinSol_Dense(y.get(), matrix.get(), context_.get()));
    if (!solver) throw std::bad_alloc();
    TSunMemory<CVodeFree> memory(CVodeCreate(stiff ? CV_BDF : CV_ADAMS, context_.get()));
    void* mem = memory.get();
    if (!mem) throw std::bad_alloc();
    const double absTol = options_.relTol * 1e-3 * scale_;
    const auto set = [](int flag) {
        if (flag < 0)
            throw Exception(
                FormatMessage("The integrator refused its set-up: %s", {CvodeFlagReason(flag)}));
    };
    set(CVodeSetErrHandlerFn(
        mem, [](int, const char*, const char*, char*, void*) {}, nullptr));
    set(CVodeInit(mem, Rhs, 0, y.get()));
    set(CVodeSetUserData(mem, this));
    set(CVodeSStolerances(mem, options_.relTol, absTol));
    set(CVodeSetMaxNumSteps(mem, kMaxSteps));
    // Adams' nonstiff steps converge by fixed-point iteration, without the
    // Jacobian's factorisation; the stiff method needs Newton's.
    TSunNonlinearSolver fixedPoint;
    if (stiff) {
        set(CVodeSetLinearSolver(mem, solver.get(), matrix.get()));
        set(CVodeSetJacFn(mem, Jacobian));
    } else {
        fixedPoint.reset(SUNNonlinSol_FixedPoint(y.get(), 0, context_.get()));
        if (!fixedPoint) throw std::bad_alloc();
        set(CVodeSetNonlinearSolver(mem, fixedPoint.get()));
    }

    TSunNonlinearSolver sensFixedPoint;
    const int ns = sensitivities ? k : 0;
    TSunVectorArray s(ns, y.get());
    std::vector<double> scales;
    if (ns > 0) {
        for (int j = 0; j < k; ++j) {
            double* sj = s.Data(j);
            sj[0] = states_[2 + 2 * std::size_t(j)];
            sj[1] = states_[3 + 2 * std::size_t(j)];
            scales.push_back(x[j] != 0 ? std::fabs(x[j]) : 1);
        }
        set(CVodeSensInit1(mem, ns, CV_STAGGERED, SensitivityRhs, s.Get()));
        if (!stiff) {
            sensFixedPoint.reset(SUNNonlinSol_FixedPointSens(ns, y.get(), 0, context_.get()));
            if (!sensFixedPoint) throw std::bad_alloc();
            set(CVodeSetNonlinearSolverSensStg(mem, sensFixedPoint.get()));
        }
        set(CVodeSetSensParams(mem, nullptr, scales.data(), nullptr));
        set(CVodeSensEEtolerances(mem));
        // The sensitivities ride on the states' steps: they are as smooth,
        // and steps sized for them too would only be shorter.
        set(CVodeSetSensErrCon(mem, SUNFALSE));
    }

    for (std::size_t row = 1; row < times_.size(); ++row) {
        double reached = 0;
        why_.clear();
        const int flag = CVode(mem, times_[row], y.get(), &reached, CV_NORMAL);
        if (flag < 0) {
            if (why_.empty()) why_ = CvodeFlagReason(flag);
            return false;
        }
        double* state = &states_[row * width];
        state[0] = NV_DATA_S(y.get())[0];
        state[1] = NV_DATA_S(y.get())[1];
        if (ns > 0) {
            if (CVodeGetSens(mem, &reached, s.Get()) < 0) return false;
            for (int j = 0; j < k; ++j) {
                state[2 + 2 * j] = s.Data(j)[0];
                state[3 + 2 * j] = s.Data(j)[1];
            }
        }
        for (std::size_t i = 0; i < width; ++i)
            if (!std::isfinite(state[i])) {
                why_ = "the densities are not finite";
                return false;
            }
    }
    return true;
}

int TFitResiduals::Rhs(double, N_Vector y, N_Vector ydot, void* self) noexcept {
    auto* fit = static_cast<TFitResiduals*>(self);
    const double* state = NV_DATA_S(y);
    double* rate = NV_DATA_S(ydot);
    try {
        fit->model_.Rates(state[0], state[1], rate[0], rate[1]);
        // Retried smaller by the library; the reason only if it gives up.
        if (std::isfinite(rate[0] + rate[1])) return 0;
        fit->why_ = "the rates are not finite";
    } catch (const std::exception& e) {
        fit->why_ = e.what();
    }
    return 1;
}

int TFitResiduals::SensitivityRhs(int, double, N_Vector y, N_Vector, int is, N_Vector ys,
                                  N_Vector ysdot, void* self, N_Vector, N_Vector) noexcept {
    auto* fit = static_cast<TFitResiduals*>(self);
    const double* state = NV_DATA_S(y);
    const double* s = NV_DATA_S(ys);
    double* sdot = NV_DATA_S(ysdot);
    try {
        // Every unknown's equations share the Jacobian at one state.
        if (!fit->jacobianValid_ || fit->jacobianAt_[0] != state[0] ||
            fit->jacobianAt_[1] != state[1]) {
            const TJacobian j = fit->model_.Jacobian(state[0], state[1]).jacobian;
            fit->jacobian_[0] = j.d1dN1;
            fit->jacobian_[1] = j.d1dN2;
            fit->jacobian_[2] = j.d2dN1;
            fit->jacobian_[3] = j.d2dN2;
            fit->jacobianAt_[0] = state[0];
            fit->jacobianAt_[1] = state[1];
            fit->jacobianValid_ = true;
        }
        const double* J = fit->jacobian_;
        sdot[0] = J[0] * s[0] + J[1] * s[1];
        sdot[1] = J[2] * s[0] + J[3] * s[1];
        const TFitUnknown& u = fit->unknowns_[std::size_t(is)];
        if (u.kind == TFitUnknown::TKind::Parameter) {
            const std::array<double, 2> dp =
                fit->model_.ParameterDerivative(u.parameter, state[0], state[1]);
            sdot[0] += dp[0];
            sdot[1] += dp[1];
        }
        if (std::isfinite(sdot[0] + sdot[1])) return 0;
        fit->why_ = "the sensitivities are not finite";
    } catch (const std::exception& e) {
        fit->why_ = e.what();
    }
    return 1;
}

int TFitResiduals::Jacobian(double, N_Vector y, N_Vector, SUNMatrix J, void* self, N_Vector,
                            N_Vector, N_Vector) noexcept {
    auto* fit = static_cast<TFitResiduals*>(self);
    try {
        return ExactJacobian(fit->model_, NV_DATA_S(y), J);
    } catch (const std::exception& e) {
        fit->why_ = e.what();
        return 1;
    }
}
