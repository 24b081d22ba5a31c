#include "SbmlFile.h"
#include "CompiledModel.h"
#include "FloatText.h"
#include "ModelFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        path_ =
            fs::temp_directory_path() /
            ("tarnivell-sbml-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The file without the program's own annotation: what another tool would
// leave of it.
std::string WithoutAnnotation(std::string text) {
    const auto begin = text.find("<annotation>");
    const auto end = text.find("</annotation>");
    if (begin != std::string::npos && end != std::string::npos)
        text.erase(begin, end + std::string("</annotation>").size() - begin);
    return text;
}

std::string Math(const std::string& body) {
    return "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">" + body + "</math>";
}

std::string Sbml(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<sbml xmlns=\"http://www.sbml.org/sbml/level3/version2/core\" level=\"3\" "
           "version=\"2\">\n<model id=\"m\">\n" +
           body + "\n</model>\n</sbml>\n";
}

std::string Compartment(const std::string& size = "1") {
    return "<listOfCompartments><compartment id=\"c\" size=\"" + size +
           "\" constant=\"true\"/></listOfCompartments>";
}

// Species x and y, amounts unless `concentrations`.
std::string Species(const std::string& x, const std::string& y, bool concentrations = false) {
    const std::string only = concentrations ? "false" : "true";
    return "<listOfSpecies>"
           "<species id=\"x\" compartment=\"c\" " +
           x + " hasOnlySubstanceUnits=\"" + only +
           "\" boundaryCondition=\"false\" constant=\"false\"/>"
           "<species id=\"y\" compartment=\"c\" " +
           y + " hasOnlySubstanceUnits=\"" + only +
           "\" boundaryCondition=\"false\" constant=\"false\"/></listOfSpecies>";
}

std::string Parameters(const std::vector<std::pair<std::string, std::string>>& values) {
    std::string text = "<listOfParameters>";
    for (const auto& [id, value] : values)
        text += "<parameter id=\"" + id + "\" value=\"" + value + "\" constant=\"true\"/>";
    return text + "</listOfParameters>";
}

std::string RateRules(const std::string& x, const std::string& y) {
    return "<listOfRules><rateRule variable=\"x\">" + Math(x) +
           "</rateRule><rateRule variable=\"y\">" + Math(y) + "</rateRule></listOfRules>";
}

std::string Ci(const std::string& id) {
    return "<ci>" + id + "</ci>";
}
std::string Cn(const std::string& v) {
    return "<cn>" + v + "</cn>";
}
std::string Apply(const std::string& op, std::initializer_list<std::string> args) {
    std::string text = "<apply><" + op + "/>";
    for (const auto& a : args)
        text += a;
    return text + "</apply>";
}

std::array<double, 2> RatesAt(const TModel& model, double n1, double n2) {
    TCompiledModel compiled;
    std::vector<ParameterRow> rows = model.rows;
    compiled.Compile(rows, model.rate1, model.rate2);
    std::array<double, 2> r{};
    compiled.Rates(n1, n2, r[0], r[1]);
    return r;
}

const std::array<double, 2> kPoints[] = {{0.5, 2}, {3, 0.25}, {7.5, 11}};

TEST(SbmlFileTest, ShippedExamplesComeBackTheSame) {
    TempFolder folder;
    std::vector<std::string> examples;
    for (const auto& entry : fs::directory_iterator(TARNIVELL_EXAMPLES))
        if (entry.path().extension() == ".ini") examples.push_back(entry.path().string());
    ASSERT_FALSE(examples.empty());
    for (const std::string& file : examples) {
        SCOPED_TRACE(file);
        TModel original;
        LoadModelFile(file, original);
        original.name1 = "prey";
        original.name2 = "N1"; // no identifier of its own to take
        original.solver.RelTol = 1.5E-7;
        const std::string path = folder.File("model.xml");
        SaveSbmlFile(path, original);

        // With the program's annotation: the model as it was, texts and all;
        // without it, the same rates from the math alone.
        for (const bool annotated : {true, false}) {
            SCOPED_TRACE(annotated ? "annotated" : "math only");
            if (!annotated) WriteText(path, WithoutAnnotation(ReadText(path)));
            TModel read;
            std::vector<std::string> notes;
            LoadSbmlFile(path, read, notes);
            EXPECT_EQ(read.N1, original.N1);
            EXPECT_EQ(read.N2, original.N2);
            EXPECT_EQ(read.name1, "prey");
            EXPECT_EQ(read.name2, "N1");
            if (annotated) {
                EXPECT_EQ(read.dt, original.dt);
                EXPECT_EQ(read.solver, original.solver);
                EXPECT_EQ(read.rate1, original.rate1);
                EXPECT_EQ(read.rate2, original.rate2);
                for (int i = 0; i < kParameterRows; ++i) {
                    EXPECT_EQ(read.rows[i].name, original.rows[i].name);
                    EXPECT_EQ(read.rows[i].value, original.rows[i].value);
                    EXPECT_EQ(read.rows[i].description, original.rows[i].description);
                    EXPECT_EQ(read.rows[i].range, original.rows[i].range);
                }
            }
            for (const auto& [n1, n2] : kPoints) {
                const auto want = RatesAt(original, n1, n2);
                const auto got = RatesAt(read, n1, n2);
                EXPECT_EQ(got[0], want[0]) << read.rate1;
                EXPECT_EQ(got[1], want[1]) << read.rate2;
            }
        }
    }
}

// Every function and operator that has a counterpart, through the math alone.
TEST(SbmlFileTest, RatesComeBackExactlyFromTheMath) {
    TempFolder folder;
    const std::string path = folder.File("model.sbml");
    const std::vector<std::array<std::string, 2>> rates = {
        {"a-b-N1-N2", "a-(b-(N1-N2))"},
        {"a+b+N1+N2", "(a+b)+N1+N2"},
        {"a*b/N1*N2/(a*b)", "(a*b)*N1*N2"},
        {"-N1^2+N1^3-N1^4*2^(-N2)", "-(N1*a)*-2+(-N1)/(-3)"},
        {"HEAV(N1-1)*SIGN(N2-2)+ZERO(N1-3)", "MAX(N1,N2)-MIN(a,N2)*ABS(N1-b)"},
        {"EXP(N1/10)+LN(N2)+SQRT(N1)+ARCTAN(N2)", "SIN(N1)*COS(N2)+TAN(a)+SINH(b)+COSH(N2/10)"},
        {"PI*N1+0.1*1E-20*N2", "-PI+(N1+0.30000000000000004)^1.5"},
        {"N2+0.30000000000000004+N1", "2.718281828459045*N1-1E300*N2"},
    };
    for (const auto& [rate1, rate2] : rates) {
        SCOPED_TRACE(rate1 + " / " + rate2);
        TModel original;
        original.rows[0] = {"a", "0.7", "", std::nullopt};
        original.rows[3] = {"b", "1.3", "", std::nullopt};
        original.rate1 = rate1;
        original.rate2 = rate2;
        SaveSbmlFile(path, original);
        WriteText(path, WithoutAnnotation(ReadText(path)));
        TModel read;
        std::vector<std::string> notes;
        LoadSbmlFile(path, read, notes);
        for (const auto& [n1, n2] : kPoints) {
            const auto want = RatesAt(original, n1, n2);
            const auto got = RatesAt(read, n1, n2);
            EXPECT_EQ(got[0], want[0]) << read.rate1;
            EXPECT_EQ(got[1], want[1]) << read.rate2;
        }
    }
}

TEST(SbmlFileTest, AModelComesBackTheSameWithTheDecimalComma) {
    SetDecimalSeparator(',');
    TempFolder folder;
    TModel original;
    original.dt = 0.05;
    original.N1 = 0.1 + 0.2; // more digits than SBML keeps
    original.N2 = 2.5;
    original.solver = {sm_RK45, 1.5E-7, 2.5E-10};
    original.rows[2] = {"k", "0,5", "growth", TParameterRange{0.25, 0.75}};
    original.rate1 = "k*N1";
    const std::string path = folder.File("comma.xml");
    TModel read;
    std::vector<std::string> notes;
    try {
        SaveSbmlFile(path, original);
        LoadSbmlFile(path, read, notes);
    } catch (const Exception& e) {
        ADD_FAILURE() << e.Message();
    }
    SetDecimalSeparator('.');
    EXPECT_EQ(read.dt, original.dt);
    EXPECT_EQ(read.N1, original.N1);
    EXPECT_EQ(read.N2, original.N2);
    EXPECT_EQ(read.solver, original.solver);
    EXPECT_EQ(read.rows[2].value, "0,5");
    EXPECT_EQ(read.rows[2].range, original.rows[2].range);
}

// Another tool may change the file and leave the program's annotation as it
// was: what the file says then holds.
TEST(SbmlFileTest, TheFileHoldsWhereTheAnnotationNoLongerFitsIt) {
    TModel original;
    original.rows[0] = {"a", "0.5", "", std::nullopt};
    original.rows[2] = {"b", "2", "", std::nullopt};
    original.rate1 = "a*N1";
    original.rate2 = "-b*N2";
    struct TCase {
        std::string from, to;
        std::string rate1;
        std::function<std::array<double, 2>(double, double)> rates;
    };
    const std::vector<TCase> cases = {
        {"row=\"3\"", "row=\"1\"", "",
         [](double x, double y) {
             return std::array<double, 2>{0.5 * x, -(2 * y)};
         }},
        {"id=\"b\" value=\"2\"", "id=\"b\" value=\"3\"", "a*N1",
         [](double x, double y) {
             return std::array<double, 2>{0.5 * x, -(3 * y)};
         }},
        {"<ci> a </ci>", "<ci> b </ci>", "b*N1",
         [](double x, double y) {
             return std::array<double, 2>{2 * x, -(2 * y)};
         }},
    };
    TempFolder folder;
    const std::string path = folder.File("edited.xml");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.to);
        SaveSbmlFile(path, original);
        std::string text = ReadText(path);
        const auto at = text.find(c.from);
        ASSERT_NE(at, std::string::npos);
        WriteText(path, text.replace(at, c.from.size(), c.to));
        TModel read;
        std::vector<std::string> notes;
        LoadSbmlFile(path, read, notes);
        if (!c.rate1.empty()) {
            EXPECT_EQ(read.rate1, c.rate1);
        }
        for (const auto& [n1, n2] : kPoints) {
            const auto want = c.rates(n1, n2);
            const auto got = RatesAt(read, n1, n2);
            EXPECT_EQ(got[0], want[0]) << read.rate1;
            EXPECT_EQ(got[1], want[1]) << read.rate2;
        }
    }
}

