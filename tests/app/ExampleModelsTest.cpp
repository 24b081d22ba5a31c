// Every shipped example, run as `tarnivell --batch` runs it, shows the behaviour
// it is there for; the expected values come from the models' closed forms.
#include "BatchRun.h"
#include "FloatText.h"
#include "IniFile.h"
#include "ModelFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

const std::string kFolder = TARNIVELL_EXAMPLES;

struct Row {
    double t, N1, N2;
};
using Rows = std::vector<Row>;

// The parameters of a model by name, as Start binds them.
using Params = std::map<std::string, double>;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Params ParamsOf(const TModel& model) {
    Params p;
    for (const ParameterRow& row : model.rows)
        if (!row.name.empty()) p[row.name] = TextToFloat(row.value);
    return p;
}

Rows RunExample(const std::string& file, long long steps, long long every) {
    std::ostringstream out, err;
    const int code = RunBatch(
        {kFolder + "/" + file, "--steps", std::to_string(steps), "--every", std::to_string(every)},
        out, err);
    EXPECT_EQ(code, 0) << file << ": " << err.str();
    Rows rows;
    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "t,N1,N2");
    while (std::getline(lines, line)) {
        std::istringstream cells(line);
        std::string t, n1, n2;
        std::getline(cells, t, ',');
        std::getline(cells, n1, ',');
        std::getline(cells, n2, ',');
        rows.push_back({TextToFloat(t), TextToFloat(n1), TextToFloat(n2)});
    }
    EXPECT_EQ(static_cast<long long>(rows.size()), steps / every + 1) << file;
    return rows;
}

double Relative(double value, double expected) {
    return std::abs(value - expected) / std::abs(expected);
}

// The local maxima of a density after `from`, as the output steps sample them.
std::vector<double> Peaks(const Rows& rows, double Row::*density, double from) {
    std::vector<double> peaks;
    for (size_t i = 1; i + 1 < rows.size(); ++i)
        if (rows[i].t >= from && rows[i].*density > rows[i - 1].*density &&
            rows[i].*density >= rows[i + 1].*density)
            peaks.push_back(rows[i].*density);
    return peaks;
}

// A limit cycle: after the transient the peaks repeat, and the densities swing
// around the equilibrium instead of settling on it.
void ExpectCycle(const Rows& rows, double from, double equilibriumN1) {
    const std::vector<double> peaks = Peaks(rows, &Row::N1, from);
    ASSERT_GE(peaks.size(), 3u);
    const auto [low, high] = std::minmax_element(peaks.begin(), peaks.end());
    EXPECT_LT(Relative(*low, *high), 0.01) << "peaks " << *low << " to " << *high;
    double least = rows.back().N1;
    for (const Row& r : rows)
        if (r.t >= from) least = std::min(least, r.N1);
    EXPECT_LT(least, 0.9 * equilibriumN1);
    EXPECT_GT(*low, 1.1 * equilibriumN1);
}

void ExpectEquilibrium(const Row& last, double N1, double N2, double tolerance) {
    EXPECT_LT(Relative(last.N1, N1), tolerance) << last.N1 << " against " << N1;
    EXPECT_LT(Relative(last.N2, N2), tolerance) << last.N2 << " against " << N2;
}

// The prey density at which logistic prey and a Holling type II predator
// (attack rate A, handling time H, efficiency e, death rate m) balance.
double HollingEquilibriumPrey(const Params& p) {
    return p.at("m") / (p.at("A") * (p.at("e") - p.at("m") * p.at("H")));
}

// The positive root of a*x^2 + b*x + c = 0 for a > 0 and c < 0.
double PositiveRoot(double a, double b, double c) {
    return (-b + std::sqrt(b * b - 4 * a * c)) / (2 * a);
}

struct ExampleCase {
    const char* file;
    long long steps;
    long long every;
    std::function<void(const Params&, const Rows&)> check;
};

