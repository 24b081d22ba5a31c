#include "CompiledModel.h"
#include "Exception.h"
#include "ModelFile.h"
#include "RateFault.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

// Every shipped example, compiled as a run compiles it.
std::vector<std::string> Examples() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(TARNIVELL_EXAMPLES))
        if (entry.path().extension() == ".ini") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

struct TLoaded {
    TModel model;
    TCompiledModel compiled;
    explicit TLoaded(const std::string& file) {
        LoadModelFile(file, model);
        compiled.Compile(model.rows, model.rate1, model.rate2, model.N1, model.N2);
    }
};

// The points the derivatives are checked at: the start and two points off it.
std::vector<std::array<double, 2>> PointsOf(const TModel& m) {
    const double a = std::max(std::fabs(m.N1), 1.0), b = std::max(std::fabs(m.N2), 1.0);
    return {{m.N1, m.N2}, {0.7 * a, 1.3 * b}, {1.2 * a + 0.1, 0.45 * b + 0.2}};
}

// A central difference of f at x, with a step relative to x.
double Difference(const std::function<double(double)>& f, double x) {
    const double h = 1e-5 * std::max(std::fabs(x), 1e-2);
    return (f(x + h) - f(x - h)) / (2 * h);
}

// Exact and differenced agree to what a difference can tell: relative to the
// size of the function's terms, not of the (possibly cancelling) result.
void ExpectClose(double exact, double differenced, double scale, const std::string& what) {
    EXPECT_NEAR(exact, differenced, 2e-6 * std::max(scale, 1.0)) << what;
}

class EveryExample : public testing::TestWithParam<std::string> {};

// The Jacobian and the derivatives in every parameter against central
// differences of the rates; the second derivatives against differences of
// the Jacobian, the third against differences of the second.
TEST_P(EveryExample, DerivativesAgreeWithDifferencesOfTheCompiledModel) {
    TLoaded l(GetParam());
    TCompiledModel& m = l.compiled;
    ASSERT_TRUE(m.HasDerivatives());
    for (const auto& [x, y] : PointsOf(l.model)) {
        const std::string at =
            GetParam() + " at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        const auto rate = [&](int k, double a, double b) {
            double r[2];
            m.Rates(a, b, r[0], r[1]);
            return r[k];
        };
        const TLinearisation lin = m.Jacobian(x, y);
        const double jac[2][2] = {{lin.jacobian.d1dN1, lin.jacobian.d1dN2},
                                  {lin.jacobian.d2dN1, lin.jacobian.d2dN2}};
        const auto jets = m.Derivatives3(x, y);
        for (int k = 0; k < 2; ++k) {
            const double scale = std::fabs(rate(k, x, y)) + 1;
            EXPECT_EQ(jets[k].value, rate(k, x, y)) << at;
            EXPECT_EQ(jets[k].d1, jac[k][0]) << at;
            EXPECT_EQ(jets[k].d2, jac[k][1]) << at;
            ExpectClose(jac[k][0], Difference([&](double a) { return rate(k, a, y); }, x), scale,
                        at + " dN1");
            ExpectClose(jac[k][1], Difference([&](double b) { return rate(k, x, b); }, y), scale,
                        at + " dN2");

            // Second derivatives from differences of the exact first ones.
            const auto first = [&](int var, double a, double b) {
                const TJacobian j = m.Jacobian(a, b).jacobian;
                return k == 0 ? (var == 0 ? j.d1dN1 : j.d1dN2) : (var == 0 ? j.d2dN1 : j.d2dN2);
            };
            ExpectClose(jets[k].d11, Difference([&](double a) { return first(0, a, y); }, x), scale,
                        at + " d11");
            ExpectClose(jets[k].d12, Difference([&](double b) { return first(0, x, b); }, y), scale,
                        at + " d12");
            ExpectClose(jets[k].d22, Difference([&](double b) { return first(1, x, b); }, y), scale,
                        at + " d22");
            // Third derivatives from differences of the exact second ones.
            const auto second = [&](int which, double a, double b) {
                const TJet3 j = m.Derivatives3(a, b)[k];
                return which == 0 ? j.d11 : which == 1 ? j.d12 : j.d22;
            };
            ExpectClose(jets[k].d111, Difference([&](double a) { return second(0, a, y); }, x),
                        scale, at + " d111");
            ExpectClose(jets[k].d112, Difference([&](double b) { return second(0, x, b); }, y),
                        scale, at + " d112");
            ExpectClose(jets[k].d122, Difference([&](double b) { return second(1, x, b); }, y),
                        scale, at + " d122");
            ExpectClose(jets[k].d222, Difference([&](double b) { return second(2, x, b); }, y),
                        scale, at + " d222");
        }
        for (std::size_t p = 0; p < m.ParameterCount(); ++p) {
            const double value = m.Parameter(p);
            const std::array<double, 2> exact = m.ParameterDerivative(p, x, y);
            for (int k = 0; k < 2; ++k) {
                const double differenced = Difference(
                    [&](double v) {
                        m.SetParameter(p, v);
                        const double r = rate(k, x, y);
                        m.SetParameter(p, value);
                        return r;
                    },
                    value);
                ExpectClose(exact[k], differenced, std::fabs(rate(k, x, y)) + 1,
                            at + " d/d" + m.ParameterName(p));
            }
        }
    }
}