TEST(SbmlFileTest, WritingRefusesWhatMathMLCannotSayExactly) {
    TempFolder folder;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"RND(N1)", "RND"}, {"N1 DIV 2", "DIV"}, {"N1 MOD 2", "MOD"}, {"PH(N1)", "PH"}};
    for (const auto& [rate, named] : cases) {
        SCOPED_TRACE(rate);
        TModel model;
        model.rate2 = rate;
        const std::string path = folder.File("refused.xml");
        try {
            SaveSbmlFile(path, model);
            ADD_FAILURE() << "written";
        } catch (const ESbmlError& e) {
            EXPECT_NE(e.Message().find("dN2/dt"), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(named), std::string::npos) << e.Message();
        }
        EXPECT_FALSE(fs::exists(path));
    }
}

struct TSnippet {
    std::string name;
    std::string body;
    std::function<std::array<double, 2>(double, double)> rates;
    std::array<double, 2> densities;
    std::string note = ""; // said among the notes
};

TEST(SbmlFileTest, ReadsModelsOfOtherTools) {
    const double k = 0.25, d = 0.1;
    const auto kinetic = [](const std::string& math, const std::string& locals = "") {
        return "<kineticLaw>" + Math(math) + locals + "</kineticLaw>";
    };
    const auto ref = [](const std::string& s, const std::string& stoich = "1") {
        return "<speciesReference species=\"" + s + "\" stoichiometry=\"" + stoich +
               "\" constant=\"true\"/>";
    };
    const auto reaction = [](const std::string& id, const std::string& reactants,
                             const std::string& products, const std::string& law) {
        return "<reaction id=\"" + id + "\" reversible=\"false\">" +
               (reactants.empty() ? "" : "<listOfReactants>" + reactants + "</listOfReactants>") +
               (products.empty() ? "" : "<listOfProducts>" + products + "</listOfProducts>") + law +
               "</reaction>";
    };
    const std::vector<TSnippet> snippets = {
        {"rate rules",
         "<listOfUnitDefinitions><unitDefinition id=\"per_day\"><listOfUnits><unit "
         "kind=\"second\" exponent=\"-1\" scale=\"0\" multiplier=\"86400\"/></listOfUnits>"
         "</unitDefinition></listOfUnitDefinitions>" +
             Compartment() + Species("initialAmount=\"2\"", "initialAmount=\"3\"") +
             Parameters({{"r", "0.5"}, {"K", "10"}, {"d", "0.1"}}) +
             RateRules(
                 Apply("times", {Ci("r"), Ci("x"),
                                 Apply("minus", {Cn("1"), Apply("divide", {Ci("x"), Ci("K")})})}),
                 Apply("minus", {Apply("times", {Ci("d"), Ci("y")})})),
         [](double x, double y) {
             return std::array<double, 2>{0.5 * x * (1 - x / 10), -(0.1 * y)};
         },
         {2, 3},
         "Units are ignored"},
        {"reactions with stoichiometry 2",
         Compartment() + Species("initialAmount=\"2\"", "initialAmount=\"3\"") +
             Parameters({{"k", "0.25"}, {"d", "0.1"}}) + "<listOfReactions>" +
             reaction("R1", ref("x", "2"), ref("y"),
                      kinetic(Apply("times", {Ci("k"), Ci("x"), Ci("x")}))) +
             reaction("R2", ref("y"), "", kinetic(Apply("times", {Ci("d"), Ci("y")}))) +
             "</listOfReactions>",
         [&](double x, double y) {
             return std::array<double, 2>{-2 * (k * x * x), k * x * x + -(d * y)};
         },
         {2, 3}},
        {"concentrations in a compartment of size 2",
         Compartment("2") + Species("initialConcentration=\"3\"", "initialAmount=\"4\"", true) +
             Parameters({{"k", "0.25"}}) + "<listOfReactions>" +
             reaction("R1", ref("x"), ref("y"), kinetic(Apply("times", {Ci("k"), Ci("x")}))) +
             "</listOfReactions>",
         [&](double x, double) {
             return std::array<double, 2>{-(k * x) / 2, k * x / 2};
         },
         {3, 2}},
        {"assignment rule inlined",
         Compartment() + Species("initialAmount=\"2\"", "initialAmount=\"3\"") +
             "<listOfParameters><parameter id=\"a\" value=\"0.5\" constant=\"true\"/>"
             "<parameter id=\"h\" constant=\"false\"/></listOfParameters>"
             "<listOfRules><assignmentRule variable=\"h\">" +
             Math(Apply("times", {Ci("a"), Ci("x")})) + "</assignmentRule>" +
             "<rateRule variable=\"x\">" + Math(Apply("minus", {Ci("h"), Ci("y")})) +
             "</rateRule><rateRule variable=\"y\">" + Math(Apply("power", {Ci("h"), Cn("2")})) +
             "</rateRule></listOfRules>",
         [](double x, double y) {
             return std::array<double, 2>{0.5 * x - y, (0.5 * x) * (0.5 * x)};
         },
         {2, 3}},
        // The arguments are replaced at once: y in the call is not the
        // function's y.
        {"function definition inlined",
         "<listOfFunctionDefinitions><functionDefinition id=\"f\">" +
             Math("<lambda><bvar><ci>y</ci></bvar><bvar><ci>x</ci></bvar>" +
                  Apply("minus", {Ci("y"), Apply("times", {Cn("2"), Ci("x")})}) + "</lambda>") +
             "</functionDefinition></listOfFunctionDefinitions>" + Compartment() +
             Species("initialAmount=\"2\"", "initialAmount=\"3\"") +
             RateRules("<apply><ci>f</ci>" + Ci("x") + Ci("y") + "</apply>",
                       "<apply><ci>f</ci>" + Ci("y") + Cn("1") + "</apply>"),
         [](double x, double y) {
             return std::array<double, 2>{x - 2 * y, y - 2 * 1.0};
         },
         {2, 3}},
        {"local parameters that clash renamed",
         Compartment() + Species("initialAmount=\"2\"", "initialAmount=\"3\"") +
             Parameters({{"k", "1"}}) + "<listOfReactions>" +
             reaction("R1", ref("x"), "",
                      kinetic(Apply("times", {Ci("k"), Ci("x")}),
                              "<listOfLocalParameters><localParameter id=\"k\" value=\"2\"/>"
                              "</listOfLocalParameters>")) +
             reaction("R2", ref("y"), ref("x"),
                      kinetic(Apply("times", {Ci("k"), Ci("y")}),
                              "<listOfLocalParameters><localParameter id=\"k\" value=\"3\"/>"
                              "</listOfLocalParameters>")) +
             reaction("R3", "", ref("y"), kinetic(Ci("k"))) + "</listOfReactions>",
         [](double x, double y) {
             return std::array<double, 2>{-(2 * x) + 3 * y, -(3 * y) + 1};
         },
         {2, 3},
         "'k' of the reaction 'R2' is named k_R2"},
        // Level 2 has no constant stoichiometry to say: it is constant.
        {"level 2 reactions",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sbml "
         "xmlns=\"http://www.sbml.org/sbml/level2/version4\" level=\"2\" version=\"4\">"
         "<model id=\"m\"><listOfCompartments><compartment id=\"c\" size=\"1\"/>"
         "</listOfCompartments><listOfSpecies><species id=\"x\" compartment=\"c\" "
         "initialAmount=\"2\"/><species id=\"y\" compartment=\"c\" initialAmount=\"3\"/>"
         "</listOfSpecies><listOfParameters><parameter id=\"k\" value=\"0.25\"/>"
         "</listOfParameters><listOfReactions><reaction id=\"R1\" reversible=\"false\">"
         "<listOfReactants><speciesReference id=\"sx\" species=\"x\" stoichiometry=\"2\"/>"
         "</listOfReactants><listOfProducts><speciesReference species=\"y\"/></listOfProducts>"
         "<kineticLaw>" +
             Math(Apply("times", {Ci("k"), Ci("x")})) +
             "</kineticLaw></reaction></listOfReactions></model></sbml>",
         [&](double x, double) {
             return std::array<double, 2>{-2 * (k * x), k * x};
         },
         {2, 3}},
    };
    TempFolder folder;
    for (const TSnippet& s : snippets) {
        SCOPED_TRACE(s.name);
        const std::string path = folder.File("snippet.xml");
        WriteText(path, s.body.starts_with("<?xml") ? s.body : Sbml(s.body));
        TModel model;
        std::vector<std::string> notes;
        ASSERT_NO_THROW(LoadSbmlFile(path, model, notes));
        EXPECT_EQ(model.N1, s.densities[0]);
        EXPECT_EQ(model.N2, s.densities[1]);
        if (!s.note.empty()) {
            EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [&](const std::string& n) {
                return n.find(s.note) != std::string::npos;
            })) << s.note;
        }
        for (const auto& [n1, n2] : kPoints) {
            const auto want = s.rates(n1, n2);
            const auto got = RatesAt(model, n1, n2);
            EXPECT_EQ(got[0], want[0]) << model.rate1;
            EXPECT_EQ(got[1], want[1]) << model.rate2;
        }
    }
}

