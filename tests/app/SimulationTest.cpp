#include "Simulation.h"
#include "Exception.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace {

std::vector<ParameterRow> Rows(std::initializer_list<ParameterRow> rows) {
    return rows;
}

TEST(RemoveBlanks, DropsOnlyTheSpaceCharacter) {
    EXPECT_EQ(RemoveBlanks(" 0.5 * N1 - 0 .02*N1*N2 "), "0.5*N1-0.02*N1*N2");
    EXPECT_EQ(RemoveBlanks("a\tb"), "a\tb");
    EXPECT_EQ(RemoveBlanks(""), "");
}

TEST(Simulation, StepsBothDensitiesFromTheSameState) {
    TSimulation sim;
    sim.dt = 0.1;
    sim.N1 = 40;
    sim.N2 = 9;
    auto rows = Rows({{"a", "0.5", ""}, {"b", "0.02", ""}, {"c", "0.5", ""}, {"d", "0.01", ""}});
    sim.Bind(rows, "a*N1 - b*N1*N2", "-c*N2 + d*N1*N2");
    sim.Step();
    // Both rates use N1 = 40, N2 = 9, not the updated N1.
    const double n1 = 40 + (0.5 * 40 - 0.02 * 40 * 9) * 0.1;
    const double n2 = 9 + (-0.5 * 9 + 0.01 * 40 * 9) * 0.1;
    EXPECT_DOUBLE_EQ(sim.t, 0.1);
    EXPECT_DOUBLE_EQ(sim.N1, n1);
    EXPECT_DOUBLE_EQ(sim.N2, n2);
    // The next step sees the new densities through the kept cells.
    sim.Step();
    EXPECT_DOUBLE_EQ(sim.N1, n1 + (0.5 * n1 - 0.02 * n1 * n2) * 0.1);
    EXPECT_DOUBLE_EQ(sim.t, 0.2);
}

TEST(Simulation, ZeroRatesLeaveTheStateAloneAndAStepOfZeroDoesNotBind) {
    TSimulation sim;
    std::vector<ParameterRow> rows;
    sim.Bind(rows, "0", "0");
    sim.Step();
    EXPECT_EQ(sim.t, 1);
    EXPECT_EQ(sim.N1, 1);
    EXPECT_EQ(sim.N2, 1);

    // A step of 0 would run for ever at one time: nothing is bound, nothing runs.
    sim.dt = 0;
    EXPECT_THROW(sim.Bind(rows, "N1", "-N2"), ESolverError);
    EXPECT_FALSE(sim.IsBound());
    sim.Step();
    EXPECT_EQ(sim.t, 1);
    EXPECT_EQ(sim.N1, 1);
}

TEST(Simulation, DensitiesMayTurnNegative) {
    TSimulation sim;
    std::vector<ParameterRow> rows;
    sim.Bind(rows, "-3", "0");
    sim.Step();
    EXPECT_EQ(sim.N1, -2);
}

TEST(Simulation, BindingRewritesValuesAndSkipsNamelessRows) {
    TSimulation sim;
    auto rows = Rows({{"r", "2.50", "growth"}, {"", "not a number", "ignored"}, {"k", "1e3", ""}});
    sim.Bind(rows, "r*k", "0");
    EXPECT_EQ(rows[0].value, "2.5");
    EXPECT_EQ(rows[1].value, "not a number");
    EXPECT_EQ(rows[2].value, "1000");
    EXPECT_EQ(sim.MathParser1.Value(), 2500);
    EXPECT_EQ(sim.MathParser2.VariableValue("K"), 1000);
}

