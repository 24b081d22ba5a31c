#include "ModelFile.h"
#include "Exception.h"
#include "IniFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cfloat>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <sys/stat.h>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class ModelFile : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    QTemporaryDir dir;
};

TEST_F(ModelFile, SaveWritesEveryKeyInItsOrder) {
    TModel model;
    model.dt = 0.01;
    model.N1 = 40;
    model.N2 = 9;
    model.rate1 = "0.5*N1 - b*N1*N2";
    model.rate2 = "-0.5*N2+0.01*N1*N2";
    model.rows[0] = {"b", "0.02", "predation rate"};
    const std::string path = Path("lv.ini");
    SaveModelFile(path, model);

    std::string expected = "[Time]\nStep=0.01\n[Species 1]\nDensity=40\nRate=0.5*N1 - b*N1*N2\n"
                           "[Species 2]\nDensity=9\nRate=-0.5*N2+0.01*N1*N2\n[Parameters]\n"
                           "Name1=b\nValue1=0.02\nDescription1=predation rate\n";
    for (int i = 2; i <= 20; ++i) {
        const std::string n = std::to_string(i);
        expected += "Name" + n + "=\nValue" + n + "=\nDescription" + n + "=\n";
    }
    const std::string text = ReadAll(path);
    // Blank lines between sections are the file writer's own affair.
    std::string compact;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) compact += line + "\n";
    }
    EXPECT_EQ(compact, expected);
}

TEST_F(ModelFile, SaveThenLoadRestoresTheModelExactly) {
    TModel model;
    model.dt = 0.1 / 3;
    model.N1 = 1.23456789012345;
    model.N2 = -2.5E-7;
    model.rate1 = " N1 * (1 - N1 / K) ";
    model.rate2 = "0";
    model.rows[3] = {"K", "1e3", "capacity"};
    model.rows[19] = {"", "", "an empty name keeps its description"};
    const std::string path = Path("round.ini");
    SaveModelFile(path, model);

    TModel back;
    LoadModelFile(path, back);
    EXPECT_EQ(back.dt, 0.0333333333333333); // 15 significant digits
    EXPECT_EQ(back.N1, model.N1);
    EXPECT_EQ(back.N2, model.N2);
    EXPECT_EQ(back.rate1, model.rate1.substr(1, model.rate1.size() - 2)); // values are trimmed
    EXPECT_EQ(back.rate2, "0");
    for (int i = 0; i < kParameterRows; ++i) {
        EXPECT_EQ(back.rows[i].name, model.rows[i].name) << i;
        EXPECT_EQ(back.rows[i].value, model.rows[i].value) << i;
        EXPECT_EQ(back.rows[i].description, model.rows[i].description) << i;
    }
}

TEST_F(ModelFile, SaveUpdatesInPlaceAndKeepsWhatItDoesNotKnow) {
    const std::string path = Path("kept.ini");
    WriteAll(path, "; my notes\r\n[Species 1]\r\nColour=red\r\nRate=old\r\n[Other]\r\nx=1\r\n");
    TModel model;
    model.rate1 = "N1";
    SaveModelFile(path, model);
    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("; my notes\r\n[Species 1]\r\nColour=red\r\nRate=N1\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[Other]\r\nx=1\r\n"), std::string::npos) << text;
    EXPECT_EQ(IniFile(path).ReadString("species 1", "density", "?"), "1");
}

TEST_F(ModelFile, MissingKeysKeepTheNumbersAndEmptyTheRest) {
    const std::string path = Path("step.ini");
    WriteAll(path, "[Time]\nStep=0.01\n");
    TModel model;
    model.N1 = 7;
    model.rate1 = "N1";
    model.rows[0] = {"a", "1", "old"};
    LoadModelFile(path, model);
    EXPECT_EQ(model.dt, 0.01);
    EXPECT_EQ(model.N1, 7);
    EXPECT_EQ(model.rate1, "0");
    EXPECT_EQ(model.rows[0].name, "");
    EXPECT_EQ(model.rows[0].description, "");

    TModel none;
    none.dt = 3;
    LoadModelFile(Path("does-not-exist.ini"), none);
    EXPECT_EQ(none.dt, 3);
    EXPECT_EQ(none.rate2, "0");
}

