// XPPAUT .ode files read into a model and written from one. The reading is
// checked by what the rates compute (against the arithmetic written out in
// C++ with XPPAUT's grouping), not by the text they are translated to.
#include "OdeFile.h"
#include "FloatText.h"
#include "MathParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

// Both rates of a model at (n1, n2), as a run evaluates them.
std::pair<double, double> Rates(const TModel& model, double n1, double n2) {
    double r[2];
    const std::string* rates[2] = {&model.rate1, &model.rate2};
    for (int k = 0; k < 2; ++k) {
        TMathParser parser;
        parser.RemoveVariables();
        parser.DefineVariable("N1", n1);
        parser.DefineVariable("N2", n2);
        for (const ParameterRow& row : model.rows)
            if (!row.name.empty()) parser.DefineVariable(row.name, TextToFloat(row.value));
        parser.SetExpression(RemoveBlanks(*rates[k]));
        r[k] = parser.Value();
    }
    return {r[0], r[1]};
}

TModel Read(const std::string& text, std::vector<std::string>* notes = nullptr) {
    TModel model;
    std::vector<std::string> told;
    ReadOdeText("model.ode", text, model, notes ? *notes : told);
    return model;
}

// Each expression as x' of a model with x = 0.1, y = 0.2 and parameters a =
// 0.3, b = 7: the value XPPAUT's grouping gives, to the last bit. The values
// are chosen so that the rate law's own grouping (sums and products from the
// right, a*b/c as a*(b/c)) would give another double.
TEST(OdeExpression, EveryOperatorAndFunctionComputesAsXppautGroupsIt) {
    const double x = 0.1, y = 0.2, a = 0.3, b = 7;
    const struct {
        const char* expression;
        double expected;
    } cases[] = {
        {"x+y+a", (x + y) + a},
        {"a-y-x", (a - y) - x},
        {"x*y*a*b", ((x * y) * a) * b},
        {"a*x/b", (a * x) / b},
        {"x/y/b", (x / y) / b},
        {"-x^2", -(x * x)},
        {"x**3+y^b", std::pow(x, 3) + std::pow(y, b)},
        {"2^(-3)*b", 0.125 * b},
        {"-(x-y)*-a", (-(x - y)) * (-a)},
        {"x - -y", x + y},
        {"ln(a)+log(b)", std::log(a) + std::log(b)},
        {"exp(x)*sqrt(b)/abs(-a)", (std::exp(x) * std::sqrt(b)) / std::abs(-a)},
        {"sin(x)+cos(y)+tan(a)", (std::sin(x) + std::cos(y)) + std::tan(a)},
        {"atan(b)", std::atan(b)},
        {"heav(x-x)+heav(-x)+sign(-a)+sign(0)", 1 + 0 + -1 + 0},
        {"max(x,y)*min(a,b)", y * a},
        {"pi*PI", std::numbers::pi * std::numbers::pi},
        {"1.5e-3+.5+2E+2", (1.5e-3 + .5) + 2e2},
        {"if(x<y)then(a)else(b)", a},
        {"if(x>y)then(a)else(b)", b},
        {"if(x>=x)then(a)else(b) + if(y<=x)then(a)else(b)", a + b},
        {"if(x==y)then(a)else(b) + if(x!=y)then(1)else(2)", b + 1},
        {"if(a-0.3)then(x)else(y)", y},
    };
    for (const auto& c : cases) {
        const std::string text =
            "par a=0.3, b=7\ninit x=0.1, y=0.2\nx'=" + std::string(c.expression) + "\ny'=0\n";
        const TModel model = Read(text);
        EXPECT_EQ(Rates(model, x, y).first, c.expected) << c.expression << " -> " << model.rate1;
    }
}

