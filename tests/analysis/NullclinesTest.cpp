#include "Nullclines.h"
#include "ClosedFormModel.h"
#include "Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <tuple>

namespace {

// A segment that must not be drawn: one that touches or spans a singularity.
using TForbidden = std::function<bool(const TSegment&)>;

// True when the segment has an end within `gap` of the line value = 0 or
// its ends lie on the two sides of it, `value` measuring the side.
TForbidden Near(std::function<double(double, double)> value, double gap) {
    return [value, gap](const TSegment& s) {
        const double va = value(s.n1a, s.n2a), vb = value(s.n1b, s.n2b);
        return std::fabs(va) < gap || std::fabs(vb) < gap || (va < 0) != (vb < 0);
    };
}

struct TCase {
    const char* what;
    TDualRate rate;
    TPlaneRect box;
    double length;     // total length of the zero set in the box
    double axisLength; // length of the part lying on N1 = 0
    TForbidden forbidden;
};

const auto kAny = [](const TSegment&) { return true; };
const auto kNone = [](const TSegment&) { return false; };
const auto kPoleAt3 = Near([](double x, double) { return x - 3; }, 0.5);
const auto kDiagonal = Near([](double x, double y) { return x - y; }, 0.5);

std::vector<TCase> Cases() {
    const double r2 = std::sqrt(2.0);
    return {
        {"pole on a grid line",
         [](auto x, auto) { return 1 / (x - 3) - 1; },
         {0, 10, 0, 10},
         10,
         0,
         kPoleAt3},
        {"pole inside cells",
         [](auto x, auto) { return 1 / (x - 3) - 1; },
         {0.013, 10.013, 0, 10},
         10,
         0,
         kPoleAt3},
        {"pole with zeros on both sides",
         [](auto x, auto) { return 1 / ((x - 3) * (x - 3)) - 1; },
         {0.013, 10.013, 0, 10},
         20,
         0,
         kPoleAt3},
        {"sign change through a pole only",
         [](auto x, auto) { return 1 / (x - 3); },
         {0.013, 10.013, 0, 10},
         0,
         0,
         kAny},
        {"diagonal pole through the nodes",
         [](auto x, auto y) { return 1 / (x - y) - 1; },
         {0, 5, 0, 5},
         4 * r2,
         0,
         kDiagonal},
        {"diagonal pole between the nodes",
         [](auto x, auto y) { return 1 / (x - y) - 1; },
         {0, 5, 0.0123, 5.0123},
         (5 - 1.0123) * r2,
         0,
         kDiagonal},
        {"jump",
         [](TDual x, TDual) { return TDual{x.v < 3 ? -1.0 : 1.0}; },
         {0.013, 10.013, 0, 10},
         0,
         0,
         kAny},
        {"axis on the border",
         [](auto x, auto y) { return x * (1 - x - y); },
         {0, 2, 0, 2},
         2 + r2,
         2,
         kNone},
        {"axis inside",
         [](auto x, auto y) { return x * (1 - x - y); },
         {-1, 1, -1, 1},
         2 + r2,
         2,
         kNone},
        {"axis where the rate keeps its sign",
         [](auto x, auto) { return -(x * x); },
         {-1, 1, -1, 1},
         2,
         2,
         kNone},
        {"zero everywhere", [](auto x, auto) { return 0 * x; }, {-1, 1, -1, 1}, 0, 0, kAny},
        {"circle",
         [](auto x, auto y) { return x * x + y * y - 1; },
         {-2, 2, -2, 2},
         2 * M_PI,
         0,
         kNone},
        {"diagonal through the nodes",
         [](auto x, auto y) { return x - y; },
         {-1, 1, -1, 1},
         2 * r2,
         0,
         kNone},
        {"crossing axes", [](auto x, auto y) { return x * y; }, {-1, 1, -1, 1}, 4, 2, kNone},
        {"crossing lines between the nodes",
         [](auto x, auto y) { return (x - 0.0013) * (y - 0.0017); },
         {-1, 1, -1, 1},
         4,
         0,
         kNone},
        {"line through the nodes meeting an axis",
         [](auto x, auto y) { return x * (2 - x - y); },
         {0, 2, 0, 2},
         2 + 2 * r2,
         2,
         kNone},
        {"touching line through the nodes",
         [](auto x, auto y) { return -((x - y) * (x - y)); },
         {-1, 1, -1, 1},
         2 * r2,
         0,
         kNone},
    };
}

double Length(const TSegment& s) {
    return std::hypot(s.n1b - s.n1a, s.n2b - s.n2a);
}

TEST(Nullclines, SegmentsOfClosedForms) {
    for (const TCase& t : Cases()) {
        SCOPED_TRACE(t.what);
        // The rate under test is dN2/dt; dN1/dt = 1 has no nullcline.
        TDualModel model([](auto x, auto) { return 1 + 0 * x; }, t.rate);
        const TNullclines lines = Nullclines(model, t.box, 200, 200);
        EXPECT_TRUE(lines.segments[0].empty());
        ASSERT_EQ(lines.cells[1].size(), lines.segments[1].size());

        double length = 0, axis = 0;
        std::set<std::tuple<double, double, double, double>> seen;
        for (const TSegment& s : lines.segments[1]) {
            EXPECT_FALSE(t.forbidden(s)) << s.n1a << "," << s.n2a << " - " << s.n1b << "," << s.n2b;
            EXPECT_NEAR(model.Rate(1, s.n1a, s.n2a), 0, 1e-7);
            EXPECT_NEAR(model.Rate(1, s.n1b, s.n2b), 0, 1e-7);
            // Drawn once: neither repeated nor reversed.
            EXPECT_TRUE(seen.insert({s.n1a, s.n2a, s.n1b, s.n2b}).second);
            EXPECT_FALSE(seen.count({s.n1b, s.n2b, s.n1a, s.n2a}));
            length += Length(s);
            if (s.n1a == 0 && s.n1b == 0) axis += Length(s);
        }
        // A cell of one piece less is 0.01 to 0.07 shorter; a saddle cell
        // (two branches crossing) is drawn as two short corners, a little
        // shorter than the cross.
        EXPECT_NEAR(length, t.length, 0.004);
        EXPECT_NEAR(axis, t.axisLength, 1e-12);
    }
}

TEST(Nullclines, PiecesOfNeighbouringCellsShareEnds) {
    // A closed curve drawn from pieces whose ends meet exactly: each end is
    // the end of exactly one other piece.
    TDualModel model([](auto x, auto y) { return x * x + y * y - 1; },
                     [](auto x, auto) { return 1 + 0 * x; });
    const TNullclines lines = Nullclines(model, {-2.01, 2.03, -2.02, 2.0}, 200, 200);
    std::multiset<std::pair<double, double>> ends;
    for (const TSegment& s : lines.segments[0]) {
        ends.insert({s.n1a, s.n2a});
        ends.insert({s.n1b, s.n2b});
    }
    ASSERT_FALSE(ends.empty());
    for (const auto& e : ends)
        EXPECT_EQ(ends.count(e), 2u);
}

// 1/(N1 − 3) − 1 as the parser computes it: a division by zero throws.
class TThrowingPole : public TPlaneModel {
public:
    double Rate(int which, double N1, double) override {
        if (which == 0) return 1;
        if (N1 == 3) throw EZeroDivide();
        return 1 / (N1 - 3) - 1;
    }
};

TEST(Nullclines, ExceptionsAtPointsAreFaultsThere) {
    TThrowingPole model;
    const TNullclines lines = Nullclines(model, {0, 10, 0, 10}, 200, 200);
    double length = 0;
    for (const TSegment& s : lines.segments[1]) {
        EXPECT_NEAR(s.n1a, 4, 1e-8);
        EXPECT_NEAR(s.n1b, 4, 1e-8);
        length += Length(s);
    }
    EXPECT_NEAR(length, 10, 1e-9);
}

TEST(Nullclines, InvalidRectangleGivesNone) {
    TDualModel model([](auto x, auto) { return x; }, [](auto, auto y) { return y; });
    const TNullclines lines = Nullclines(model, {1, 0, 0, 1});
    EXPECT_TRUE(lines.segments[0].empty());
    EXPECT_TRUE(lines.segments[1].empty());
}

} // namespace