TEST_F(ModelFile, ABadNumberStopsTheLoadAtThatKey) {
    const std::string path = Path("bad.ini");
    WriteAll(path,
             "[Time]\nStep=0.5\n[Species 1]\nDensity=lots\nRate=N1\n[Species 2]\nDensity=3\n");
    TModel model;
    try {
        LoadModelFile(path, model);
        FAIL() << "a bad density was accepted";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'lots' is not a valid floating point value");
    }
    EXPECT_EQ(model.dt, 0.5);
    EXPECT_EQ(model.N1, 1);
    EXPECT_EQ(model.N2, 1);
    EXPECT_EQ(model.rate1, "0");
}

// What is not a model, or not a time step, is refused; an empty file, like a
// missing one, is a model of defaults.
TEST_F(ModelFile, AFileThatHoldsNoModelOrABadStepIsRefused) {
    using namespace std::string_literals;
    const struct {
        std::string text;
        const char* message; // null: loads
    } cases[] = {
        {"\xFF\xFE[\0T\0i\0m\0e\0]\0\n\0"s, "'%s' is not a model file"},
        {"[Time]\nStep=0.5\n\0\x01\x02"s, "'%s' is not a model file"},
        {"\xEF\xBB\xBF[Time]\nStep=0.5\n", nullptr},
        {"\x7f"
         "ELF\x02\x01\x01 binary junk\n",
         "'%s' is not a model file"},
        {"just some words\n[Other]\nKey=1\n", "'%s' is not a model file"},
        {"", nullptr},
        {" \r\n\n", nullptr},
        {"[About]\nTitle=x\n[Parameters]\n", nullptr},
        {"[Time]\nStep=0\n",
         "'0' is not a valid time step: it must be greater than 0 and at most 1E300"},
        {"[Time]\nStep=-1E-3\n",
         "'-0.001' is not a valid time step: it must be greater than 0 and at most 1E300"},
        {"[Time]\nStep=2E300\n",
         "'2E300' is not a valid time step: it must be greater than 0 and at most 1E300"},
        {"[Time]\nStep=1E300\n", nullptr},
        {"[Species 2]\nRate=" + std::string(kMaxRateLength + 1, 'N') + "\n",
         "The rate dN2/dt has 30001 characters; a rate may have at most 30000"},
    };
    const std::string path = Path("m.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.c_str());
        WriteAll(path, c.text);
        TModel model;
        if (!c.message) {
            EXPECT_NO_THROW(LoadModelFile(path, model));
            continue;
        }
        try {
            LoadModelFile(path, model);
            ADD_FAILURE() << "loaded";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), FormatMessage(c.message, {path}));
        }
    }
    WriteAll(path, "\xEF\xBB\xBF[Time]\nStep=0.5\n");
    TModel model;
    LoadModelFile(path, model);
    EXPECT_EQ(model.dt, 0.5); // the mark hides no section
    // A FIFO would block the reader for ever: it is refused, not opened.
    const std::string fifo = Path("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    try {
        LoadModelFile(fifo, model);
        ADD_FAILURE() << "a FIFO was read";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Cannot read " + fifo + ": it is not a regular file");
    }
}

TEST_F(ModelFile, AFileThatCannotBeWrittenIsReportedAndLeftAlone) {
    // A folder in the file's place cannot be replaced, not even by root.
    const std::string path = Path("folder.ini");
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    try {
        SaveModelFile(path, TModel{});
        FAIL() << "the save reported success";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + path);
    }
    EXPECT_TRUE(QFileInfo(QString::fromStdString(path)).isDir());
}

// The solver settings go after the 65 keys, each only when it is not the
// default, and come back exactly.
TEST_F(ModelFile, SolverSettingsAreFiledOnlyWhenNotTheDefault) {
    const struct {
        TSolverSettings solver;
        const char* tail;
    } cases[] = {
        {{}, ""},
        {{sm_RK4}, "[Solver]\nMethod=rk4\n"},
        {{sm_RK45, 1E-8}, "[Solver]\nMethod=rk45\nRelTol=1E-8\n"},
        {{sm_Euler, kDefaultRelTol, 1.5E-12}, "[Solver]\nAbsTol=1.5E-12\n"},
        {{sm_BDF, 0.001, 1E-6}, "[Solver]\nMethod=bdf\nRelTol=0.001\nAbsTol=1E-6\n"},
    };
    TModel plain;
    const std::string plainPath = Path("plain.ini");
    SaveModelFile(plainPath, plain);
    const std::string plainText = ReadAll(plainPath);
    for (const auto& c : cases) {
        TModel model;
        model.solver = c.solver;
        const std::string path = Path("solver.ini");
        std::remove(path.c_str());
        SaveModelFile(path, model);
        EXPECT_EQ(ReadAll(path), plainText + c.tail);

        TModel back;
        back.solver = {sm_RK4, 0.5, 0.5};
        LoadModelFile(path, back);
        EXPECT_EQ(back.solver, c.solver) << c.tail;
    }
}

