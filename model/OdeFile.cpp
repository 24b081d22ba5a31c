#include "OdeFile.h"

#include "FloatText.h"
#include "MathParser.h"
#include "OdeExpression.h"
#include "RateTree.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace {

// XPPAUT's own defaults, which a file that does not set them runs with.
constexpr double kOdeDefaultDt = 0.05;
constexpr double kOdeDefaultTolerance = 1E-3;

// The rate-law names a parameter may not take: the functions, the operators
// written as words, the constant and the densities.
bool IsRateLawReserved(const std::string& name) {
    static const std::set<std::string> reserved = {
        "TAN",  "SIN",  "COS", "SINH", "COSH", "ARCTAN", "EXP", "LN",  "SQRT", "ABS", "HEAV",
        "SIGN", "ZERO", "PH",  "RND",  "MAX",  "MIN",    "DIV", "MOD", "PI",   "N1",  "N2"};
    return reserved.count(Upper(name)) > 0;
}

// Names XPPAUT reads as something else.
bool IsOdeReserved(const std::string& name) {
    static const std::set<std::string> reserved = {
        "sin",     "cos",       "tan",    "asin",     "acos",   "atan",    "atan2",   "sinh",
        "cosh",    "tanh",      "exp",    "ln",       "log",    "log10",   "sqrt",    "abs",
        "heav",    "sign",      "mod",    "flr",      "max",    "min",     "if",      "then",
        "else",    "pi",        "t",      "ran",      "normal", "besselj", "bessely", "erf",
        "erfc",    "delay",     "shift",  "del_shft", "sum",    "of",      "par",     "p",
        "param",   "parameter", "init",   "i",        "number", "aux",     "done",    "table",
        "wiener",  "global",    "markov", "set",      "bdry",   "export",  "special", "options",
        "volterra"};
    return reserved.count(Lower(name)) > 0;
}

bool IsIdentifier(const std::string& name) {
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_'))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](unsigned char c) { return std::isalnum(c) || c == '_'; });
}

// `name` with "_" appended until it is neither reserved nor taken (letter case aside).
std::string FreeName(std::string name, const std::function<bool(const std::string&)>& reserved,
                     const std::set<std::string>& taken) {
    while (reserved(name) || taken.count(Lower(name)))
        name += "_";
    return name;
}

void SkipBlanks(const std::string& text, size_t& i) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
}

