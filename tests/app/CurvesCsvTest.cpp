// The curves as comma-separated values.
#include "CurvesCsv.h"
#include "AtomicFile.h"
#include "FloatText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// 15 significant digits; zero has no sign in the general number form.
std::string Digits15(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", v + 0.0);
    return buf;
}

TEST(CurvesCsv, RowsPairTheCurvesByTime) {
    const double nan = std::nan("");
    const struct {
        const char* what;
        TCurve n1, n2;
        const char* text;
    } cases[] = {
        {"nothing", {}, {}, "t,N1,N2\n"},
        {"same times", {{0, 1}, {0.5, 2}}, {{0, 3}, {0.5, 4}}, "t,N1,N2\n0,1,3\n0.5,2,4\n"},
        {"N2 shorter", {{0, 1}, {1, 2}}, {{0, 3}}, "t,N1,N2\n0,1,3\n1,2,\n"},
        {"interleaved", {{0, 1}, {2, 2}}, {{1, 3}, {2, 4}}, "t,N1,N2\n0,1,\n1,,3\n2,2,4\n"},
        {"only N2", {}, {{1E-5, -1}}, "t,N1,N2\n1E-5,,-1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CurvesCsv(MergeCurves(c.n1, c.n2)), c.text);
    }
    // A density that is not a number stays visible as such; only a missing one is empty.
    EXPECT_EQ(CurvesCsvRow({1, INFINITY, 2}), "1,INF,2\n");
    EXPECT_EQ(CurvesCsvRow({1, nan, 2}), "1,,2\n");
}

TEST(CurvesCsv, NumbersReadBackTo15DigitsWithAPointWhateverTheSeparator) {
    const double values[] = {1.0 / 3, -2.0 / 3e7, 12345678.901234567, 6.02214076e23, 1e-300, 0};
    TCurve n1, n2;
    for (size_t i = 0; i < std::size(values); ++i) {
        n1.emplace_back(i * 0.1, values[i]);
        n2.emplace_back(i * 0.1, -values[i] * 7);
    }
    SetDecimalSeparator(',');
    const std::string text = CurvesCsv(MergeCurves(n1, n2));
    SetDecimalSeparator('.');

    std::istringstream in(text);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "t,N1,N2");
    size_t row = 0;
    while (std::getline(in, line)) {
        ASSERT_LT(row, std::size(values)) << line;
        std::istringstream cells(line);
        std::string cell[3];
        for (auto& c : cell)
            std::getline(cells, c, ',');
        EXPECT_TRUE(cells.eof()) << "more than three cells: " << line;
        const double expected[3] = {row * 0.1, values[row], -values[row] * 7};
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(Digits15(std::strtod(cell[k].c_str(), nullptr)), Digits15(expected[k]))
                << line;
        ++row;
    }
    EXPECT_EQ(row, std::size(values));
}

TEST(CurvesCsv, WritingReplacesTheFileOrSaysWhyAndLeavesNone) {
    const fs::path folder =
        fs::temp_directory_path() / ("curves-csv-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path file = folder / "run.csv";
    std::ofstream(file) << "old contents that are longer than the new ones\n";
    WriteCurvesCsv(file.string(), {{0, 1, 2}});
    EXPECT_EQ(ReadFile(file), "t,N1,N2\n0,1,2\n");

    const fs::path missing = folder / "missing" / "run.csv";
    try {
        WriteCurvesCsv(missing.string(), {{0, 1, 2}});
        ADD_FAILURE() << "no error";
    } catch (const EFileWriteError& e) {
        EXPECT_EQ(e.Message(), "Cannot write " + missing.string() + ": No such file or directory");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    fs::remove_all(folder);
}

} // namespace