// The stop time is [Time] "Stop" after "Step", filed only when set: a model
// without one saves as before, also over a file that had one, and loads
// without one whatever the model held.
TEST_F(ModelFile, TheStopTimeIsFiledOnlyWhenSet) {
    const struct {
        std::optional<double> stop;
        const char* key;
    } cases[] = {
        {std::nullopt, ""}, {10, "Stop=10\n"}, {0.25, "Stop=0.25\n"}, {1.5E-7, "Stop=1.5E-7\n"}};
    const std::string plainPath = Path("plain.ini");
    SaveModelFile(plainPath, TModel());
    std::string expected = ReadAll(plainPath);
    const std::size_t afterStep = expected.find("Step=1\n") + 7;
    const std::string path = Path("stop.ini");
    for (const auto& c : cases) {
        TModel model;
        model.stop = c.stop;
        SaveModelFile(path, model); // over the file of the case before
        EXPECT_EQ(ReadAll(path), std::string(expected).insert(afterStep, c.key));
        TModel back;
        back.stop = 99;
        LoadModelFile(path, back);
        EXPECT_EQ(back.stop, c.stop) << c.key;
    }
    WriteAll(path, "[Time]\nStep=0.5\nStop=ten\n");
    TModel bad;
    EXPECT_THROW(LoadModelFile(path, bad), EConvertError);
    EXPECT_EQ(bad.dt, 0.5);
}

// Every shipped model has no slider spans of its own and saves back unchanged
// over itself; the Euler ones without an About section also from scratch.
TEST_F(ModelFile, AnExampleSavedUnchangedIsByteForByteWhatItWas) {
    int examples = 0, fromScratch = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TARNIVELL_EXAMPLES)) {
        if (entry.path().extension() != ".ini") continue;
        ++examples;
        const std::string name = entry.path().filename().string();
        const std::string original = ReadAll(entry.path().string());
        const std::string path = Path(name.c_str());
        WriteAll(path, original);
        TModel model;
        LoadModelFile(path, model);
        for (const ParameterRow& row : model.rows)
            EXPECT_FALSE(row.range.has_value()) << name << " " << row.name;
        SaveModelFile(path, model);
        EXPECT_EQ(ReadAll(path), original) << name;
        if (model.solver != TSolverSettings{} || original.find("[About]") != std::string::npos)
            continue;
        ++fromScratch;
        std::remove(path.c_str());
        SaveModelFile(path, model);
        EXPECT_EQ(ReadAll(path), original) << name << " from scratch";
    }
    EXPECT_GE(examples, 2);
    EXPECT_GE(fromScratch, 2);
}

