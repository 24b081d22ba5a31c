#include "Sweep.h"
#include "Exception.h"
#include "MathParser.h"
#include "ParserErrors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace {

// Euler steps of a rate law in C++ from (40, 9), the events located on the
// chord.
class TEulerRun : public TSweepSimulation {
public:
    void Start(double value) override { Follow(value, {40, 9}); }
    void Follow(double value, TDensities state) override {
        a_ = value;
        n_ = state;
        t_ = 0;
        section_ = {};
    }
    TDensities Step() override {
        const TDensities r = Rates(), before = n_;
        n_ = {n_.n1 + r.n1 * kStep, n_.n2 + r.n2 * kStep};
        t_ += kStep;
        crossings_.clear();
        if (section_) {
            const double g0 = section_(before.n1, before.n2), g1 = section_(n_.n1, n_.n2);
            if ((g0 < 0) != (g1 < 0)) {
                const double s = g0 / (g0 - g1);
                crossings_.push_back({t_ - kStep * (1 - s), std::lerp(before.n1, n_.n1, s),
                                      std::lerp(before.n2, n_.n2, s), g1 > g0 ? 1 : -1});
            }
        }
        return n_;
    }
    TDensities Rates() override { return Rate(a_, n_); }
    void Watch(TEventFunction section) override { section_ = std::move(section); }
    const std::vector<TCrossing>& Crossings() const override { return crossings_; }

protected:
    static constexpr double kStep = 0.01;
    virtual TDensities Rate(double a, TDensities n) = 0;

private:
    double a_ = 0, t_ = 0;
    TDensities n_;
    TEventFunction section_;
    std::vector<TCrossing> crossings_;
};

// Lotka–Volterra with the prey growth `a` swept.
class TLotkaVolterra : public TEulerRun {
    TDensities Rate(double a, TDensities n) override {
        return {a * n.n1 - 0.02 * n.n1 * n.n2, -0.5 * n.n2 + 0.01 * n.n1 * n.n2};
    }
};

// The figures of one run, computed here the plain way.
TSweepRow Expected(double value, long long steps, long long discard) {
    TLotkaVolterra sim;
    sim.Start(value);
    std::vector<TDensities> kept;
    for (long long k = 1; k <= steps; ++k) {
        const TDensities d = sim.Step();
        if (k > discard) kept.push_back(d);
    }
    TSweepRow row;
    row.value = value;
    row.state = TSweepRowState::Done;
    row.converged = false;
    const auto n1 = [](const TDensities& p, const TDensities& q) { return p.n1 < q.n1; };
    const auto n2 = [](const TDensities& p, const TDensities& q) { return p.n2 < q.n2; };
    row.n1Min = std::min_element(kept.begin(), kept.end(), n1)->n1;
    row.n1Max = std::max_element(kept.begin(), kept.end(), n1)->n1;
    row.n2Min = std::min_element(kept.begin(), kept.end(), n2)->n2;
    row.n2Max = std::max_element(kept.begin(), kept.end(), n2)->n2;
    row.n1Last = kept.back().n1;
    row.n2Last = kept.back().n2;
    return row;
}

void ExpectSameRow(const TSweepRow& got, const TSweepRow& want) {
    EXPECT_EQ(got.value, want.value);
    EXPECT_EQ(got.state, want.state);
    EXPECT_EQ(got.n1Min, want.n1Min);
    EXPECT_EQ(got.n1Max, want.n1Max);
    EXPECT_EQ(got.n2Min, want.n2Min);
    EXPECT_EQ(got.n2Max, want.n2Max);
    EXPECT_EQ(got.n1Last, want.n1Last);
    EXPECT_EQ(got.n2Last, want.n2Last);
    EXPECT_EQ(got.message, want.message);
    EXPECT_EQ(got.period, want.period);
    EXPECT_EQ(got.converged, want.converged);
}

TSweepFactory Make() {
    return [] { return std::make_unique<TLotkaVolterra>(); };
}

