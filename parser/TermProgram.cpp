#include "TermProgram.h"

#include "Exception.h"
#include "FpFaults.h"
#include "RandomSequence.h"
#include "TermOperations.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

// What a term of a run computes. A run's code holds one digit of base kOps
// per term, the first term's lowest.
enum TRunOp : unsigned {
    kSum,
    kDifference,
    kProduct,
    kQuotient,
    kNegate,
    kCube,
    kFourthPower,
    kOps
};
constexpr std::size_t kLongestRun = 2;

constexpr unsigned CodeCount(std::size_t length) {
    return length == 0 ? 1 : kOps * CodeCount(length - 1);
}

// The run operation of a term, or -1 for a term that runs as a call.
int RunOpOf(const TTerm& t) {
    switch (t.kind) {
    case TTermKind::Sum:
        return kSum;
    case TTermKind::Difference:
        return kDifference;
    case TTermKind::Product:
        return kProduct;
    case TTermKind::Square:
        return t.b == t.a ? int{kProduct} : -1;
    case TTermKind::Quotient:
        return kQuotient;
    case TTermKind::Negate:
        return kNegate;
    case TTermKind::Cube:
        return kCube;
    case TTermKind::FourthPower:
        return kFourthPower;
    default:
        return -1;
    }
}

// fpfaults::Narrowed, except that an overflow sets its flag instead of
// raising: a run cannot raise, and the flags are tested at its list's end.
inline double Narrowed(long double r, double a) {
    const double d = static_cast<double>(r);
    if (fpfaults::Overflowed(d, a)) [[unlikely]]
        fpfaults::Set(fpfaults::kOverflow);
    return d;
}

template <unsigned Op> inline void Apply(const TTerm& t) {
    const double a = *t.a;
    if constexpr (Op == kNegate)
        *t.result = -a;
    else if constexpr (Op == kCube)
        *t.result = Narrowed(termops::CubeExtended(a), a);
    else if constexpr (Op == kFourthPower)
        *t.result = Narrowed(termops::FourthPowerExtended(a), a);
    else {
        const double b = *t.b;
        if constexpr (Op == kSum)
            *t.result = a + b;
        else if constexpr (Op == kDifference)
            *t.result = a - b;
        else if constexpr (Op == kProduct)
            *t.result = a * b;
        else
            *t.result = a / b;
    }
}

template <unsigned Code, std::size_t... I>
inline void RunTerms(const TTerm* t, std::index_sequence<I...>) {
    (Apply<Code / CodeCount(I) % kOps>(t[I]), ...);
}

// Runs [first, end) again from the random seed the evaluation started with,
// so that it draws the same numbers, testing the flags after each term, and
// raises the first fault; returns if none arises.
void RaiseFirstFault(const TTerm* first, const TTerm* end, std::uint32_t seed) {
    if (RandomSeed() != seed) SetRandomSeed(seed);
    for (const TTerm* t = first; t != end; ++t) {
        fpfaults::Begin();
        t->operation(*t);
        fpfaults::End();
    }
}

// After an evaluation left a flag: raises the first fault, or returns the
// value when no term faults, the flags having been left by earlier code (the
// rerun, which tested after every term, has cleared them).
[[gnu::cold, gnu::noinline]] double Settle(const TTerm* first, const TTerm* end,
                                           std::uint32_t seed) {
    RaiseFirstFault(first, end, seed);
    return *end[-1].result;
}

// The steps pass on by a call in tail position, which an optimising compiler
// makes a jump; an unoptimised build nests one frame per step.
template <std::size_t Length, unsigned Code> double Run(const TTermStep* s) {
    RunTerms<Code>(s->term, std::make_index_sequence<Length>{});
    return s[1].run(s + 1);
}

// The same run as the last step of a list that cannot raise. Such a list
// draws no random numbers, so the seed is still the one it started with.
template <std::size_t Length, unsigned Code> double RunAndEnd(const TTermStep* s) {
    RunTerms<Code>(s->term, std::make_index_sequence<Length>{});
    const TTerm* const end = s->term + Length;
    if (fpfaults::Pending()) return Settle(s->list, end, RandomSeed());
    return *end[-1].result;
}

double Call(const TTermStep* s) {
    s->term->operation(*s->term);
    return s[1].run(s + 1);
}

// Ends a list whose guard tests the flags.
double End(const TTermStep* s) {
    return *s->term[-1].result;
}

// Ends a list that cannot raise but does not end in a run: the placeholder
// of a single variable or number.
double TestAndEnd(const TTermStep* s) {
    if (fpfaults::Pending()) return Settle(s->list, s->term, RandomSeed());
    return *s->term[-1].result;
}

struct TRun {
    TTermStepRun step;    // followed by further steps
    TTermStepRun lastOne; // as the last step of a list that cannot raise
};

template <std::size_t Length, unsigned... Codes>
constexpr std::array<TRun, sizeof...(Codes)> RunsOf(std::integer_sequence<unsigned, Codes...>) {
    return {TRun{&Run<Length, Codes>, &RunAndEnd<Length, Codes>}...};
}

// Every run of a length, by its code.
template <std::size_t Length>
constexpr auto kRuns = RunsOf<Length>(std::make_integer_sequence<unsigned, CodeCount(Length)>{});

TRun RunOf(std::size_t length, unsigned code) {
    static_assert(kLongestRun == 2);
    return length == 1 ? kRuns<1>[code] : kRuns<2>[code];
}

} // namespace

TTermProgram::TTermProgram(const std::vector<TTerm>& terms) {
    if (terms.empty()) return;
    first_ = terms.data();
    end_ = first_ + terms.size();
    guarded_ = false;
    TTermStepRun lastOne = nullptr; // the last step as the end of a list that cannot raise
    for (const TTerm* t = first_; t != end_;) {
        std::size_t length = 0;
        unsigned code = 0;
        for (int op; length < kLongestRun && t + length != end_ && (op = RunOpOf(t[length])) >= 0;
             ++length)
            code += static_cast<unsigned>(op) * CodeCount(length);
        if (length > 0) {
            const TRun run = RunOf(length, code);
            steps_.push_back({run.step, t, first_});
            lastOne = run.lastOne;
            t += length;
            continue;
        }
        // The placeholder of a single variable or number computes nothing.
        if (t->kind != TTermKind::Variable) {
            steps_.push_back({Call, t, first_});
            guarded_ = true;
            lastOne = nullptr;
        }
        ++t;
    }
    if (!guarded_ && lastOne)
        steps_.back().run = lastOne;
    else
        steps_.push_back({guarded_ ? End : TestAndEnd, end_, first_});
}

double TTermProgram::RunGuarded() const {
    if (steps_.empty()) return 0;
    const std::uint32_t seed = RandomSeed();
    double value;
    try {
        value = steps_.front().run(steps_.data());
    } catch (const Exception&) {
        // A check in an operation raised; an earlier term may have faulted.
        RaiseFirstFault(first_, end_, seed);
        throw;
    }
    if (fpfaults::Pending()) return Settle(first_, end_, seed);
    return value;
}