// [Data] holds what the model has: written with it, its column keys only
// when named, and gone when the data are.
TEST_F(ModelFile, TheDataLinkComesBackAsSavedAndGoesWithTheData) {
    const struct {
        const char* before; // the file's [Data] section before the save
        std::optional<TDataLink> data;
        const char* section; // [Data] as saved
    } cases[] = {
        {"", TDataLink{"lynx-hare.csv", "", "", ""}, "[Data]\nFile=lynx-hare.csv\n"},
        {"", TDataLink{"../counts/pelts 1900.txt", "Year", "hare", "lynx"},
         "[Data]\nFile=../counts/pelts 1900.txt\nTime=Year\nN1=hare\nN2=lynx\n"},
        {"[Data]\nFile=old.csv\nTime=day\nN2=lynx\n", TDataLink{"new.csv", "", "", "N2"},
         "[Data]\nFile=new.csv\nN2=N2\n"},
        {"[Data]\nFile=old.csv\nTime=day\n", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const std::string path = Path("model.ini");
        TModel model;
        model.rate1 = "N1";
        WriteAll(path, std::string("[Time]\nStep=1\n") + c.before);
        LoadModelFile(path, model);
        model.data = c.data;
        SaveModelFile(path, model);
        const std::string saved = ReadAll(path);
        const auto at = saved.find("[Data]");
        const auto next = saved.find("\n[", at);
        EXPECT_EQ(at == std::string::npos
                      ? ""
                      : saved.substr(at, next == std::string::npos ? next : next + 1 - at),
                  c.section)
            << c.before;
        TModel loaded;
        LoadModelFile(path, loaded);
        EXPECT_EQ(loaded.data, c.data) << c.before;
    }
}

// A span is filed after its row only when it is not the default of the
// value, and comes back exactly.
TEST_F(ModelFile, SliderSpansAreFiledOnlyWhenNotTheDefault) {
    const struct {
        const char* value;
        std::optional<TParameterRange> range;
        const char* keys; // after Description1
    } cases[] = {
        {"0.5", std::nullopt, ""},
        {"0.5", TParameterRange{0, 1}, ""}, // the default, set by hand
        {"0.5", TParameterRange{0.25, 0.75}, "Min1=0.25\nMax1=0.75\n"},
        {"-2", TParameterRange{-4, 0}, ""},
        {"-2", TParameterRange{-3, 1E-9}, "Min1=-3\nMax1=1E-9\n"},
        {"0", TParameterRange{0, 1}, ""},
        {"0", TParameterRange{-1, 1}, "Min1=-1\nMax1=1\n"},
        {"x", TParameterRange{0, 1}, "Min1=0\nMax1=1\n"}, // no value to default from
    };
    for (const auto& c : cases) {
        TModel model;
        model.rows[0] = {"a", c.value, "", c.range};
        const std::string path = Path("spans.ini");
        std::remove(path.c_str());
        SaveModelFile(path, model);
        const std::string text = ReadAll(path);
        const std::string row1 = "Name1=a\nValue1=" + std::string(c.value) + "\nDescription1=\n";
        EXPECT_NE(text.find(row1 + c.keys + "Name2="), std::string::npos) << text;

        TModel back;
        LoadModelFile(path, back);
        if (*c.keys)
            EXPECT_EQ(back.rows[0].range, c.range) << c.keys;
        else
            EXPECT_FALSE(back.rows[0].range.has_value()) << c.value;
    }
}

TEST_F(ModelFile, ASpanBackAtItsDefaultLosesItsKeys) {
    const std::string path = Path("back.ini");
    TModel model;
    model.rows[4] = {"k", "10", "", TParameterRange{5, 15}};
    SaveModelFile(path, model);
    EXPECT_TRUE(IniFile(path).ValueExists("Parameters", "Min5"));
    model.rows[4].range = TParameterRange{0, 20};
    SaveModelFile(path, model);
    const IniFile ini(path);
    EXPECT_FALSE(ini.ValueExists("Parameters", "Min5"));
    EXPECT_FALSE(ini.ValueExists("Parameters", "Max5"));
}

TEST_F(ModelFile, AMissingSpanEndIsTheDefaultsEnd) {
    const std::string path = Path("half.ini");
    WriteAll(path, "[Parameters]\nName1=a\nValue1=3\nMax1=10\nName2=b\nValue2=-1\nMin2=-5\n");
    TModel model;
    LoadModelFile(path, model);
    EXPECT_EQ(model.rows[0].range, (TParameterRange{0, 10}));
    EXPECT_EQ(model.rows[1].range, (TParameterRange{-5, 0}));
}

TEST_F(ModelFile, ABadSpanChangesNothing) {
    const struct {
        const char* lines;
        const char* message;
    } cases[] = {
        {"Min1=low\nMax1=2\n", "'low' is not a valid floating point value"},
        {"Min1=0\nMax1=\n", "'' is not a valid floating point value"},
        {"Min1=2\nMax1=1\n", "Min must be below Max"},
        {"Min1=1\nMax1=1\n", "Min must be below Max"},
        {"Min1=-1E308\nMax1=1E308\n", "Min must be below Max"}, // no width
        {"Max1=-1\n", "Min must be below Max"},                 // below the default Min 0
    };
    for (const auto& c : cases) {
        const std::string path = Path("bad-span.ini");
        WriteAll(path,
                 std::string("[Time]\nStep=0.5\n[Parameters]\nName1=a\nValue1=1\n") + c.lines);
        TModel model;
        try {
            LoadModelFile(path, model);
            FAIL() << "accepted " << c.lines;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message) << c.lines;
        }
        EXPECT_EQ(model.dt, 1);
        EXPECT_EQ(model.rows[0].name, "");
    }
}