TEST(Sweep, RowsMatchSingleRunsOnAnyNumberOfThreads) {
    struct TCase {
        long long steps, discard, usedDiscard;
        int threads;
    } cases[] = {{2000, 500, 500, 1}, {2000, 500, 500, 3}, {1001, -1, 500, 2}, {300, 0, 0, 0}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.threads);
        TSweepOptions o;
        o.from = 0.3;
        o.to = 0.7;
        o.count = 9;
        o.steps = c.steps;
        o.discard = c.discard;
        o.threads = c.threads;
        o.settle = false;
        const TSweepResult result = RunSweep(o, Make());
        EXPECT_EQ(result.error, "");
        EXPECT_FALSE(result.cancelled);
        ASSERT_EQ(result.rows.size(), 9u);
        const std::vector<double> values = SweepValues(0.3, 0.7, 9);
        for (std::size_t i = 0; i < values.size(); ++i)
            ExpectSameRow(result.rows[i], Expected(values[i], c.steps, c.usedDiscard));

        // Handed over as they finish, the same rows come in value order and
        // the result keeps none.
        TSweepControl control;
        std::vector<TSweepRow> handed;
        control.OnRow = [&](const TSweepRow& row) { handed.push_back(row); };
        const TSweepResult streamed = RunSweep(o, Make(), &control);
        EXPECT_TRUE(streamed.rows.empty());
        EXPECT_FALSE(streamed.cancelled);
        ASSERT_EQ(handed.size(), 9u);
        for (std::size_t i = 0; i < values.size(); ++i)
            ExpectSameRow(handed[i], Expected(values[i], c.steps, c.usedDiscard));
    }
}

TEST(Sweep, ValuesAreEvenWithBothEndsExact) {
    EXPECT_EQ(SweepValues(0, 1, 5), (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(SweepValues(0.1, 0.7, 1), (std::vector<double>{0.1}));
    EXPECT_TRUE(SweepValues(0, 1, 0).empty());
    const std::vector<double> v = SweepValues(0.1, 0.7, 7);
    EXPECT_EQ(v.front(), 0.1);
    EXPECT_EQ(v.back(), 0.7);
    for (std::size_t i = 0; i < v.size(); ++i)
        EXPECT_NEAR(v[i], 0.1 + 0.1 * double(i), 1e-15);
    EXPECT_EQ(SweepValues(2, -2, 3), (std::vector<double>{2, 0, -2}));
}

// The simulation as the program runs it: its own two parsers, rebound and
// recompiled for each value, stepped through the density cells.
class TParserSimulation : public TEulerRun {
public:
    TParserSimulation(std::string rate1, std::string rate2) : rate1_(rate1), rate2_(rate2) {}

    void Follow(double value, TDensities state) override {
        p1_.RemoveVariables();
        p2_.RemoveVariables();
        c11_ = p1_.DefineVariable("N1", state.n1);
        c12_ = p2_.DefineVariable("N1", state.n1);
        c21_ = p1_.DefineVariable("N2", state.n2);
        c22_ = p2_.DefineVariable("N2", state.n2);
        p1_.DefineVariable("a", value);
        p2_.DefineVariable("a", value);
        p1_.SetExpression(rate1_);
        p2_.SetExpression(rate2_);
        TEulerRun::Follow(value, state);
    }

private:
    TDensities Rate(double, TDensities n) override {
        *c11_ = *c12_ = n.n1;
        *c21_ = *c22_ = n.n2;
        return {p1_.Value(), p2_.Value()};
    }

    std::string rate1_, rate2_;
    TMathParser p1_, p2_;
    double *c11_ = nullptr, *c12_ = nullptr, *c21_ = nullptr, *c22_ = nullptr;
};

TEST(Sweep, AFaultingValueLeavesItsRowEmptyAndTheOthersGoOn) {
    // a = 0.5 divides by zero in the first step.
    const auto make = [] {
        return std::make_unique<TParserSimulation>("a*N1-0.02*N1*N2+0.001/(a-0.5)",
                                                   "-0.5*N2+0.01*N1*N2");
    };
    TSweepOptions o;
    o.from = 0;
    o.to = 1;
    o.count = 5;
    o.steps = 3000;
    o.threads = 2;
    const TSweepResult parallel = RunSweep(o, make);
    o.threads = 1;
    const TSweepResult sequential = RunSweep(o, make);
    ASSERT_EQ(parallel.rows.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        ExpectSameRow(parallel.rows[i], sequential.rows[i]);
        if (i == 2) {
            EXPECT_EQ(parallel.rows[i].state, TSweepRowState::Faulted);
            EXPECT_EQ(parallel.rows[i].message, "Floating point division by zero");
            EXPECT_EQ(parallel.rows[i].n1Max, 0);
        } else {
            EXPECT_EQ(parallel.rows[i].state, TSweepRowState::Done);
            EXPECT_GT(parallel.rows[i].n1Max, parallel.rows[i].n1Min);
        }
    }
    EXPECT_FALSE(parallel.cancelled);
}

// Grows without a floating-point fault of its own: inf reaches the state.
class TBlowUp : public TEulerRun {
public:
    void Follow(double value, TDensities) override { TEulerRun::Follow(value, {value, 1}); }

private:
    TDensities Rate(double, TDensities n) override { return {n.n1 * (1e100 - 1) / kStep, 0}; }
};

TEST(Sweep, DensitiesThatAreNotFiniteAreFaults) {
    TSweepOptions o;
    o.from = -1;
    o.to = 1;
    o.count = 3;
    o.steps = 10;
    const TSweepResult r = RunSweep(o, [] { return std::make_unique<TBlowUp>(); });
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0].message, "Floating point overflow");
    EXPECT_EQ(r.rows[1].state, TSweepRowState::Done); // 0 stays 0
    EXPECT_EQ(r.rows[2].message, "Floating point overflow");
}

