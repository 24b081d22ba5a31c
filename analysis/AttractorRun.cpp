#include "AttractorRun.h"

#include "Exception.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Steps between two looks at the cancel request.
constexpr long long kCancelPeriod = 4096;
// A run circling ever closer in to an equilibrium has returns that agree
// once the circles are small, but their gap stays a fixed share of the
// circle; a cycle's gap shrinks beside its span. This is the largest share.
constexpr double kGapOfSpan = 1e-4;
// A cycle spans at least this share of the scale. Smaller rings are what
// an adaptive method leaves around a weakly stable equilibrium, its step
// grown to the edge of its stability, not cycles of the model.
constexpr double kSmallestCycle = 1e-3;
// Returns of a cycle that crosses the section more than once a period lie
// at least this share of its span apart.
constexpr double kDistinct = 1e-2;
// The extremes over a period agree with those over the period before to
// this share of the scale: looser than the returns, since they are found
// between output steps.
constexpr double kExtentTolerance = 1e-3;
// A section trusted for returns cuts the stretch between them at least this
// share of its range away from either end.
constexpr double kInside = 0.1;
// The rates are worked out (one evaluation more) only after a step that
// moved the densities by less than this share of the scale.
constexpr double kStillStep = 1e-4;
// Steps between the look that finds the rates small and the one that
// confirms they are falling.
constexpr long long kConfirmSteps = 64;
constexpr long long kLongestBlock = 1LL << 40;

// Non-finite densities that a step function lets through are the faults the
// platform would have raised.
void CheckFinite(const TDensities& d) {
    if (std::isnan(d.n1) || std::isnan(d.n2)) throw EInvalidOp();
    if (std::isinf(d.n1) || std::isinf(d.n2)) throw EOverflow();
}

double Of(const TDensities& d, int which) {
    return which == 0 ? d.n1 : d.n2;
}

} // namespace

void TAttractorRun::TExtent::Add(int which, double v) {
    lo[which] = std::min(lo[which], v);
    hi[which] = std::max(hi[which], v);
}

void TAttractorRun::TExtent::Add(const TExtent& other) {
    for (int i = 0; i < 2; ++i) {
        lo[i] = std::min(lo[i], other.lo[i]);
        hi[i] = std::max(hi[i], other.hi[i]);
    }
}

double TAttractorRun::TExtent::Span() const {
    return std::max({hi[0] - lo[0], hi[1] - lo[1], 0.0});
}

double TAttractorRun::TExtent::Scale() const {
    double s = 0;
    for (int i = 0; i < 2; ++i)
        if (lo[i] <= hi[i]) s = std::max({s, std::fabs(lo[i]), std::fabs(hi[i])});
    return s;
}

bool TAttractorRun::Run(TSweepRow& row) {
    TDensities d;
    for (long long k = 1; k <= steps_ && !converged_; ++k) {
        if (k % kCancelPeriod == 0 && cancel_.load(std::memory_order_relaxed)) return false;
        d = sim_.Step();
        CheckFinite(d);
        if (k <= discard_) continue;
        tail_.Add(d);
        if (settle_) Look(d);
    }
    if (!converged_) {
        if (returns_.size() >= 2) {
            found_ = returns_.back().since;
            period_ = returns_.back().t - returns_[returns_.size() - 2].t;
        } else {
            found_ = tail_;
        }
    }
    Fill(row, found_);
    row.n1Last = d.n1;
    row.n2Last = d.n2;
    row.period = period_;
    row.converged = converged_;
    row.state = TSweepRowState::Done;
    return true;
}

void TAttractorRun::Look(const TDensities& d) {
    ++looks_;
    scale_ = std::max({scale_, std::fabs(d.n1), std::fabs(d.n2)});
    if (samples_ == 2) Refine(d);
    // A new section drops what the step crossed of the old one.
    if (watching_)
        for (std::size_t i = 0; i < sim_.Crossings().size(); ++i) {
            const TCrossing crossing = sim_.Crossings()[i];
            if (crossing.direction <= 0) continue;
            AddReturn(crossing);
            const TLook look = CycleFound();
            if (look == TLook::Found) return;
            if (look == TLook::NewSection) break;
        }
    current_.Add(d);
    block_.Add(d);
    if (samples_ > 0 && AtRest(d)) {
        found_ = TExtent();
        found_.Add(d);
        converged_ = true;
        return;
    }
    before_[0] = before_[1];
    before_[1] = d;
    samples_ = std::min(samples_ + 1, 2);
    if (++blockSteps_ >= blockLength_) EndBlock();
}

// An extreme between output steps: where the sample before `d` is higher
// (or lower) than both its neighbours, the top of the parabola through the
// three, so that a sharp peak is not cut off by the time step.
void TAttractorRun::Refine(const TDensities& d) {
    for (int i = 0; i < 2; ++i) {
        const double y0 = Of(before_[0], i), y1 = Of(before_[1], i), y2 = Of(d, i);
        if (!((y1 - y0) * (y2 - y1) < 0)) continue;
        const double bend = y0 - 2 * y1 + y2, slope = 0.5 * (y2 - y0);
        const double top = y1 - slope * slope / (2 * bend);
        if (std::isfinite(top)) current_.Add(i, top);
    }
}

void TAttractorRun::AddReturn(const TCrossing& crossing) {
    const TDensities at{crossing.n1, crossing.n2};
    current_.Add(at);
    TReturn r;
    r.t = crossing.t;
    r.across = Of(at, 1 - sectionDensity_);
    // The stretch before the first return began where the section was
    // chosen, not at a return.
    if (!returns_.empty()) r.since = current_;
    returns_.push_back(r);
    if (returns_.size() > 2 * std::size_t(kMaxReturnsBack) + 1) returns_.pop_front();
    current_ = TExtent();
    current_.Add(at);
    ++blockReturns_;
}

