#include "CommandArgs.h"

#include "ErrorText.h"
#include "Exception.h"
#include "ModelFormats.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>

long long ReadCount(const std::string& option, const std::string& text, long long least) {
    long long value = 0;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), last, value);
    if (text.empty() || ec != std::errc() || ptr != last || value < least)
        throw Exception(FormatMessage("'%s' is not a valid count for %s", {text, option}));
    return value;
}

TNamedValues ReadNamedValues(const std::string& text, std::size_t count,
                             const std::string& wrongForm) {
    const size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) throw Exception(wrongForm);
    TNamedValues read{text.substr(0, eq), {}};
    size_t begin = eq + 1;
    for (size_t colon; (colon = text.find(':', begin)) != std::string::npos; begin = colon + 1)
        read.values.push_back(text.substr(begin, colon - begin));
    read.values.push_back(text.substr(begin));
    if (read.values.size() != count) throw Exception(wrongForm);
    return read;
}

TModel LoadRequiredModel(const std::string& fileName) {
    return LoadRequiredModel(fileName, std::cerr);
}

TModel LoadRequiredModel(const std::string& fileName, std::ostream& notes) {
    // The file as the ini layer will read it.
    std::string path = fileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status))
        throw Exception(FormatMessage("Model file '%s' does not exist", {fileName}));
    if (!std::filesystem::is_regular_file(status) || !std::ifstream(path, std::ios::binary))
        throw Exception(FormatMessage("Model file '%s' cannot be read", {fileName}));
    TModel model;
    std::vector<std::string> told;
    LoadAnyModelFile(fileName, model, told);
    for (const std::string& note : told)
        notes << note << '\n';
    return model;
}

bool TSolverOptions::Take(const std::vector<std::string>& args, std::size_t& i) {
    const std::string& arg = args[i];
    if (i + 1 >= args.size()) return false;
    if (arg == "--method") {
        method = MethodFromName(args[++i]);
    } else if (arg == "--rtol" || arg == "--atol") {
        (arg == "--rtol" ? relTol : absTol) = ToleranceFromText(args[++i]);
    } else {
        return false;
    }
    return true;
}

void TSolverOptions::ApplyTo(TSolverSettings& settings) const {
    if (method) settings.Method = *method;
    if (relTol) settings.RelTol = *relTol;
    if (absTol) settings.AbsTol = *absTol;
}

EUnknownOption::EUnknownOption(const std::string& option, std::string usage)
    : Exception(FormatMessage("unknown option '%s'", {option})), usage_(std::move(usage)) {}

void RefuseArgument(const std::string& arg, const std::string& usage,
                    std::initializer_list<const char*> known, bool solver) {
    const auto is = [&](const char* k) { return arg == k; };
    const bool knownHere = std::any_of(known.begin(), known.end(), is) ||
                           (solver && (is("--method") || is("--rtol") || is("--atol")));
    if (arg.starts_with("--") && !knownHere) throw EUnknownOption(arg, usage);
    throw Exception(usage);
}

int RunHeadless(std::ostream& out, std::ostream& err, const std::function<int()>& command) {
    try {
        return command();
    } catch (const EUnknownOption& e) {
        out.flush();
        // As for an unknown option before any mode.
        err << "tarnivell: " << e.Message() << '\n' << e.Usage() << '\n';
        return 2;
    } catch (const std::exception& e) {
        out.flush();
        err << ErrorDisplayText(ErrorMessage(e)) << '\n';
        return 1;
    }
}