const std::vector<ExampleCase>& Cases() {
    static const std::vector<ExampleCase> cases = {
        // Lotka-Volterra keeps V = d N1 - c ln N1 + b N2 - a ln N2 on a closed
        // orbit; Euler's step of 0.01 lets it drift slowly.
        {"predator-prey.ini", 1000, 10,
         [](const Params& p, const Rows& rows) {
             const auto V = [&](const Row& r) {
                 return p.at("d") * r.N1 - p.at("c") * std::log(r.N1) + p.at("b") * r.N2 -
                        p.at("a") * std::log(r.N2);
             };
             for (const Row& r : rows)
                 ASSERT_LT(Relative(V(r), V(rows[0])), 5e-3) << "t = " << r.t;
         }},
        // The same conserved quantity, held by the adaptive method over six
        // large cycles from (25, 5).
        {"lotka-volterra.ini", 2000, 5,
         [](const Params& p, const Rows& rows) {
             const auto V = [&](const Row& r) {
                 return p.at("e") * p.at("a") * r.N1 - p.at("s") * std::log(r.N1) +
                        p.at("a") * r.N2 - p.at("b") * std::log(r.N2);
             };
             for (const Row& r : rows)
                 ASSERT_LT(Relative(V(r), V(rows[0])), 1e-5) << "t = " << r.t;
             EXPECT_GE(Peaks(rows, &Row::N1, 0).size(), 6u);
         }},
        // Lotka-Volterra again, with the parameters named as the fit of the
        // pelt counts names them: c N1 - d ln N1 + b N2 - a ln N2 is conserved.
        {"lynx-hare.ini", 1000, 5,
         [](const Params& p, const Rows& rows) {
             const auto V = [&](const Row& r) {
                 return p.at("c") * r.N1 - p.at("d") * std::log(r.N1) + p.at("b") * r.N2 -
                        p.at("a") * std::log(r.N2);
             };
             for (const Row& r : rows)
                 ASSERT_LT(Relative(V(r), V(rows[0])), 1e-5) << "t = " << r.t;
             EXPECT_GE(Peaks(rows, &Row::N1, 0).size(), 4u);
         }},
        // Coexistence: N1* = (K1 - a12 K2) / (1 - a12 a21), N2* likewise.
        {"logistic-competition.ini", 2000, 2000,
         [](const Params& p, const Rows& rows) {
             const double d = 1 - p.at("a12") * p.at("a21");
             ExpectEquilibrium(rows.back(), (p.at("K1") - p.at("a12") * p.at("K2")) / d,
                               (p.at("K2") - p.at("a21") * p.at("K1")) / d, 1e-6);
         }},
        // Exclusion: N1 reaches K1, and N2 then dies out at the rate with
        // which it would invade N1 at K1: r2 (1 - a21 K1 / K2).
        {"competition-exclusion.ini", 1000, 100,
         [](const Params& p, const Rows& rows) {
             EXPECT_LT(Relative(rows.back().N1, p.at("K1")), 1e-9);
             const double rate = std::log(rows[10].N2 / rows[6].N2) / (rows[10].t - rows[6].t);
             EXPECT_LT(Relative(rate, p.at("r2") * (1 - p.at("a21") * p.at("K1") / p.at("K2"))),
                       1e-3);
         }},
        // Rosenzweig-MacArthur with the prey's hump at or left of N*: the
        // oscillations die away (slowly) into the equilibrium.
        {"saturating-predator.ini", 100000, 100000,
         [](const Params& p, const Rows& rows) {
             const double N = HollingEquilibriumPrey(p);
             ASSERT_GE(N, (p.at("K") - 1 / (p.at("A") * p.at("H"))) / 2);
             const double P =
                 p.at("R") * (1 - N / p.at("K")) * (1 + p.at("A") * p.at("H") * N) / p.at("A");
             ExpectEquilibrium(rows.back(), N, P, 1e-6);
         }},
        // Enriched: the hump moves right of N*, which loses its stability to a
        // limit cycle whose prey troughs come close to zero.
        {"paradox-of-enrichment.ini", 6000, 1,
         [](const Params& p, const Rows& rows) {
             const double N = HollingEquilibriumPrey(p);
             ASSERT_LT(N, (p.at("K") - 1 / (p.at("A") * p.at("H"))) / 2);
             ExpectCycle(rows, 300, N);
         }},
        // Holling-Tanner: N* solves r (1 - N/K)(D + N) = w N / h, and P* = N*/h.
        {"holling-tanner-damped.ini", 3000, 3000,
         [](const Params& p, const Rows& rows) {
             const double r = p.at("r"), K = p.at("K"), D = p.at("D"), w = p.at("w");
             const double N = PositiveRoot(r / K, w / p.at("h") - r + r * D / K, -r * D);
             ExpectEquilibrium(rows.back(), N, N / p.at("h"), 1e-6);
         }},
        // A slow predator: the trace of the Jacobian at the equilibrium,
        // r (1 - 2N/K) - w P D / (D + N)^2 - s, is positive, and a cycle forms.
        {"holling-tanner-cycle.ini", 6000, 1,
         [](const Params& p, const Rows& rows) {
             const double r = p.at("r"), K = p.at("K"), D = p.at("D"), w = p.at("w");
             const double N = PositiveRoot(r / K, w / p.at("h") - r + r * D / K, -r * D);
             const double P = N / p.at("h");
             ASSERT_GT(r * (1 - 2 * N / K) - w * P * D / ((D + N) * (D + N)) - p.at("s"), 0);
             ExpectCycle(rows, 300, N);
         }},
        // Interference among predators (c) steadies the enriched model.
        // Equilibrium: P* = R e N (1 - N/K) / m with
        // (c R e / K) N^2 - (c R e - A (e - m H)) N - m = 0.
        {"beddington-deangelis.ini", 3000, 3000,
         [](const Params& p, const Rows& rows) {
             const double cre = p.at("c") * p.at("R") * p.at("e");
             const double N =
                 PositiveRoot(cre / p.at("K"),
                              -(cre - p.at("A") * (p.at("e") - p.at("m") * p.at("H"))), -p.at("m"));
             const double P = p.at("R") * p.at("e") * N * (1 - N / p.at("K")) / p.at("m");
             ExpectEquilibrium(rows.back(), N, P, 1e-6);
         }},
        // Mutualists settle above their own capacities:
        // N1* = (K1 + b12 K2) / (1 - b12 b21), N2* likewise.
        {"mutualism.ini", 1000, 1000,
         [](const Params& p, const Rows& rows) {
             const double d = 1 - p.at("b12") * p.at("b21");
             ExpectEquilibrium(rows.back(), (p.at("K1") + p.at("b12") * p.at("K2")) / d,
                               (p.at("K2") + p.at("b21") * p.at("K1")) / d, 1e-9);
         }},
        // SIR keeps S + I - (gamma/beta) ln S; the epidemic ends where that
        // quantity meets I = 0 (the final-size relation).
        {"sir.ini", 1200, 4,
         [](const Params& p, const Rows& rows) {
             const double rho = p.at("gamma") / p.at("beta");
             const auto W = [&](double S, double I) { return S + I - rho * std::log(S); };
             const double w0 = W(rows[0].N1, rows[0].N2);
             for (const Row& r : rows)
                 ASSERT_NEAR(W(r.N1, r.N2), w0, 1e-7) << "t = " << r.t;
             double S = 0.01; // Newton from below: W(S, 0) = w0 has its small root there
             for (int i = 0; i < 50; ++i)
                 S -= (W(S, 0) - w0) / (1 - rho / S);
             EXPECT_NEAR(rows.back().N1, S, 1e-7);
             EXPECT_LT(rows.back().N2, 1e-9);
         }},
        // A constant effort E makes another logistic law, r' = r - qE and
        // K' = K (1 - qE/r): N(t) = K' / (1 + (K'/N0 - 1) e^(-r't)). Past the
        // effort of maximum yield r/(2q), more effort lands less fish.
        {"harvested-logistic.ini", 1000, 10,
         [](const Params& p, const Rows& rows) {
             const auto stock = [&](double E, double N0, double t) {
                 const double r = p.at("r") - p.at("q") * E;
                 const double K = p.at("K") * (1 - p.at("q") * E / p.at("r"));
                 return K / (1 + (K / N0 - 1) * std::exp(-r * t));
             };
             for (const Row& row : rows) {
                 ASSERT_LT(Relative(row.N1, stock(p.at("E1"), rows[0].N1, row.t)), 1e-7) << row.t;
                 ASSERT_LT(Relative(row.N2, stock(p.at("E2"), rows[0].N2, row.t)), 1e-7) << row.t;
             }
             ASSERT_GT(p.at("E2"), p.at("r") / (2 * p.at("q")));
             EXPECT_GT(p.at("E1") * rows.back().N1, p.at("E2") * rows.back().N2);
         }},
        // The predator pushes the prey below its Allee threshold T; then the
        // prey dies out and the predator, without food, decays at its death rate.
        {"allee-effect.ini", 1000, 10,
         [](const Params& p, const Rows& rows) {
             const auto crash = std::find_if(rows.begin(), rows.end(),
                                             [&](const Row& r) { return r.N1 < p.at("T"); });
             ASSERT_NE(crash, rows.end());
             EXPECT_LT(rows.back().N1, 1e-12);
             const Row& a = rows[60];
             const Row& b = rows.back();
             EXPECT_LT(Relative(std::log(b.N2 / a.N2) / (b.t - a.t), -p.at("m")), 1e-3);
         }},
    };
    return cases;
}