TEST(Sweep, ProgressCountsEveryRun) {
    TSweepControl control;
    std::vector<int> seen;
    control.OnProgress = [&](int finished, int count) {
        EXPECT_EQ(count, 12);
        seen.push_back(finished);
    };
    TSweepOptions o;
    o.count = 12;
    o.steps = 100;
    o.threads = 3;
    const TSweepResult r = RunSweep(o, Make(), &control);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(control.finished.load(), 12);
    std::sort(seen.begin(), seen.end());
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(seen[std::size_t(k)], k + 1);
}

// Asks for the cancel itself after a number of steps of its first run.
class TCancelling : public TLotkaVolterra {
public:
    explicit TCancelling(std::atomic<bool>& cancel) : cancel_(cancel) {}
    TDensities Step() override {
        if (++steps_ == 10) cancel_ = true;
        return TLotkaVolterra::Step();
    }

private:
    std::atomic<bool>& cancel_;
    long long steps_ = 0;
};

TEST(Sweep, CancelStopsRunsUnderWayAndLeavesTheRestNotRun) {
    TSweepControl control;
    TSweepOptions o;
    o.count = 4;
    o.steps = 1000000000; // would take minutes
    o.threads = 1;
    const TSweepResult r = RunSweep(
        o, [&] { return std::make_unique<TCancelling>(control.cancel); }, &control);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(control.finished.load(), 0);
    for (const TSweepRow& row : r.rows)
        EXPECT_EQ(row.state, TSweepRowState::NotRun);

    // A control cancelled beforehand runs nothing.
    o.steps = 10;
    const TSweepResult none = RunSweep(o, Make(), &control);
    EXPECT_TRUE(none.cancelled);
}

TEST(Sweep, RefusedOptionsRunNothing) {
    const auto refused = [](TSweepOptions o, const TSweepFactory& f = Make()) {
        const TSweepResult r = RunSweep(o, f);
        EXPECT_TRUE(r.rows.empty());
        return r.error;
    };
    TSweepOptions o;
    o.count = 0;
    EXPECT_EQ(refused(o), "The sweep needs at least one value");
    o.count = kMaxSweepValues + 1;
    EXPECT_EQ(refused(o), "A sweep takes at most 10000000 values");
    o.count = 2;
    o.steps = 0;
    EXPECT_EQ(refused(o), "The sweep needs at least one step");
    o.steps = 10;
    o.discard = 10;
    EXPECT_EQ(refused(o), "Every step would be discarded");
    o.discard = 1;
    o.to = std::numeric_limits<double>::infinity();
    EXPECT_EQ(refused(o), "The sweep range is not finite");
    o.to = 1;
    EXPECT_EQ(
        refused(o,
                []() -> std::unique_ptr<TSweepSimulation> { throw ESyntaxError("Syntax error"); }),
        "Syntax error");
    EXPECT_EQ(refused(o, nullptr), "No simulation to sweep");
}

// Run > Sweep... and --sweep refuse a request with what this says, before a
// model is compiled.
TEST(Sweep, ARequestSaysWhatIsWrongWithIt) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        TSweepRequest request;
        const char* error;
    } cases[] = {
        {{"a", {}}, ""},
        {{"", {}}, "The sweep names no parameter"},
        {{"a", {.count = 0}}, "The sweep needs at least one value"},
        {{"a", {.count = kMaxSweepValues}}, ""},
        {{"a", {.count = kMaxSweepValues + 1}}, "A sweep takes at most 10000000 values"},
        {{"a", {.steps = 0}}, "The sweep needs at least one step"},
        {{"a", {.steps = 1}}, ""}, // half of one step discards none
        {{"a", {.steps = 10, .discard = 9}}, ""},
        {{"a", {.steps = 10, .discard = 10}}, "Every step would be discarded"},
        {{"a", {.from = -inf}}, "The sweep range is not finite"},
        {{"a", {.to = std::nan("")}}, "The sweep range is not finite"},
    };
    for (const auto& c : cases) {
        const TSweepOptions& o = c.request.options;
        EXPECT_EQ(SweepRequestError(c.request), c.error)
            << "'" << c.request.name << "' " << o.from << ":" << o.to << ":" << o.count << ", "
            << o.steps << " steps, " << o.discard << " discarded";
    }
}

} // namespace