// Names that would silently shadow each other are refused before anything is
// bound, naming the rows as the table counts them.
TEST(Simulation, NamesThatShadowEachOtherAreRefusedNamingTheRows) {
    const struct {
        std::vector<ParameterRow> rows;
        const char* message;
    } cases[] = {
        {Rows({{"r", "1", ""}, {"", "", ""}, {"R", "3", ""}}),
         "Rows 1 and 3 of the parameter table name one parameter ('r' and 'R': letter case does "
         "not count)"},
        {Rows({{"a", "1", ""}, {"b", "2", ""}, {"a", "3", ""}}),
         "Rows 1 and 3 of the parameter table name one parameter ('a' and 'a': letter case does "
         "not count)"},
        {Rows({{"a", "1", ""}, {"N1", "10", ""}}),
         "Row 2 of the parameter table is named 'N1', the name of a density"},
        {Rows({{"n2", "x", ""}}),
         "Row 1 of the parameter table is named 'n2', the name of a density"},
    };
    for (const auto& c : cases) {
        TSimulation sim;
        auto rows = c.rows;
        try {
            sim.Bind(rows, "N1", "0");
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_FALSE(sim.IsBound());
        EXPECT_EQ(rows[0].value, c.rows[0].value); // no value rewritten
    }
}

TEST(Simulation, BindingStopsAtTheFirstBadRow) {
    TSimulation sim;
    auto rows = Rows({{"a", "0.50", ""}, {"b", "", ""}, {"c", "x", ""}});
    try {
        sim.Bind(rows, "a", "0");
        FAIL() << "an empty value was accepted";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'' is not a valid floating point value");
    }
    EXPECT_EQ(rows[0].value, "0.5");
    EXPECT_FALSE(sim.IsBound());
    const double n1 = sim.N1;
    sim.Step(); // nothing bound, nothing runs
    EXPECT_EQ(sim.N1, n1);
    EXPECT_EQ(sim.t, 0);

    auto badName = Rows({{"2x", "1", ""}});
    try {
        sim.Bind(badName, "0", "0");
        FAIL() << "a bad name was accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Row 1 of the parameter table: '2x' is not a valid parameter name");
    }
}

TEST(Simulation, ARateThatDoesNotCompileStopsTheStart) {
    TSimulation sim;
    std::vector<ParameterRow> rows;
    EXPECT_THROW(sim.Bind(rows, "T*N1", "0"), Exception); // t is no variable of the rates
    EXPECT_FALSE(sim.IsBound());
    EXPECT_NO_THROW(sim.Bind(rows, "N 1 * 2", "0")); // blanks vanish, even inside names
    EXPECT_TRUE(sim.IsBound());
}

TEST(Simulation, AFaultingStepStopsWhereTheFaultArose) {
    TSimulation sim;
    std::vector<ParameterRow> rows;
    sim.Bind(rows, "1", "1/(N1-2)");
    sim.Step(); // N1 becomes 2; the second rate saw N1 = 1
    EXPECT_EQ(sim.N1, 2);
    EXPECT_EQ(sim.N2, 0);
    EXPECT_THROW(sim.Step(), ESolverError);
    EXPECT_EQ(sim.t, 2);  // time has advanced
    EXPECT_EQ(sim.N1, 3); // and N1 too, the fault came after it
    EXPECT_EQ(sim.N2, 0);
    EXPECT_EQ(sim.MathParser1.VariableValue("N1"), 2); // no cell written
    EXPECT_THROW(sim.Step(), ESolverError);            // still the old state in the cells
}

TEST(Simulation, OverflowWhileStoringADensityIsAFault) {
    TSimulation sim;
    sim.dt = 1E300;
    std::vector<ParameterRow> rows;
    sim.Bind(rows, "1E300", "0");
    EXPECT_THROW(sim.Step(), ESolverError);
    EXPECT_EQ(sim.N1, 1);
}

TEST(Simulation, OverflowInTheSecondDensityKeepsTheFirstAndNoCell) {
    TSimulation sim;
    sim.dt = 1E300;
    std::vector<ParameterRow> rows;
    sim.Bind(rows, "0", "1E300");
    EXPECT_THROW(sim.Step(), ESolverError);
    EXPECT_EQ(sim.t, 1 + 1E300);
    EXPECT_EQ(sim.N1, 1); // its update (rate 0) went through
    EXPECT_EQ(sim.N2, 1);
    EXPECT_EQ(sim.MathParser2.VariableValue("N2"), 1);
    // A clean step afterwards is not blamed for the old fault.
    sim.t = 0;
    sim.dt = 1;
    sim.Bind(rows, "2", "3");
    sim.Step();
    EXPECT_EQ(sim.N1, 3);
    EXPECT_EQ(sim.N2, 4);
}