TEST(SbmlFileTest, RefusesWhatTheProgramCannotRunNamingIt) {
    const std::string species =
        Compartment() + Species("initialAmount=\"2\"", "initialAmount=\"3\"");
    const std::string rules = RateRules(Ci("y"), Ci("x"));
    // Each rule doubles the one before.
    std::string doubling = "<listOfParameters>", doublingRules = "<listOfRules>";
    for (int i = 1; i <= 16; ++i) {
        const std::string h = "h" + std::to_string(i);
        const std::string before = i == 1 ? "x" : "h" + std::to_string(i - 1);
        doubling += "<parameter id=\"" + h + "\" constant=\"false\"/>";
        doublingRules += "<assignmentRule variable=\"" + h + "\">" +
                         Math(Apply("plus", {Ci(before), Ci(before)})) + "</assignmentRule>";
    }
    doubling += "</listOfParameters>" + doublingRules + "<rateRule variable=\"x\">" +
                Math(Ci("h16")) +
                "</rateRule><rateRule "
                "variable=\"y\">" +
                Math(Ci("x")) + "</rateRule></listOfRules>";
    std::string many;
    for (int i = 1; i <= kParameterRows + 1; ++i)
        many += "<parameter id=\"p" + std::to_string(i) + "\" value=\"1\" constant=\"true\"/>";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {species + rules +
             "<listOfEvents><event id=\"cull\" useValuesFromTriggerTime=\"true\"><trigger "
             "initialValue=\"true\" persistent=\"true\">" +
             Math(Apply("gt", {Ci("x"), Cn("5")})) +
             "</trigger><listOfEventAssignments><eventAssignment variable=\"x\">" + Math(Cn("1")) +
             "</eventAssignment></listOfEventAssignments></event></listOfEvents>",
         "event ('cull')"},
        {species + "<listOfRules><rateRule variable=\"x\">" + Math(Ci("y")) +
             "</rateRule><algebraicRule metaid=\"alg\">" +
             Math(Apply("minus", {Ci("y"), Cn("1")})) + "</algebraicRule></listOfRules>",
         "algebraic rule"},
        {species + RateRules("<apply><csymbol encoding=\"text\" "
                             "definitionURL=\"http://www.sbml.org/sbml/symbols/delay\">delay"
                             "</csymbol>" +
                                 Ci("x") + Cn("1") + "</apply>",
                             Ci("x")),
         "rate rule for 'x' uses delay"},
        {species + RateRules(Apply("log", {Ci("x")}), Ci("x")), "rate rule for 'x' uses log"},
        {species +
             RateRules(Ci("x"), "<piecewise><piece>" + Cn("1") + Apply("gt", {Ci("x"), Cn("1")}) +
                                    "</piece><otherwise>" + Cn("2") + "</otherwise></piecewise>"),
         "rate rule for 'y' uses piecewise"},
        {Compartment() + "<listOfSpecies>"
                         "<species id=\"x\" compartment=\"c\" initialAmount=\"1\" "
                         "hasOnlySubstanceUnits=\"true\" "
                         "boundaryCondition=\"false\" constant=\"false\"/>"
                         "<species id=\"y\" compartment=\"c\" initialAmount=\"1\" "
                         "hasOnlySubstanceUnits=\"true\" "
                         "boundaryCondition=\"false\" constant=\"false\"/>"
                         "<species id=\"z\" compartment=\"c\" initialAmount=\"1\" "
                         "hasOnlySubstanceUnits=\"true\" "
                         "boundaryCondition=\"false\" constant=\"false\"/></listOfSpecies>",
         "3 variables ('x', 'y', 'z')"},
        {species + "<listOfParameters>" + many + "</listOfParameters>" + rules,
         "21 parameters; the table holds 20"},
        {species + "<listOfInitialAssignments><initialAssignment symbol=\"x\">" + Math(Cn("4")) +
             "</initialAssignment></listOfInitialAssignments>" + rules,
         "initial assignment to 'x'"},
        {species + doubling, "rate of N1 is longer than 30000 characters"},
        {"<listOfCompartments><compartment id=\"c\" size=\"2\" constant=\"false\"/>"
         "</listOfCompartments>" +
             Species("initialConcentration=\"2\"", "initialConcentration=\"3\"", true) +
             "<listOfReactions><reaction id=\"R\" reversible=\"false\"><listOfReactants>"
             "<speciesReference species=\"x\" stoichiometry=\"1\" constant=\"true\"/>"
             "</listOfReactants><kineticLaw>" +
             Math(Ci("x")) + "</kineticLaw></reaction></listOfReactions>",
         "compartment 'c' changes in size"},
    };
    TempFolder folder;
    for (const auto& [body, message] : cases) {
        SCOPED_TRACE(message);
        const std::string path = folder.File("refused.xml");
        WriteText(path, Sbml(body));
        TModel model;
        model.rate1 = "unchanged";
        std::vector<std::string> notes;
        try {
            LoadSbmlFile(path, model, notes);
            ADD_FAILURE() << "read: " << model.rate1 << " / " << model.rate2;
        } catch (const ESbmlError& e) {
            EXPECT_NE(e.Message().find(message), std::string::npos) << e.Message();
        }
        EXPECT_EQ(model.rate1, "unchanged");
    }
}

