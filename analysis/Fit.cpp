#include "Fit.h"

#include "Exception.h"
#include "FitStatistics.h"
#include "FloatText.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <numeric>
#include <random>
#include <system_error>
#include <thread>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The residuals as Ceres asks for them; a trial point that cannot be
// integrated is a step the minimiser turns down, not an error.
class TResidualCost final : public ceres::CostFunction {
public:
    TResidualCost(TFitResiduals& residuals, std::atomic<long long>& badSteps)
        : residuals_(residuals), badSteps_(badSteps) {
        set_num_residuals(int(residuals.Count()));
        mutable_parameter_block_sizes()->push_back(int(residuals.Unknowns()));
    }
    bool Evaluate(double const* const* parameters, double* residuals,
                  double** jacobians) const override {
        if (residuals_.Evaluate(parameters[0], residuals, jacobians ? jacobians[0] : nullptr))
            return true;
        ++badSteps_;
        return false;
    }

private:
    TFitResiduals& residuals_;
    std::atomic<long long>& badSteps_;
};

class TCancelCallback final : public ceres::IterationCallback {
public:
    explicit TCancelCallback(const std::atomic<bool>* cancel) : cancel_(cancel) {}
    ceres::CallbackReturnType operator()(const ceres::IterationSummary&) override {
        // Ends as a success, so that the point reached is handed back.
        return cancel_ && cancel_->load() ? ceres::SOLVER_TERMINATE_SUCCESSFULLY
                                          : ceres::SOLVER_CONTINUE;
    }

private:
    const std::atomic<bool>* cancel_;
};

// Where one start ended.
struct TStartEnd {
    std::vector<double> x;
    double ssr = HUGE_VAL;
    bool ran = false; // false: not even its start could be integrated
    bool converged = false;
    std::string why;
};

TStartEnd RunStart(TFitResiduals& residuals, std::vector<double> x,
                   const std::vector<TFitUnknown>& unknowns, const TFitOptions& options,
                   std::atomic<long long>& badSteps) {
    // A start that cannot be integrated is over before the minimiser sees
    // it (which would log its failure).
    TStartEnd end;
    std::vector<double> r(residuals.Count());
    if (!residuals.Evaluate(x.data(), r.data(), nullptr)) {
        ++badSteps;
        end.why = residuals.Why();
        return end;
    }
    TResidualCost cost(residuals, badSteps);
    TCancelCallback cancel(options.cancel);
    ceres::Problem::Options problemOptions;
    problemOptions.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
    ceres::Problem problem(problemOptions);
    problem.AddResidualBlock(&cost, nullptr, x.data());
    for (std::size_t j = 0; j < unknowns.size(); ++j) {
        problem.SetParameterLowerBound(x.data(), int(j), unknowns[j].lower);
        problem.SetParameterUpperBound(x.data(), int(j), unknowns[j].upper);
    }
    ceres::Solver::Options solverOptions;
    solverOptions.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
    solverOptions.linear_solver_type = ceres::DENSE_QR;
    solverOptions.max_num_iterations = 500;
    // A start ends where the cost or the step stops changing at about the
    // integration's accuracy: far finer than the estimates' errors.
    solverOptions.function_tolerance = 1e-12;
    solverOptions.gradient_tolerance = 1e-14;
    solverOptions.parameter_tolerance = std::max(1e-12, options.relTol * 1e-2);
    // Bad steps in a row only shrink the trust region; the start ends on the
    // tolerances or the iteration limit.
    solverOptions.max_num_consecutive_invalid_steps = 100;
    // So that the point reached is in x however the start ends.
    solverOptions.update_state_every_iteration = true;
    solverOptions.num_threads = 1;
    solverOptions.logging_type = ceres::SILENT;
    solverOptions.minimizer_progress_to_stdout = false;
    solverOptions.callbacks.push_back(&cancel);
    ceres::Solver::Summary summary;
    ceres::Solve(solverOptions, &problem, &summary);

    if (!residuals.Evaluate(x.data(), r.data(), nullptr)) {
        end.why = residuals.Why();
        return end;
    }
    end.ran = true;
    end.ssr = std::inner_product(r.begin(), r.end(), r.begin(), 0.0);
    end.x = std::move(x);
    end.converged = summary.termination_type == ceres::CONVERGENCE;
    if (summary.termination_type == ceres::USER_SUCCESS)
        end.why = "it was cancelled";
    else if (!end.converged)
        end.why = summary.message;
    return end;
}

std::string UnknownName(const TCompiledModel& model, const TFitUnknown& u) {
    switch (u.kind) {
    case TFitUnknown::TKind::N1:
        return "N1";
    case TFitUnknown::TKind::N2:
        return "N2";
    default:
        return model.ParameterName(u.parameter);
    }
}

// Options that cannot be fitted: a message, or empty.
std::string Refusal(const TCompiledModel& model, const TFitOptions& options, std::size_t points) {
    if (options.unknowns.empty()) return "Nothing to fit: no parameter or density is estimated";
    if (options.starts < 1) return "A fit needs at least one start";
    for (std::size_t j = 0; j < options.unknowns.size(); ++j) {
        const TFitUnknown& u = options.unknowns[j];
        if (u.kind == TFitUnknown::TKind::Parameter && u.parameter >= model.ParameterCount())
            return "No such parameter";
        const std::string name = UnknownName(model, u);
        if (!(u.lower < u.upper) || !std::isfinite(u.upper - u.lower))
            return FormatMessage("The bounds of '%s' are empty: %s to %s",
                                 {name, FloatToText(u.lower), FloatToText(u.upper)});
        for (std::size_t i = 0; i < j; ++i)
            if (UnknownName(model, options.unknowns[i]) == name)
                return FormatMessage("'%s' is estimated twice", {name});
    }
    if (points <= options.unknowns.size())
        return FormatMessage("The data hold %s observed counts for %s unknowns: a fit needs more "
                             "counts than unknowns",
                             {std::to_string(points), std::to_string(options.unknowns.size())});
    return "";
}

} // namespace