TEST(Simulation, TimeThatOverflowsStopsTheStepBeforeIt) {
    TSimulation sim;
    sim.t = DBL_MAX;
    sim.dt = 1E300;
    std::vector<ParameterRow> rows;
    sim.Bind(rows, "1", "1");
    EXPECT_THROW(sim.Step(), ESolverError);
    EXPECT_EQ(sim.t, DBL_MAX);
    EXPECT_EQ(sim.N1, 1);
}

// A parameter moved while bound reaches the next step through the kept
// cells; the state, the compiled rates and the other cells stay.
TEST(Simulation, AMovedParameterTakesEffectFromTheNextStep) {
    TSimulation sim;
    auto rows = Rows({{"a", "1", ""}, {"b", "5", ""}});
    sim.Bind(rows, "a*N1", "b");
    sim.Step();
    EXPECT_EQ(sim.N1, 2);
    EXPECT_TRUE(sim.MoveParameter(0, "a", 3));
    EXPECT_EQ(sim.N1, 2);
    EXPECT_EQ(sim.MathParser1.VariableValue("A"), 3);
    EXPECT_EQ(sim.MathParser2.VariableValue("A"), 3);
    EXPECT_EQ(sim.MathParser1.Expression(), "a*N1");
    sim.Step();
    EXPECT_EQ(sim.N1, 2 + 3 * 2);
    EXPECT_EQ(sim.N2, 1 + 5 + 5);
    EXPECT_EQ(sim.t, 2);
}

// Only the cells of the row bound under that name are moved.
TEST(Simulation, AMoveReachesOnlyTheBindingOfThatRow) {
    const struct {
        std::size_t row;
        const char* name;
        const char* why;
    } refused[] = {
        {1, "a", "the row was bound under another name"},
        {2, "", "a row without a name has no cells"},
        {9, "a", "no such row"},
    };
    TSimulation sim;
    auto rows = Rows({{"a", "2", ""}, {"b", "7", ""}, {"", "", ""}});
    sim.Bind(rows, "a", "N1");
    for (const auto& c : refused) {
        EXPECT_FALSE(sim.MoveParameter(c.row, c.name, 10)) << c.why;
        EXPECT_EQ(sim.MathParser1.VariableValue("A"), 2) << c.why;
        EXPECT_EQ(sim.MathParser1.VariableValue("B"), 7) << c.why;
    }
    EXPECT_TRUE(sim.MoveParameter(0, "a", 4));
    EXPECT_EQ(sim.MathParser1.Value(), 4);

    // A Bind that fails leaves no cells to move.
    auto bad = Rows({{"a", "1", ""}, {"b", "x", ""}});
    EXPECT_THROW(sim.Bind(bad, "a", "0"), EConvertError);
    EXPECT_FALSE(sim.MoveParameter(0, "a", 5));
}

// An adaptive method has run ahead of the output time with the old value; a
// move starts it afresh, so the whole next step sees the new one.
TEST(Simulation, AMoveRestartsAnAdaptiveMethodFromTheState) {
    for (TSolverMethod method : {sm_RK4, sm_RK45, sm_BDF}) {
        TSimulation sim;
        sim.Settings.Method = method;
        auto rows = Rows({{"a", "1", ""}});
        sim.Bind(rows, "a", "0");
        sim.Step();
        sim.Step();
        EXPECT_NEAR(sim.N1, 3, 1E-9) << MethodName(method);
        ASSERT_TRUE(sim.MoveParameter(0, "a", 10));
        sim.Step();
        EXPECT_NEAR(sim.N1, 13, 1E-8) << MethodName(method);
        EXPECT_EQ(sim.t, 3);
    }
}

TEST(IsParameterName, AcceptsWhatTheParsersAccept) {
    for (const char* name : {"a", "K1", "_x", "N1", "T", "growth_rate"})
        EXPECT_TRUE(IsParameterName(name)) << name;
    for (const char* name : {"", "2x", "a b", "a-b", "a.b", "x+"})
        EXPECT_FALSE(IsParameterName(name)) << name;
    EXPECT_TRUE(SameParameterName("Rate_1", "rATE_1"));
    EXPECT_FALSE(SameParameterName("a", "ab"));
}

} // namespace