// What each statement of the file gives the model.
TEST(OdeFile, EachStatementFormGivesItsPartOfTheModel) {
    const struct {
        const char* text;
        double dt, n1, n2, rate1, rate2; // rates at (2, 3)
        TSolverMethod method;
        std::vector<std::pair<const char*, double>> rows;
    } cases[] = {
        // XPPAUT's defaults: dt 0.05, Runge-Kutta, initial values 0.
        {"x'=1\ny'=2\n", 0.05, 0, 0, 1, 2, sm_RK4, {}},
        {"# a comment\npar a=1, b = 2 c=3\nparam d=4\np e =5\nhare'=a+b\nlynx'=c+d+e\n",
         0.05,
         0,
         0,
         3,
         12,
         sm_RK4,
         {{"a", 1}, {"b", 2}, {"c", 3}, {"d", 4}, {"e", 5}}},
        {"init u=1.5 v=-2\ndu/dt=u\ndv/dt = v*u\n", 0.05, 1.5, -2, 2, 6, sm_RK4, {}},
        {"u(0)=0.25\nv(0)=4\nu'=v\nv'=-u\n", 0.05, 0.25, 4, 3, -2, sm_RK4, {}},
        {"i u=1\nu'=u\nv'=v\n", 0.05, 1, 0, 2, 3, sm_RK4, {}},
        {"number k=10\nu'=k*u\nv'=k\n", 0.05, 0, 0, 20, 10, sm_RK4, {}},
        {"par a=2, b=3\n!c=a*b+1\nu'=c*u\nv'=c\n",
         0.05,
         0,
         0,
         14,
         7,
         sm_RK4,
         {{"a", 2}, {"b", 3}, {"c", 7}}},
        {"f(p,q)=p*q+1\ng(z)=f(z,z)\nu'=f(u,v)\nv'=g(v)\n", 0.05, 0, 0, 7, 10, sm_RK4, {}},
        {"w=u+v\nu'=w\nv'=w*2\n", 0.05, 0, 0, 5, 10, sm_RK4, {}},
        {"u'=u+\\\n  v\nv'=1 # inline\naux s=u+v\n@ dt=0.01, meth=euler, total=100\n",
         0.01,
         0,
         0,
         5,
         1,
         sm_Euler,
         {}},
        {"u'=u\nv'=v\n@ meth=runge\n", 0.05, 0, 0, 2, 3, sm_RK4, {}},
        {"u'=u\nv'=v\n@ meth=qualrk,dt=.1\n", 0.1, 0, 0, 2, 3, sm_RK45, {}},
        {"u'=u\nv'=v\n@ meth=stiff\n", 0.05, 0, 0, 2, 3, sm_BDF, {}},
        {"u'=u\nv'=v\ndone\nz'=1\ntable q\n", 0.05, 0, 0, 2, 3, sm_RK4, {}},
    };
    for (const auto& c : cases) {
        const TModel model = Read(c.text);
        EXPECT_EQ(model.dt, c.dt) << c.text;
        EXPECT_EQ(model.N1, c.n1) << c.text;
        EXPECT_EQ(model.N2, c.n2) << c.text;
        EXPECT_EQ(model.solver.Method, c.method) << c.text;
        const auto [r1, r2] = Rates(model, 2, 3);
        EXPECT_EQ(r1, c.rate1) << c.text << model.rate1;
        EXPECT_EQ(r2, c.rate2) << c.text << model.rate2;
        for (size_t k = 0; k < model.rows.size(); ++k) {
            if (k < c.rows.size()) {
                EXPECT_EQ(model.rows[k].name, c.rows[k].first) << c.text;
                EXPECT_EQ(TextToFloat(model.rows[k].value), c.rows[k].second) << c.text;
            } else {
                EXPECT_EQ(model.rows[k].name, "") << c.text;
            }
        }
    }
}