// Each unknown's range is cut into as many strata as there are starts after
// the first, each stratum drawn once.
std::vector<std::vector<double>> FitStarts(const TCompiledModel& model,
                                           const TFitOptions& options) {
    const std::size_t k = options.unknowns.size();
    const std::size_t count = std::size_t(options.starts);
    std::vector<std::vector<double>> starts(count, std::vector<double>(k));
    std::mt19937_64 random(options.seed);
    std::uniform_real_distribution<double> uniform(0, 1);
    for (std::size_t j = 0; j < k; ++j) {
        const TFitUnknown& u = options.unknowns[j];
        const double value = u.kind == TFitUnknown::TKind::Parameter ? model.Parameter(u.parameter)
                             : u.kind == TFitUnknown::TKind::N1      ? options.n1
                                                                     : options.n2;
        starts[0][j] = std::clamp(value, u.lower, u.upper);
        std::vector<std::size_t> strata(count - 1);
        std::iota(strata.begin(), strata.end(), 0);
        std::shuffle(strata.begin(), strata.end(), random);
        for (std::size_t s = 1; s < count; ++s)
            starts[s][j] = u.lower + (u.upper - u.lower) *
                                         (double(strata[s - 1]) + uniform(random)) /
                                         double(count - 1);
    }
    return starts;
}

TFitResult Fit(const TCompiledModel& model, const TObservedData& data, const TFitOptions& options) {
    TFitResult result;
    result.points = data.Points();
    result.error = Refusal(model, options, result.points);
    if (!result.error.empty()) return result;

    TResidualOptions residualOptions;
    residualOptions.n1 = options.n1;
    residualOptions.n2 = options.n2;
    residualOptions.logarithms = options.logarithms;
    residualOptions.relTol = options.relTol;
    const std::vector<std::vector<double>> starts = FitStarts(model, options);
    const int workers =
        std::min(options.starts, options.threads > 0
                                     ? options.threads
                                     : int(std::max(1u, std::thread::hardware_concurrency())));
    // One model and one residual set per worker, the first kept for the
    // statistics; cloned here, before any worker runs.
    std::vector<std::unique_ptr<TCompiledModel>> models;
    std::vector<std::unique_ptr<TFitResiduals>> residuals;
    try {
        for (int w = 0; w < workers; ++w) {
            models.push_back(model.Clone());
            residuals.push_back(std::make_unique<TFitResiduals>(*models.back(), data,
                                                                options.unknowns, residualOptions));
        }
    } catch (const std::exception& e) {
        result.error = e.what();
        return result;
    }

    std::atomic<int> next{0};
    std::atomic<long long> badSteps{0};
    std::mutex mutex; // guards what follows
    TStartEnd best;
    std::string lastFailure;
    const auto work = [&](TFitResiduals& own) {
        for (;;) {
            if (options.cancel && options.cancel->load()) return;
            const int i = next.fetch_add(1);
            if (i >= options.starts) return;
            TStartEnd end =
                RunStart(own, starts[std::size_t(i)], options.unknowns, options, badSteps);
            const std::lock_guard<std::mutex> lock(mutex);
            ++result.startsDone;
            if (!end.ran) {
                ++result.startsFailed;
                lastFailure = end.why;
            } else if (!best.ran || end.ssr < best.ssr) {
                best = std::move(end);
            }
            if (options.progress) options.progress(result.startsDone, best.ran ? best.ssr : kNaN);
        }
    };
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work, std::ref(*residuals[std::size_t(w)]));
        } catch (const std::system_error&) {
            break; // the others take its share
        }
    }
    work(*residuals[0]);
    for (std::thread& t : threads)
        t.join();
    result.badSteps = badSteps.load();
    result.cancelled = options.cancel && options.cancel->load();

    if (!best.ran) {
        result.error = result.startsDone == 0
                           ? std::string("The fit was cancelled before a start was done")
                           : FormatMessage("The model could not be integrated from any start: %s",
                                           {lastFailure});
        return result;
    }
    result.converged = best.converged;
    result.why = best.why;

    TFitResiduals& final = *residuals[0];
    const std::size_t n = final.Count(), k = final.Unknowns();
    std::vector<double> r(n), J(n * k);
    if (!final.Evaluate(best.x.data(), r.data(), J.data())) {
        result.error =
            FormatMessage("The model could not be integrated at the estimates: %s", {final.Why()});
        return result;
    }
    // J is only as good as the integration: singular values within a
    // thousand times its tolerance of the largest are no more than its error.
    const TFitStatistics stats = FitStatistics(r, J, best.x, std::max(1e3 * options.relTol, 1e-12));
    const double t = StudentQuantile(0.975, double(n) - double(k));
    for (std::size_t j = 0; j < k; ++j) {
        TFitEstimate e;
        e.name = UnknownName(model, options.unknowns[j]);
        e.value = best.x[j];
        e.identifiable = stats.identifiable[j];
        e.standardError = stats.standardError[j];
        e.lower95 = e.value - t * e.standardError;
        e.upper95 = e.value + t * e.standardError;
        result.estimates.push_back(e);
    }
    result.correlation = stats.correlation;
    result.ssr = stats.ssr;
    result.aic = double(n) * std::log(stats.ssr / double(n)) + 2.0 * double(k);
    return result;
}