// The name at `i` (empty: none), `i` after it.
std::string Identifier(const std::string& text, size_t& i) {
    const size_t start = i;
    if (i < text.size() && (std::isalpha(static_cast<unsigned char>(text[i])) || text[i] == '_'))
        while (i < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
            ++i;
    return text.substr(start, i - start);
}

std::string ReadAll(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw Exception(FormatMessage("Cannot read %s", {fileName}));
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Trim(const std::string& text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto begin = std::find_if_not(text.begin(), text.end(), blank);
    const auto end = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return begin < end ? std::string(begin, end) : std::string();
}

double ReadValue(const std::string& text) {
    std::string numeral = Trim(text);
    if (!numeral.empty() && numeral[0] == '+') numeral.erase(0, 1);
    double value = 0;
    const auto [end, ec] = std::from_chars(numeral.data(), numeral.data() + numeral.size(), value);
    if (numeral.empty() || ec != std::errc() || end != numeral.data() + numeral.size() ||
        !std::isfinite(value))
        throw Exception("'" + Trim(text) + "' is not a number");
    return value;
}

// "a=1, b = 2 c=3": the pairs in order, values as written.
std::vector<std::pair<std::string, std::string>> Assignments(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> pairs;
    size_t i = 0;
    const auto skip = [&](const char* chars) {
        while (i < text.size() && std::strchr(chars, text[i]))
            ++i;
    };
    while (true) {
        skip(" \t,");
        if (i >= text.size()) break;
        const size_t nameStart = i;
        while (i < text.size() && !std::strchr(" \t,=", text[i]))
            ++i;
        const std::string name = text.substr(nameStart, i - nameStart);
        skip(" \t");
        if (i >= text.size() || text[i] != '=') throw Exception("'" + name + "' has no value");
        ++i;
        skip(" \t");
        const size_t valueStart = i;
        while (i < text.size() && !std::strchr(" \t,", text[i]))
            ++i;
        pairs.emplace_back(name, text.substr(valueStart, i - valueStart));
    }
    return pairs;
}

// One statement of the file: its text without comment and its first line.
struct Statement {
    int line;
    std::string text;
};

std::vector<Statement> Statements(const std::string& text) {
    std::vector<Statement> statements;
    std::istringstream lines(text);
    std::string physical;
    int number = 0;
    std::optional<Statement> open;
    while (std::getline(lines, physical)) {
        ++number;
        if (!physical.empty() && physical.back() == '\r') physical.pop_back();
        std::string trimmed = Trim(physical);
        // A continued line ends in "\" and goes on in the next.
        const bool continued = !trimmed.empty() && trimmed.back() == '\\';
        if (continued) trimmed.pop_back();
        if (!open) open = Statement{number, ""};
        open->text += (open->text.empty() ? "" : " ") + trimmed;
        if (continued) continue;
        statements.push_back(*open);
        open.reset();
    }
    if (open) statements.push_back(*open);
    return statements;
}

struct UserFunction {
    int line = 0;
    std::vector<std::string> args;
    std::string body;
    TExprPtr tree;
};

struct Parameter {
    int line = 0;
    std::string name; // as the table will show it
    double value = 0;
    std::string derived; // the expression of a derived parameter
};

class OdeReader {
public:
    OdeReader(std::string fileName, std::vector<std::string>& notes)
        : fileName_(std::move(fileName)), notes_(notes) {
        const size_t slash = fileName_.find_last_of("/\\");
        if (slash != std::string::npos) fileName_.erase(0, slash + 1);
    }

    TModel Read(const std::string& text) {
        for (const Statement& s : Statements(text)) {
            line_ = s.line;
            try {
                if (!Take(s.text)) break;
            } catch (const Exception& e) {
                Fail(e.Message());
            }
        }
        return Build();
    }

private:
    [[noreturn]] void Fail(const std::string& message, int line = 0) const {
        throw Exception(fileName_ + ":" + std::to_string(line ? line : line_) + ": " + message);
    }
    // An error inside a function's body says that body's line, once.
    [[noreturn]] void Relay(const Exception& e, int line) const {
        if (e.Message().starts_with(fileName_ + ":")) throw e;
        Fail(e.Message(), line);
    }
    void Note(const std::string& message, int line = 0) {
        notes_.push_back(fileName_ + ":" + std::to_string(line ? line : line_) + ": " + message);
    }

    // False at "done".
    bool Take(std::string text) {
        const size_t hash = text.find('#');
        if (hash == 0 && Lower(text).starts_with("#include"))
            throw EOdeUnsupported("'#include' is not supported");
        if (hash != std::string::npos) text = Trim(text.substr(0, hash));
        if (text.empty()) return true;
        if (text.find('[') != std::string::npos)
            throw EOdeUnsupported("arrays 'name[...]' are not supported");
        if (text[0] == '@') {
            Options(text.substr(1));
            return true;
        }
        const bool derived = text[0] == '!';
        size_t i = derived ? 1 : 0;
        SkipBlanks(text, i);
        const std::string name = Identifier(text, i);
        const size_t afterName = i;
        SkipBlanks(text, i);
        const auto assigned = [&](size_t at) {
            SkipBlanks(text, at);
            if (at >= text.size() || text[at] != '=')
                throw Exception("'" + text + "' is not understood");
            return text.substr(at + 1);
        };
        const char next = i < text.size() ? text[i] : '\0';
        if (name.empty()) throw Exception("'" + text + "' is not understood");
        if (derived) {
            AddParameter(name, 0, Trim(assigned(i)));
        } else if (next == '\'') {
            AddVariable(name, assigned(i + 1));
        } else if (next == '/' && name.size() > 1 && (name[0] == 'd' || name[0] == 'D')) {
            size_t j = i + 1;
            SkipBlanks(text, j);
            if (Lower(Identifier(text, j)) != "dt")
                throw Exception("'" + text + "' is not understood");
            AddVariable(name.substr(1), assigned(j));
        } else if (next == '(') {
            const size_t close = text.find(')', i);
            if (close == std::string::npos) throw Exception("')' expected");
            const std::string inside = text.substr(i + 1, close - i - 1);
            const std::string value = assigned(close + 1);
            if (Trim(inside) == "0")
                inits_.emplace_back(Lower(name), std::make_pair(line_, ReadValue(value)));
            else
                AddFunction(name, inside, value);
        } else if (next == '=') {
            AddFunction(name, "", text.substr(i + 1));
        } else {
            const std::string word = Lower(name);
            const std::string rest = text.substr(afterName);
            if (word == "done") return false;
            if (word == "par" || word == "param" || word == "parameter" || word == "p") {
                for (const auto& [parameter, value] : Assignments(rest))
                    AddParameter(parameter, ReadValue(value), "");
            } else if (word == "init" || word == "i") {
                for (const auto& [variable, value] : Assignments(rest))
                    inits_.emplace_back(Lower(variable), std::make_pair(line_, ReadValue(value)));
            } else if (word == "number" || word == "num") {
                for (const auto& [constant, value] : Assignments(rest)) {
                    CheckNew(constant);
                    numbers_[Lower(constant)] = ReadValue(value);
                }
            } else if (word == "aux") {
                Note("'aux' is ignored: the window plots N1 and N2 only");
            } else {
                throw EOdeUnsupported("'" + word + "' is not supported");
            }
        }
        return true;
    }

    void CheckNew(const std::string& name) {
        if (!IsIdentifier(name)) throw Exception("'" + name + "' is not a name");
        if (!declared_.insert(Lower(name)).second)
            throw Exception("'" + name + "' is declared twice");
    }

    void AddVariable(const std::string& name, const std::string& rate) {
        CheckNew(name);
        if (variables_.size() == 2)
            throw EOdeUnsupported("a third variable '" + name +
                                  "' is not supported: a model has two");
        variables_.push_back({line_, name, Trim(rate)});
    }

    void AddFunction(const std::string& name, const std::string& args, const std::string& body) {
        CheckNew(name);
        UserFunction f{line_, {}, Trim(body), nullptr};
        std::istringstream list(args);
        for (std::string arg; std::getline(list, arg, ',');)
            if (IsIdentifier(Trim(arg)))
                f.args.push_back(Lower(Trim(arg)));
            else
                throw Exception("'" + Trim(arg) + "' is not a name");
        functions_[Lower(name)] = f;
    }

    void AddParameter(const std::string& name, double value, const std::string& derived) {
        CheckNew(name);
        parameters_.push_back({line_, name, value, derived});
    }

    void Options(const std::string& text) {
        for (const auto& [name, value] : Assignments(text)) {
            const std::string option = Lower(name);
            if (option == "dt") {
                dt_ = ReadValue(value);
                CheckTimeStep(*dt_);
            } else if (option == "meth" || option == "method") {
                method_ = OdeMethod(Lower(value));
            } else if (option == "tol" || option == "toler") {
                relTol_ = ToleranceFromText(value);
            } else if (option == "atol" || option == "atoler") {
                absTol_ = ToleranceFromText(value);
            } else {
                Note("option '" + option + "' is ignored");
            }
        }
    }

    static TSolverMethod OdeMethod(const std::string& name) {
        if (name == "euler") return sm_Euler;
        if (name == "rk4" || name.starts_with("runge")) return sm_RK4;
        if (name == "qualrk" || name == "dorprin" || name == "rkqs" || name == "5dp")
            return sm_RK45;
        if (name == "cvode" || name == "stiff" || name == "gear" || name == "rosen" ||
            name == "2rb")
            return sm_BDF;
        throw EOdeUnsupported("the method '" + name + "' is not supported");
    }

    // What a name in an expression stands for, as the rate law writes it.
    TExprPtr Resolve(const std::string& name) {
        for (size_t k = 0; k < variables_.size(); ++k)
            if (Lower(variables_[k].name) == name) return MakeName(k == 0 ? "N1" : "N2");
        if (const auto it = rowNames_.find(name); it != rowNames_.end())
            return MakeName(it->second);
        if (const auto it = numbers_.find(name); it != numbers_.end())
            return MakeNumber(it->second);
        if (const auto it = functions_.find(name);
            it != functions_.end() && it->second.args.empty())
            return FunctionTree(name);
        return nullptr;
    }

    // A user function's body, read once; one that calls itself is refused.
    TExprPtr FunctionTree(const std::string& name) {
        UserFunction& f = functions_[name];
        if (f.tree) return f.tree;
        if (!expanding_.insert(name).second)
            throw EOdeUnsupported("'" + name + "' refers to itself");
        const TOdeScope scope = Scope(f.args);
        try {
            f.tree = ParseOdeExpression(f.body, scope);
        } catch (const Exception& e) {
            Relay(e, f.line);
        }
        expanding_.erase(name);
        return f.tree;
    }

    // Names resolved as in the file, a function's own arguments first.
    TOdeScope Scope(const std::vector<std::string>& args) {
        TOdeScope scope;
        scope.name = [this, args](const std::string& name) -> TExprPtr {
            // An argument's mark cannot be the name of anything else.
            if (std::find(args.begin(), args.end(), name) != args.end())
                return MakeName("@" + name);
            return Resolve(name);
        };
        scope.function =
            [this](
                const std::string& name) -> const std::pair<std::vector<std::string>, TExprPtr>* {
            const auto it = functions_.find(name);
            if (it == functions_.end() || it->second.args.empty()) return nullptr;
            FunctionTree(name);
            calls_[name] = {it->second.args, it->second.tree};
            return &calls_[name];
        };
        return scope;
    }

    std::string RateOf(const std::string& expression, int line) {
        try {
            return ToRateText(ParseOdeExpression(expression, Scope({})));
        } catch (const Exception& e) {
            Relay(e, line);
        }
    }

    TModel Build() {
        if (variables_.size() != 2)
            Fail("a model has two variables; the file declares " +
                     std::to_string(variables_.size()),
                 line_);
        if (static_cast<int>(parameters_.size()) > kParameterRows)
            Fail("the file has " + std::to_string(parameters_.size()) +
                     " parameters; the table holds " + std::to_string(kParameterRows),
                 parameters_[kParameterRows].line);
        TModel model;
        model.dt = dt_.value_or(kOdeDefaultDt);
        model.N1 = model.N2 = 0;
        for (const auto& [name, at] : inits_) {
            if (Lower(variables_[0].name) == name)
                model.N1 = at.second;
            else if (Lower(variables_[1].name) == name)
                model.N2 = at.second;
            else
                Fail("init names '" + name + "', which is no variable", at.first);
        }
        model.name1 = variables_[0].name;
        model.name2 = variables_[1].name;
        // The table's names: a rate-law word or a density's name gets a "_".
        std::set<std::string> taken;
        for (const Parameter& p : parameters_)
            taken.insert(Lower(p.name));
        for (Parameter& p : parameters_) {
            const std::string name =
                IsRateLawReserved(p.name) ? FreeName(p.name, IsRateLawReserved, taken) : p.name;
            if (name != p.name) {
                Note("the parameter '" + p.name + "' is named '" + name +
                         "': the rate law reserves its name",
                     p.line);
                taken.insert(Lower(name));
            }
            rowNames_[Lower(p.name)] = name;
        }
        for (size_t k = 0; k < parameters_.size(); ++k) {
            Parameter& p = parameters_[k];
            ParameterRow& row = model.rows[k];
            row.name = rowNames_[Lower(p.name)];
            if (!p.derived.empty()) {
                p.value = Evaluate(RateOf(p.derived, p.line), k, p.line);
                row.description = "= " + p.derived;
            }
            row.value = ExactNumeral(p.value);
        }
        model.rate1 = RateOf(variables_[0].rate, variables_[0].line);
        model.rate2 = RateOf(variables_[1].rate, variables_[1].line);
        model.solver.Method = method_.value_or(sm_RK4);
        const bool adaptive = model.solver.Method == sm_RK45 || model.solver.Method == sm_BDF;
        model.solver.RelTol = relTol_.value_or(adaptive ? kOdeDefaultTolerance : kDefaultRelTol);
        model.solver.AbsTol = absTol_.value_or(adaptive ? kOdeDefaultTolerance : kDefaultAbsTol);
        return model;
    }

    // A derived parameter's value from the parameters before it.
    double Evaluate(const std::string& rate, size_t count, int line) {
        TMathParser parser;
        parser.RemoveVariables();
        for (size_t k = 0; k < count; ++k)
            parser.DefineVariable(rowNames_[Lower(parameters_[k].name)], parameters_[k].value);
        try {
            parser.SetExpression(rate);
            return parser.Value();
        } catch (const Exception& e) {
            Fail(e.Message(), line);
        }
    }

    struct Variable {
        int line;
        std::string name;
        std::string rate;
    };

    std::string fileName_;
    std::vector<std::string>& notes_;
    int line_ = 0;
    std::set<std::string> declared_;
    std::vector<Variable> variables_;
    std::vector<Parameter> parameters_;
    std::map<std::string, std::string> rowNames_;
    std::map<std::string, double> numbers_;
    std::map<std::string, UserFunction> functions_;
    std::map<std::string, std::pair<std::vector<std::string>, TExprPtr>> calls_;
    std::set<std::string> expanding_;
    std::vector<std::pair<std::string, std::pair<int, double>>> inits_;
    std::optional<double> dt_, relTol_, absTol_;
    std::optional<TSolverMethod> method_;
};

std::string OdeMethodName(TSolverMethod method) {
    switch (method) {
    case sm_Euler:
        return "euler";
    case sm_RK4:
        return "rungekutta";
    case sm_RK45:
        return "5dp";
    case sm_BDF:
        return "cvode";
    }
    return "rungekutta";
}

} // namespace

void ReadOdeText(const std::string& fileName, const std::string& text, TModel& model,
                 std::vector<std::string>& notes) {
    std::vector<std::string> told;
    TModel read = OdeReader(fileName, told).Read(text);
    model = std::move(read);
    notes.insert(notes.end(), told.begin(), told.end());
}

void LoadOdeFile(const std::string& fileName, TModel& model, std::vector<std::string>& notes) {
    ReadOdeText(fileName, ReadAll(fileName), model, notes);
}

std::string OdeText(const TModel& model) {
    std::string text = "# Written by Tarnivell\n";
    // The species' names, unless XPPAUT reads them as something else.
    std::set<std::string> taken;
    std::string species[2];
    const std::string* own[2] = {&model.name1, &model.name2};
    for (int k = 0; k < 2; ++k) {
        const std::string fallback = k == 0 ? "N1" : "N2";
        species[k] =
            IsIdentifier(*own[k]) && !IsOdeReserved(*own[k]) && !taken.count(Lower(*own[k]))
                ? *own[k]
                : fallback;
        if (taken.count(Lower(species[k]))) species[k] = FreeName(fallback, IsOdeReserved, taken);
        taken.insert(Lower(species[k]));
    }
    std::map<std::string, std::string> rename = {{"N1", species[0]}, {"N2", species[1]}};
    std::vector<std::string> variables = {"N1", "N2"};
    for (const ParameterRow& row : model.rows) {
        if (row.name.empty()) continue;
        double value = 0;
        if (!TryTextToFloat(row.value, value))
            throw Exception("The parameter '" + row.name + "' has no value");
        const std::string name = FreeName(row.name, IsOdeReserved, taken);
        taken.insert(Lower(name));
        rename[Upper(row.name)] = name;
        variables.push_back(row.name);
        if (name != row.name)
            text += "# '" + row.name + "' is named '" + name + "': XPPAUT reserves its name\n";
        if (!row.description.empty()) text += "# " + name + ": " + row.description + "\n";
        text += "par " + name + "=" + ExactNumeral(value) + "\n";
    }
    text += "init " + species[0] + "=" + ExactNumeral(model.N1) + ", " + species[1] + "=" +
            ExactNumeral(model.N2) + "\n";
    const std::string* rates[2] = {&model.rate1, &model.rate2};
    for (int k = 0; k < 2; ++k) {
        try {
            text +=
                species[k] + "'=" + ToOdeText(ParseRateText(*rates[k], variables), rename) + "\n";
        } catch (const Exception& e) {
            throw Exception(std::string(k == 0 ? "dN1/dt" : "dN2/dt") + ": " + e.Message());
        }
    }
    text +=
        "@ dt=" + ExactNumeral(model.dt) + ", meth=" + OdeMethodName(model.solver.Method) + "\n";
    // The tolerances go with an adaptive method, and with any other when they
    // are not what reading a file without them gives, so that they come back.
    const TSolverSettings& solver = model.solver;
    if (solver.Method == sm_RK45 || solver.Method == sm_BDF || solver.RelTol != kDefaultRelTol ||
        solver.AbsTol != kDefaultAbsTol)
        text += "@ toler=" + ExactNumeral(model.solver.RelTol) +
                ", atoler=" + ExactNumeral(model.solver.AbsTol) + "\n";
    return text + "done\n";
}

void SaveOdeFile(const std::string& fileName, const TModel& model) {
    const std::string text = OdeText(model);
    // Written beside it and then put in its place, so that a failed write
    // leaves the old file.
    std::ofstream out(fileName + ".tmp", std::ios::binary);
    out << text;
    out.close();
    if (!out || std::rename((fileName + ".tmp").c_str(), fileName.c_str()) != 0) {
        std::remove((fileName + ".tmp").c_str());
        throw Exception(FormatMessage("Unable to write to %s", {fileName}));
    }
}