// The last return against the one p returns before it, for p = 1 up: the
// cycle is found where the last two returns agree with theirs, and the
// extremes over the last p returns with those over the p before, on a
// section that cuts the stretch between them well inside its range (near a
// turning point a crossing is ill-conditioned: it moves a long way on the
// section for a small change of the orbit, and vanishes when the orbit
// shrinks); such a section is laid across the last stretch again. The
// extremes catch an orbit that slowly grows or shrinks where it crosses the
// section close to an axis, so that the returns differ by little there.
TAttractorRun::TLook TAttractorRun::CycleFound() {
    const std::size_t k = returns_.size() - 1;
    TExtent stretch;
    for (std::size_t p = 1; 2 * p <= k; ++p) {
        stretch.Add(returns_[k - p + 1].since);
        const double lo = stretch.lo[sectionDensity_], hi = stretch.hi[sectionDensity_];
        if (p == 1 && !(level_ - lo >= kInside * (hi - lo) && hi - level_ >= kInside * (hi - lo))) {
            ChooseSection(stretch);
            return TLook::NewSection;
        }
        TExtent before;
        for (std::size_t i = k - 2 * p + 1; i <= k - p; ++i)
            before.Add(returns_[i].since);
        const double span = stretch.Span(), scale = stretch.Scale();
        const auto gap = [&](std::size_t i, std::size_t back) {
            return std::fabs(returns_[i].across - returns_[i - back].across);
        };
        const auto agree = [&](std::size_t i) {
            return gap(i, p) <= kReturnTolerance * scale && gap(i, p) <= kGapOfSpan * span;
        };
        bool same = true;
        for (int i = 0; i < 2; ++i)
            same = same && std::fabs(stretch.lo[i] - before.lo[i]) <= kExtentTolerance * scale &&
                   std::fabs(stretch.hi[i] - before.hi[i]) <= kExtentTolerance * scale;
        // Returns of one cycle that are not a period apart lie far apart on
        // the section; closer ones are one return seen through noise.
        bool distinct = true;
        for (std::size_t q = 1; q < p; ++q)
            distinct = distinct && gap(k, q) > kDistinct * span;
        if (span > kSmallestCycle * scale && distinct && same && agree(k) && agree(k - 1)) {
            found_ = stretch;
            period_ = returns_[k].t - returns_[k - p].t;
            converged_ = true;
            return TLook::Found;
        }
    }
    return TLook::Going;
}

// Each rate is measured against its own density, so that a run passing
// close to a saddle on an axis (a density nearly 0 and changing fast for its
// size) is not taken for one at rest; a density below kRestTolerance of the
// scale that is falling counts as that small, so that a run dying out comes
// to rest too.
// Measured so, a run that grows without end at a steady rate looks at rest
// as well, once large enough: the rates must also have fallen since a look
// kConfirmSteps before (unless they are 0).
bool TAttractorRun::AtRest(const TDensities& d) {
    const TDensities& b = before_[1];
    const double least = kRestTolerance * scale_;
    bool small = false;
    double rates = 0;
    if (std::max(std::fabs(d.n1 - b.n1), std::fabs(d.n2 - b.n2)) <= kStillStep * scale_) {
        const TDensities rate = sim_.Rates();
        // A density growing away from 0 counts as its own size, however small.
        const auto size = [least](double n, double r) {
            return (n > 0 && r > 0) || (n < 0 && r < 0) ? std::fabs(n)
                                                        : std::max(std::fabs(n), least);
        };
        small = std::fabs(rate.n1) <= kRestTolerance * size(d.n1, rate.n1) &&
                std::fabs(rate.n2) <= kRestTolerance * size(d.n2, rate.n2);
        rates = std::max(std::fabs(rate.n1), std::fabs(rate.n2));
    }
    if (!small) {
        restLook_ = -1;
        return false;
    }
    if (rates == 0) return true;
    if (restLook_ >= 0 && looks_ >= restLook_ + kConfirmSteps) {
        if (rates < restRates_) return true;
        restLook_ = -1;
    }
    if (restLook_ < 0) {
        restLook_ = looks_;
        restRates_ = rates;
    }
    return false;
}

// A stretch that brought no return to the section: the section misses
// where the run now goes, and a new one is laid across this stretch.
void TAttractorRun::EndBlock() {
    if (blockReturns_ == 0) {
        if (watching_) blockLength_ = std::min(2 * blockLength_, kLongestBlock);
        ChooseSection(block_);
    }
    block_ = TExtent();
    blockSteps_ = 0;
    blockReturns_ = 0;
}

// Across the density that moved most over `over`, halfway: on a cycle that
// the stretch lies on, such a level is crossed at least once a period, and
// away from the cycle's turning points.
void TAttractorRun::ChooseSection(const TExtent& over) {
    const int j = over.hi[1] - over.lo[1] > over.hi[0] - over.lo[0] ? 1 : 0;
    const double level = std::midpoint(over.lo[j], over.hi[j]);
    sim_.Watch([j, level](double n1, double n2) { return (j == 0 ? n1 : n2) - level; });
    sectionDensity_ = j;
    level_ = level;
    watching_ = true;
    returns_.clear();
    current_ = TExtent();
}

void TAttractorRun::Fill(TSweepRow& row, const TExtent& extent) {
    row.n1Min = extent.lo[0];
    row.n1Max = extent.hi[0];
    row.n2Min = extent.lo[1];
    row.n2Max = extent.hi[1];
}
