#include "DataFile.h"

#include "Exception.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <cmath>
#include <filesystem>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Decimal commas are taken only where the user writes numbers so.
struct TLocaleScope {
    explicit TLocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~TLocaleScope() { QLocale::setDefault(QLocale::c()); }
};

TEST(DataFile, ReadsTablesWithGaps) {
    const struct {
        const char* text;
        TDataColumns columns;
        std::vector<double> t, n1, n2; // NaN: not observed
        QLocale::Language language = QLocale::C;
    } cases[] = {
        {"year,N1,N2\n1900,30,4\n1901,,6.1\n\n1902,70.2,NA\n",
         {},
         {1900, 1901, 1902},
         {30, kNaN, 70.2},
         {4, 6.1, kNaN}},
        {"Time  n2\tn1\n0 1 2\n0.5 NA 3\n", {}, {0, 0.5}, {2, 3}, {1, kNaN}},
        {"  t   N1\n  0   5  \n", {}, {0}, {5}, {kNaN}},
        {"day,hare,lynx\n1,5,6\n2,7\n", {"Day", "hare", "lynx"}, {1, 2}, {5, 7}, {6, kNaN}},
        {"T,N1\n0,1\n", {}, {0}, {1}, {kNaN}},
        {"\xEF\xBB\xBFt,N2\r\n0,2\r\n", {}, {0}, {kNaN}, {2}},
        // Tabs, and quotes the header has: a comma inside them is text.
        {"t\tN1\tN2\n0\t 1\t2\n", {}, {0}, {1}, {2}},
        {"\"time\",\"N1, hares\",\"N2\"\n0,\"1\",2\n", {"", "N1, hares", ""}, {0}, {1}, {2}},
        // The user's decimal comma, used throughout; "." in one cell keeps it.
        {"t\tN1\tN2\n0,5\t1,25\t2\n1\tNA\t3,5\n",
         {},
         {0.5, 1},
         {1.25, kNaN},
         {2, 3.5},
         QLocale::German},
        {"t N1\n0 1.5\n1 2\n", {}, {0, 1}, {1.5, 2}, {kNaN, kNaN}, QLocale::German},
    };
    for (const auto& c : cases) {
        const TLocaleScope scope{QLocale(c.language)};
        const TObservedData d =
            TDataFile::FromText(QString::fromUtf8(c.text), "data.csv").Data(c.columns);
        ASSERT_EQ(d.t, c.t) << c.text;
        for (std::size_t i = 0; i < d.Rows(); ++i) {
            EXPECT_TRUE(d.n1[i] == c.n1[i] || (std::isnan(d.n1[i]) && std::isnan(c.n1[i])))
                << c.text << i;
            EXPECT_TRUE(d.n2[i] == c.n2[i] || (std::isnan(d.n2[i]) && std::isnan(c.n2[i])))
                << c.text << i;
        }
    }
}

TEST(DataFile, RefusesBadTables) {
    const struct {
        const char* text;
        TDataColumns columns;
        const char* message;
        QLocale::Language language = QLocale::C;
    } cases[] = {
        {"t,N1,N2\n0,1,2\n1,x1,2\n",
         {},
         "'d.csv' line 3: 'x1' is not a valid floating point value"},
        {"t N1\n\n0 1\n1 2e\n", {}, "'d.csv' line 4: '2e' is not a valid floating point value"},
        // A decimal comma where the user's separator is "." is no number.
        {"t\tN1\n0\t1,5\n", {}, "'d.csv' line 2: '1,5' is not a valid floating point value"},
        // Nor where the file mixes it with ".".
        {"t\tN1\n0\t1,5\n1\t2.5\n",
         {},
         "'d.csv' line 2: '1,5' is not a valid floating point value",
         QLocale::German},
        {"day,N1\n0,1\n", {}, "'d.csv' has no time column (t, time or year)"},
        {"t,N1\n0,1\n", {"", "", "lynx"}, "'d.csv' has no column 'lynx'"},
        {"t,hare\n0,1\n", {}, "'d.csv' has neither an N1 nor an N2 column"},
        {"", {}, "'d.csv' holds no data"},
        {"t,N1,N2\n\n", {}, "'d.csv' holds no data"},
        {"t,N1\n1,1\n1,2\n", {}, "'d.csv' line 3: the times must increase from row to row"},
        {"t,N1\n1,1\n,2\n", {}, "'d.csv' line 3 has no time"},
    };
    for (const auto& c : cases) {
        const TLocaleScope scope{QLocale(c.language)};
        try {
            TDataFile::FromText(QString::fromUtf8(c.text), "d.csv").Data(c.columns);
            ADD_FAILURE() << c.text;
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(DataFile, ReadsTheShippedTableAndRefusesWhatIsNoFile) {
    const TObservedData d = TDataFile::Read(TARNIVELL_EXAMPLES "/lynx-hare.csv").Data();
    EXPECT_EQ(d.Rows(), 21u);
    EXPECT_EQ(d.t.front(), 1900);
    const std::string missing = TARNIVELL_EXAMPLES "/no-such.csv";
    for (const std::string& name : {missing, std::string(TARNIVELL_EXAMPLES)}) {
        try {
            TDataFile::Read(name);
            ADD_FAILURE() << name;
        } catch (const Exception& e) {
            EXPECT_EQ(e.what(), "Data file '" + name + "' does not exist");
        }
    }
}

} // namespace
