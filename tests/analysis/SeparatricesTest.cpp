#include "Separatrices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

// Where a separatrix ends, and at which point when in an equilibrium.
struct TEnd {
    TSeparatrixEnd end;
    double n1 = 0, n2 = 0;
};

struct TCase {
    const char* name;
    std::string rate1, rate2;
    TPlaneRect box;
    // Zero along each manifold: its closed form.
    std::function<double(double, double)> stableLine, unstableLine;
    std::vector<TEnd> stableEnds, unstableEnds; // in either order
};

std::ostream& operator<<(std::ostream& os, const TCase& c) {
    return os << c.name;
}

class Separatrices : public testing::TestWithParam<TCase> {};

TEST_P(Separatrices, FollowTheManifoldsOfEachSaddleToWhereTheyEnd) {
    const TCase& c = GetParam();
    std::vector<ParameterRow> rows;
    TCompiledModel model;
    model.Compile(rows, c.rate1, c.rate2);
    const TEquilibria equilibria = FindEquilibria(model, c.box);
    const std::vector<TSeparatrix> found = FindSeparatrices(model, c.box, equilibria);
    ASSERT_EQ(found.size(), 4u);
    for (const TManifold m : {TManifold::Stable, TManifold::Unstable}) {
        const bool stable = m == TManifold::Stable;
        const auto& line = stable ? c.stableLine : c.unstableLine;
        std::vector<TEnd> expected = stable ? c.stableEnds : c.unstableEnds;
        for (const TSeparatrix& s : found) {
            if (s.manifold != m) continue;
            SCOPED_TRACE(stable ? "stable" : "unstable");
            ASSERT_GT(s.path.size(), 10u);
            for (const TCurvePoint& p : s.path)
                ASSERT_NEAR(line(p.n1, p.n2), 0, 1e-6) << p.n1 << ", " << p.n2;
            const TCurvePoint& last = s.path.back();
            const auto match = std::find_if(expected.begin(), expected.end(), [&](const TEnd& e) {
                return e.end == s.end &&
                       (e.end != TSeparatrixEnd::Equilibrium ||
                        std::hypot(last.n1 - e.n1, last.n2 - e.n2) < 1e-3 * c.box.Extent());
            });
            ASSERT_NE(match, expected.end()) << int(s.end) << " at " << last.n1 << ", " << last.n2;
            expected.erase(match);
        }
        EXPECT_TRUE(expected.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Separatrices, Separatrices,
                         testing::Values(
                             // A linear saddle at (5, 5): the manifolds are the lines through it
                             // along the axes, out of the box both ways.
                             TCase{"linear",
                                   "N1-5",
                                   "5-N2",
                                   {0, 10, 0, 10},
                                   [](double n1, double) { return n1 - 5; },
                                   [](double, double n2) { return n2 - 5; },
                                   {{TSeparatrixEnd::LeftBox}, {TSeparatrixEnd::LeftBox}},
                                   {{TSeparatrixEnd::LeftBox}, {TSeparatrixEnd::LeftBox}}},
                             // Symmetric competition with a = 2: the saddle (1/3, 1/3) divides
                             // the basins of (1, 0) and (0, 1) along the diagonal, which comes
                             // from the origin (backward, into the unstable node) and from far
                             // out; its unstable manifold runs into the two winners.
                             TCase{"competition",
                                   "N1*(1-N1-2*N2)",
                                   "N2*(1-N2-2*N1)",
                                   {0, 1.5, 0, 1.5},
                                   [](double n1, double n2) { return n1 - n2; },
                                   // The unstable manifold has no closed form; its ends have.
                                   [](double, double) { return 0.0; },
                                   {{TSeparatrixEnd::Equilibrium, 0, 0}, {TSeparatrixEnd::LeftBox}},
                                   {{TSeparatrixEnd::Equilibrium, 1, 0},
                                    {TSeparatrixEnd::Equilibrium, 0, 1}}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