TEST(OdeFile, TheVariablesNamesAreKeptAndTheIgnoredIsNoted) {
    std::vector<std::string> notes;
    const TModel model =
        Read("Hare'=1\nlynx'=2\naux total=Hare+lynx\n@ total=50, nout=2, meth=cvode, tol=1e-8\n",
             &notes);
    EXPECT_EQ(model.name1, "Hare");
    EXPECT_EQ(model.name2, "lynx");
    EXPECT_EQ(model.solver.RelTol, 1e-8);
    EXPECT_EQ(model.solver.AbsTol, 1e-3); // XPPAUT's default
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0], "model.ode:3: 'aux' is ignored: the window plots N1 and N2 only");
    EXPECT_EQ(notes[1], "model.ode:4: option 'total' is ignored");
    EXPECT_EQ(notes[2], "model.ode:4: option 'nout' is ignored");
}

// A parameter named as a rate-law function or as a density is renamed, said
// so, and still computes as it did.
TEST(OdeFile, NamesTheRateLawReservesAreRenamed) {
    std::vector<std::string> notes;
    const TModel model =
        Read("par sin=2, N1=3, div=5, sin_=7\nx'=sin*n1+sin(0)\ny'=div+sin_\n", &notes);
    EXPECT_EQ(model.rows[0].name, "sin__");
    EXPECT_EQ(model.rows[1].name, "N1_");
    EXPECT_EQ(model.rows[2].name, "div_");
    EXPECT_EQ(model.rows[3].name, "sin_");
    EXPECT_EQ(Rates(model, 0, 0), std::make_pair(6.0, 12.0));
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0],
              "model.ode:1: the parameter 'sin' is named 'sin__': the rate law reserves its name");
}

// Each construct without an exact equivalent is refused with one line that
// names it and its line, and the model stays as it was.
TEST(OdeFile, ConstructsWithoutAnExactEquivalentAreRefusedWithTheirLine) {
    std::string many = "x'=0\ny'=0\n";
    // Each function squares the one before: its tree doubles with each line.
    std::string doubling = "f0(u)=u*u\n";
    for (int k = 1; k <= 30; ++k)
        doubling += "f" + std::to_string(k) + "(u)=f" + std::to_string(k - 1) + "(f" +
                    std::to_string(k - 1) + "(u))\n";
    doubling += "x'=f30(x)\ny'=0\n";
    for (int k = 1; k <= kParameterRows + 1; ++k)
        many += "par p" + std::to_string(k) + "=1\n";
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {"x'=0\ny'=0\nz'=0\n",
         "model.ode:3: a third variable 'z' is not supported: a model has two"},
        {"x'=0\n\ntable f f.tab\ny'=0\n", "model.ode:3: 'table' is not supported"},
        {"x'=0\ny'=0\nwiener w\n", "model.ode:3: 'wiener' is not supported"},
        {"x'=0\ny'=0\nmarkov z 2\n", "model.ode:3: 'markov' is not supported"},
        {"x'=0\ny'=0\nglobal 1 x-1 {x=0}\n", "model.ode:3: 'global' is not supported"},
        {"x'=delay(x,1)\ny'=0\n", "model.ode:1: the function 'delay' is not supported"},
        {"x'=0\ny'=asin(x)\n", "model.ode:2: the function 'asin' is not supported"},
        {"x'=log10(x)\ny'=0\n",
         "model.ode:1: 'log10' is not supported: the rate law has no exact base-10 logarithm"},
        {"x'=t\ny'=0\n", "model.ode:1: the time 't' is not supported"},
        {"x'=q\ny'=0\n", "model.ode:1: unknown name 'q'"},
        {"x'=x^2^3\ny'=0\n", "model.ode:1: a chained power 'a^b^c' is not supported"},
        {"x'=x&y\ny'=0\n", "model.ode:1: '&' is not supported"},
        {"x'=0\ny'=0\n@ meth=adams\n", "model.ode:3: the method 'adams' is not supported"},
        {"x[1..2]'=0\n", "model.ode:1: arrays 'name[...]' are not supported"},
        {"x'=0\n", "model.ode:1: a model has two variables; the file declares 1"},
        {"x'=0\ny'=0\ninit z=1\n", "model.ode:3: init names 'z', which is no variable"},
        {"f(a)=f(a)\nx'=f(1)\ny'=0\n", "model.ode:1: 'f' refers to itself"},
        {"par a=1\nx'=0\ny'=0\npar A=2\n", "model.ode:4: 'A' is declared twice"},
        {"par a=x1\nx'=0\ny'=0\n", "model.ode:1: 'x1' is not a number"},
        {many, "model.ode:23: the file has 21 parameters; the table holds 20"},
        {"x'=" + std::string(500, '(') + "1" + std::string(500, ')') + "\ny'=0\n",
         "model.ode:1: the expression is nested too deeply"},
        {doubling, "model.ode:6: the functions expand too far"},
    };
    for (const auto& c : cases) {
        TModel model;
        model.rate1 = "unchanged";
        std::vector<std::string> notes;
        try {
            ReadOdeText("/some/folder/model.ode", c.text, model, notes);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message) << c.text;
        }
        EXPECT_EQ(model.rate1, "unchanged");
    }
}