// A copy for another thread computes the same numbers and has cells of its
// own: a parameter set in one does not reach the other.
TEST_P(EveryExample, CloneIsTheSameModelWithCellsOfItsOwn) {
    TLoaded l(GetParam());
    TCompiledModel& m = l.compiled;
    const auto copy = m.Clone();
    ASSERT_TRUE(copy->IsCompiled());
    ASSERT_EQ(copy->ParameterCount(), m.ParameterCount());
    for (const auto& [x, y] : PointsOf(l.model)) {
        double a1, a2, b1, b2;
        m.Rates(x, y, a1, a2);
        copy->Rates(x, y, b1, b2);
        EXPECT_EQ(a1, b1);
        EXPECT_EQ(a2, b2);
    }
    if (m.ParameterCount() == 0) return;
    const std::string name = m.ParameterName(0);
    const double before = m.Value(name);
    copy->Set(name, before * 3 + 1);
    EXPECT_EQ(m.Value(name), before);
    EXPECT_EQ(copy->Value(name), before * 3 + 1);
}

INSTANTIATE_TEST_SUITE_P(Shipped, EveryExample, testing::ValuesIn(Examples()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = std::filesystem::path(info.param).stem().string();
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// Parameters by name, letter case aside; an unknown name is refused and a
// fault raises the platform's exception through Rates but reads as NaN
// through the analysis' face.
TEST(CompiledModel, ParametersByNameAndFaults) {
    std::vector<ParameterRow> rows = {{"r", "2", "", {}}, {}, {"K", "10", "", {}}};
    TCompiledModel m;
    m.Compile(rows, "r*N1*(1-N1/K)", "1/(N1-N2)", 1, 1);
    EXPECT_EQ(m.Value("R"), 2);
    m.Set("k", 20);
    EXPECT_EQ(m.Value("K"), 20);
    double r1, r2;
    m.Rates(10, 0, r1, r2);
    EXPECT_EQ(r1, 2 * 10 * (1 - 10.0 / 20));
    EXPECT_EQ(m.SetRow(2, "K", 40), true);
    EXPECT_EQ(m.SetRow(1, "K", 50), false); // an empty row holds no parameter
    EXPECT_EQ(m.SetRow(2, "r", 50), false); // row 2 was compiled as K
    EXPECT_EQ(m.Value("K"), 40);
    try {
        m.Set("q", 1);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "No parameter is named 'q'");
    }
    EXPECT_THROW(m.Rates(3, 3, r1, r2), EZeroDivide);
    EXPECT_TRUE(std::isnan(m.Rate(1, 3, 3)));
}

} // namespace

// A rate that does not compile names its species and, where it can, what is
// at fault; the parser's own message follows as it stands.
TEST(CompiledModelRateFault, SaysWhichSpeciesAndWhere) {
    struct Case {
        std::string rate1, rate2;
        int species;
        std::string head, tail;
    };
    const std::string parse = "Error parsing expression:\r";
    const std::string brackets = "Missing brackets in expression";
    const Case cases[] = {
        {"R*N1", "E*A*N1*N2/(1+A*H*N1)-M*N2", 2, "Species 2 rate: unknown name 'M'\r", parse},
        {"r*N1*(1-N1/K", "0", 1, "Species 1 rate: the bracket at position 6 is not closed\r",
         brackets},
        {"r * N1)", "0", 1, "Species 1 rate: the bracket at position 7 closes nothing\r", brackets},
        {"0", "r(1-N2/K)", 2, "Species 2 rate: 'r' is no function: write r*(...) for a product\r",
         parse},
        {"sine(N1)", "0", 1, "Species 1 rate: unknown function 'sine'\r", parse},
        // Numerals, PI, DIV written without blanks and known functions are
        // no names at fault; the parser's message is then all there is.
        {"2.5E-3*N1*PI+", "0", 1, "Species 1 rate: ", parse},
        {"N1 DIV R+", "0", 1, "Species 1 rate: ", parse},
        {"N1+ MAX(R, K) +", "0", 1, "Species 1 rate: ", parse},
    };
    for (const Case& c : cases) {
        std::vector<ParameterRow> rows = {
            {"R", "1", ""}, {"K", "10", ""}, {"H", "1", ""}, {"E", "1", ""}, {"A", "1", ""}};
        TCompiledModel model;
        try {
            model.Compile(rows, c.rate1, c.rate2);
            ADD_FAILURE() << c.rate1 << " / " << c.rate2 << " compiled";
        } catch (const ERateError& e) {
            EXPECT_EQ(e.Species(), c.species) << c.rate1;
            EXPECT_EQ(e.Message().substr(0, c.head.size() + c.tail.size()), c.head + c.tail)
                << e.Message();
            EXPECT_FALSE(model.IsCompiled());
        }
    }
}