TEST(ParameterRange, TheDefaultSpanAndTheSlidersArithmetic) {
    const struct {
        double value;
        TParameterRange range;
    } defaults[] = {
        {0.5, {0, 1}}, {0, {0, 1}}, {-3, {-6, 0}}, {1E308, {0, DBL_MAX}}, {-1E308, {-DBL_MAX, 0}}};
    for (const auto& c : defaults)
        EXPECT_EQ(DefaultRange(c.value), c.range) << c.value;

    const TParameterRange r{-1, 3};
    EXPECT_EQ(ValueAt(r, 0), -1);
    EXPECT_EQ(ValueAt(r, 1), 3);
    EXPECT_EQ(ValueAt(r, 0.25), 0);
    EXPECT_EQ(ValueAt(r, 2), 3);
    EXPECT_EQ(FractionOf(r, 2), 0.75);
    EXPECT_EQ(FractionOf(r, -5), 0);
    EXPECT_EQ(FractionOf(r, 7), 1);
}

TEST_F(ModelFile, SavingTheDefaultsRemovesAnEarlierSolverSection) {
    const std::string path = Path("earlier.ini");
    TModel model;
    model.solver = {sm_RK45, 1E-8, 1E-10};
    SaveModelFile(path, model);
    model.solver = {};
    SaveModelFile(path, model);
    EXPECT_EQ(ReadAll(path).find("Solver"), std::string::npos) << ReadAll(path);

    // A key the program does not know keeps its section.
    WriteAll(path, "[Solver]\nMethod=bdf\nNote=stiff\n");
    SaveModelFile(path, model);
    const IniFile ini(path);
    EXPECT_FALSE(ini.ValueExists("Solver", "Method"));
    EXPECT_EQ(ini.ReadString("Solver", "Note", ""), "stiff");
}

TEST_F(ModelFile, MissingSolverKeysGiveTheDefaults) {
    const std::string path = Path("bdf.ini");
    WriteAll(path, "[Solver]\nMethod=BDF\n");
    TModel model;
    model.solver = {sm_RK4, 0.5, 0.25};
    LoadModelFile(path, model);
    EXPECT_EQ(model.solver, (TSolverSettings{sm_BDF, kDefaultRelTol, kDefaultAbsTol}));
    LoadModelFile(Path("missing.ini"), model);
    EXPECT_EQ(model.solver, TSolverSettings{});
}

TEST_F(ModelFile, ABadSolverValueChangesNothing) {
    const struct {
        const char* line;
        const char* message;
    } cases[] = {
        {"Method=rk5", "Unknown method 'rk5'"},
        {"Method=", "Unknown method ''"},
        {"RelTol=abc", "'abc' is not a valid floating point value"},
        {"AbsTol=", "'' is not a valid floating point value"},
        {"AbsTol=-1E-9", "'-1E-9' is not a valid tolerance"},
        {"RelTol=0", "'0' is not a valid tolerance"},
    };
    for (const auto& c : cases) {
        const std::string path = Path("bad-solver.ini");
        WriteAll(path,
                 std::string("[Time]\nStep=0.5\n[Species 1]\nRate=N1\n[Solver]\n") + c.line + "\n");
        TModel model;
        try {
            LoadModelFile(path, model);
            FAIL() << "accepted " << c.line;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(model.dt, 1);
        EXPECT_EQ(model.rate1, "0");
        EXPECT_EQ(model.solver, TSolverSettings{});
    }
}

TEST(GraphTitleFromFileName, DropsTheFolderAndTheLastExtension) {
    EXPECT_EQ(GraphTitleFromFileName("/home/u/models/prey.ini"), "prey");
    EXPECT_EQ(GraphTitleFromFileName("model.old.ini"), "model.old");
    EXPECT_EQ(GraphTitleFromFileName("C:\\data\\lv"), "lv");
    EXPECT_EQ(GraphTitleFromFileName(""), "");
}

} // namespace

// A species' name is filed in its section only when it has one, and a name
// cleared loses the key an earlier save wrote.
TEST_F(ModelFile, SpeciesNamesAreFiledOnlyWhenSet) {
    TModel plain;
    const std::string path = Path("names.ini");
    SaveModelFile(path, plain);
    const std::string plainText = ReadAll(path);
    EXPECT_EQ(plainText.find("Name="), std::string::npos);

    TModel named;
    named.name1 = "hare";
    named.name2 = "lynx";
    SaveModelFile(path, named);
    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("[Species 1]\nDensity=1\nRate=0\nName=hare\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Species 2]\nDensity=1\nRate=0\nName=lynx\n"), std::string::npos) << text;
    TModel back;
    LoadModelFile(path, back);
    EXPECT_EQ(back.name1, "hare");
    EXPECT_EQ(back.name2, "lynx");

    back.name1.clear();
    back.name2.clear();
    back.origin.clear();
    SaveModelFile(path, back);
    EXPECT_EQ(ReadAll(path), plainText);
}