// A written model reads back as itself: names, numbers to the last bit, the
// method and the tolerances, and rates that compute the same.
TEST(OdeFile, AWrittenModelReadsBackExactly) {
    TModel model;
    model.dt = 0.1 / 3;
    model.N1 = 1.0 / 3;
    model.N2 = 2e-300;
    model.name1 = "hare";
    model.name2 = "t"; // XPPAUT's time: written under another name
    model.rate1 = "r*N1*(1-N1/K)-a*N1*N2/(1+N1)+ZERO(N1)";
    model.rate2 = "-d*N2+a*N1*N2^2-N1^-2+ARCTAN(N2)+N1^3+N2^4+MAX(N1,-PI)";
    model.rows[0] = {"r", "0.7", "growth"};
    model.rows[1] = {"K", "12.5", ""};
    model.rows[3] = {"a", FloatToText(0.1, 17), ""};
    model.rows[4] = {"d", "1E-3", ""};
    model.rows[5] = {"sin", "2", ""}; // a name XPPAUT reserves
    model.solver = {sm_RK45, 1e-9, 1e-11};
    TModel back;
    std::vector<std::string> notes;
    ReadOdeText("out.ode", OdeText(model), back, notes);
    EXPECT_EQ(back.dt, model.dt);
    EXPECT_EQ(back.N1, model.N1);
    EXPECT_EQ(back.N2, model.N2);
    EXPECT_EQ(back.name1, "hare");
    EXPECT_EQ(back.name2, "N2");
    EXPECT_EQ(back.solver, model.solver);
    // Tolerances set under a fixed-step method come back too.
    model.solver = {sm_RK4, 1e-8, kDefaultAbsTol};
    ReadOdeText("out.ode", OdeText(model), back, notes);
    EXPECT_EQ(back.solver, model.solver);
    // The empty row is not written: the rows close up.
    EXPECT_EQ(back.rows[2].name, "a");
    EXPECT_EQ(TextToFloat(back.rows[2].value), 0.1);
    EXPECT_EQ(back.rows[4].name, "sin_");
    for (const auto& [n1, n2] : {std::pair{0.3, 0.7}, {2.0, 5.0}, {1.0, 0.0}}) {
        const auto a = Rates(model, n1, n2);
        const auto b = Rates(back, n1, n2);
        EXPECT_EQ(a, b) << back.rate1 << "\n" << back.rate2;
    }
}

TEST(OdeFile, RatesXppautCannotComputeAreRefusedOnWriting) {
    for (const char* rate : {"N1 MOD 2", "N1 DIV 2", "PH(N1)", "RND(N2)"}) {
        TModel model;
        model.rate2 = rate;
        try {
            OdeText(model);
            ADD_FAILURE() << rate;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message().rfind("dN2/dt: XPPAUT has no ", 0), 0u) << e.Message();
        }
    }
}

} // namespace