std::vector<std::string> ShippedModels() {
    std::vector<std::string> files;
    for (const QString& name :
         QDir(QString::fromStdString(kFolder)).entryList({QStringLiteral("*.ini")}, QDir::Files))
        files.push_back(name.toStdString());
    return files;
}

TEST(ExampleModels, EachShowsItsBehaviourInABatchRun) {
    for (const ExampleCase& c : Cases()) {
        SCOPED_TRACE(c.file);
        TModel model;
        LoadModelFile(kFolder + "/" + c.file, model);
        c.check(ParamsOf(model), RunExample(c.file, c.steps, c.every));
    }
}

TEST(ExampleModels, EveryShippedModelIsChecked) {
    std::set<std::string> checked;
    for (const ExampleCase& c : Cases())
        checked.insert(c.file);
    const std::vector<std::string> shipped = ShippedModels();
    EXPECT_EQ(std::set<std::string>(shipped.begin(), shipped.end()), checked);
}

// Each is a model file as File > Save leaves it: saving it over a copy of
// itself changes no byte, so every key is there in Save's order and form. Its
// parameters are described, and it says where the model comes from.
TEST(ExampleModels, EachIsASavedModelThatDescribesAndCitesItself) {
    QTemporaryDir dir;
    const std::regex year("\\b(1[89]|20)[0-9][0-9]\\b");
    for (const std::string& file : ShippedModels()) {
        SCOPED_TRACE(file);
        const std::string original = ReadAll(kFolder + "/" + file);
        const std::string copy = dir.filePath(QString::fromStdString(file)).toStdString();
        std::ofstream(copy, std::ios::binary) << original;
        TModel model;
        LoadModelFile(copy, model);
        SaveModelFile(copy, model);
        EXPECT_EQ(ReadAll(copy), original);

        for (const ParameterRow& row : model.rows)
            EXPECT_TRUE(row.name.empty() || !row.description.empty()) << row.name;
        const IniFile ini(copy);
        const std::string source = ini.ReadString("About", "Source", "");
        EXPECT_TRUE(std::regex_search(source.empty() ? model.rows[0].description : source, year))
            << "no year of publication in the source";
    }
}

} // namespace