TEST(SbmlFileTest, BrokenFilesGiveAnErrorWithItsLine) {
    const std::string valid =
        Sbml(Compartment() + Species("initialAmount=\"2\"", "initialAmount=\"3\"") +
             RateRules(Ci("y"), Ci("x")));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<?xml version=\"1.0\"?>\n<sbml><model", "line 2"},
        {"not a model at all", "line 1"},
        {valid.substr(0, valid.size() / 2), "line"},
        // Well-formed, but the rule names a species the model lacks.
        {Sbml(Compartment() + Species("initialAmount=\"2\"", "initialAmount=\"3\"") +
              RateRules(Ci("w"), Ci("x"))),
         "line"},
    };
    TempFolder folder;
    for (const auto& [text, where] : cases) {
        SCOPED_TRACE(text);
        const std::string path = folder.File("broken.xml");
        WriteText(path, text);
        TModel model;
        std::vector<std::string> notes;
        try {
            LoadSbmlFile(path, model, notes);
            ADD_FAILURE() << "read";
        } catch (const ESbmlError& e) {
            EXPECT_NE(e.Message().find(path + " " + where), std::string::npos) << e.Message();
        }
    }
    TModel model;
    std::vector<std::string> notes;
    try {
        LoadSbmlFile(folder.File("missing.xml"), model, notes);
        ADD_FAILURE() << "read";
    } catch (const ESbmlError& e) {
        EXPECT_NE(e.Message().find(folder.File("missing.xml")), std::string::npos) << e.Message();
    }
}

} // namespace
