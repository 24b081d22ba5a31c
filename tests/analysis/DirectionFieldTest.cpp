#include "DirectionField.h"
#include "ClosedFormModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

double Length(const TArrow& a) {
    return std::hypot(a.dx, a.dy);
}

TEST(DirectionField, PointsWhereTheTrajectoryGoesOnScreen) {
    // A slope of 1 in model units, shown with N2 stretched three times.
    TDualModel model([](auto x, auto) { return 1 + 0 * x; },
                     [](auto x, auto) { return 1 + 0 * x; });
    const auto arrows = DirectionField(model, {0, 10, 0, 2}, {20, 150}, 20, 20);
    ASSERT_EQ(arrows.size(), 400u);
    for (const TArrow& a : arrows) {
        EXPECT_NEAR(a.dy / a.dx, 7.5, 1e-12);
        EXPECT_GT(a.dy, 0); // up, towards larger N2
    }
    // Centred in the cells, row by row from the bottom left.
    EXPECT_DOUBLE_EQ(arrows[0].n1, 0.25);
    EXPECT_DOUBLE_EQ(arrows[0].n2, 0.05);
    EXPECT_DOUBLE_EQ(arrows[21].n1, 0.75);
    EXPECT_DOUBLE_EQ(arrows[21].n2, 0.15);
}

TEST(DirectionField, LengthFollowsTheLogarithmOfTheSpeed) {
    // Speed 10^N1 along N1 at the columns' centres 0.5, 1.5, 2.5: equal speed
    // ratios give equal length steps, from a quarter of the longest up.
    TDualModel model([](TDual x, TDual) { return TDual{std::pow(10.0, x.v)}; },
                     [](auto x, auto) { return 0 * x; });
    const double longest = 12;
    const auto arrows = DirectionField(model, {0, 3, 0, 1}, {1, 1}, 3, 1, longest);
    ASSERT_EQ(arrows.size(), 3u);
    EXPECT_NEAR(Length(arrows[0]), longest / 4, 1e-12);
    EXPECT_NEAR(Length(arrows[2]), longest, 1e-12);
    EXPECT_NEAR(Length(arrows[1]) - Length(arrows[0]), Length(arrows[2]) - Length(arrows[1]),
                1e-12);
    for (const TArrow& a : arrows) {
        EXPECT_EQ(a.dy, 0);
        EXPECT_GT(a.dx, 0);
    }
}

TEST(DirectionField, SlowestOfManyDecadesDoNotSqueezeTheRest) {
    // Speeds 10^-12 and 1 to 100: the near-still arrow gets the shortest
    // length, and 1 to 100 still span most of the range.
    TDualModel model(
        [](TDual x, TDual) { return TDual{x.v < 1 ? 1e-12 : std::pow(10.0, x.v - 1.5)}; },
        [](auto x, auto) { return 0 * x; });
    const auto arrows = DirectionField(model, {0, 4, 0, 1}, {1, 1}, 4, 1, 8);
    ASSERT_EQ(arrows.size(), 4u);
    EXPECT_NEAR(Length(arrows[0]), 2, 1e-12);
    EXPECT_NEAR(Length(arrows[3]), 8, 1e-12);
    EXPECT_GT(Length(arrows[1]), 3); // speed 1: one decade above the bottom of three
}

// Rates that fault on the right half (by NaN) and the top half (by throwing).
class TFaultyHalves : public TPlaneModel {
public:
    double Rate(int which, double N1, double N2) override {
        if (N2 > 0.5) throw std::runtime_error("fault");
        if (which == 0 && N1 > 0.5) return NAN;
        return 1;
    }
};

TEST(DirectionField, FaultsAndStillPoints) {
    TFaultyHalves faulty;
    EXPECT_EQ(DirectionField(faulty, {0, 1, 0, 1}, {100, 100}).size(), 100u);

    TDualModel still([](auto x, auto) { return 0 * x; }, [](auto x, auto) { return 0 * x; });
    const auto arrows = DirectionField(still, {0, 1, 0, 1}, {100, 100});
    ASSERT_EQ(arrows.size(), 400u);
    EXPECT_TRUE(std::all_of(arrows.begin(), arrows.end(), [](const TArrow& a) {
        return a.dx == 0 && a.dy == 0 && a.speed == 0;
    }));

    EXPECT_TRUE(DirectionField(still, {0, 1, 0, 1}, {0, 100}).empty());
    EXPECT_TRUE(DirectionField(still, {0, 0, 0, 1}, {100, 100}).empty());
}

TEST(DirectionField, DefaultLengthFitsTheCell) {
    TDualModel model([](auto x, auto) { return 1 + 0 * x; }, [](auto x, auto) { return 0 * x; });
    // Cells of 30 × 20 pixels.
    const auto arrows = DirectionField(model, {0, 1, 0, 1}, {600, 400});
    ASSERT_FALSE(arrows.empty());
    EXPECT_NEAR(Length(arrows[0]), 16, 1e-12);
}

} // namespace
