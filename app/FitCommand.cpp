#include "FitCommand.h"

#include "CommandArgs.h"
#include "CsvRow.h"
#include "DataFile.h"
#include "Exception.h"
#include "Fit.h"
#include "FloatText.h"
#include "ModelFile.h"
#include "ModelFormats.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <sstream>

namespace {

constexpr int kDefaultStarts = 8;

struct TFitArgs {
    std::string model, data;
    std::vector<std::string> params;
    bool densities = false;
    bool logarithms = false;
    int starts = kDefaultStarts;
    TDataColumns columns;
    std::optional<std::string> out;
};

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

TDataColumns ReadColumns(const std::string& text) {
    const std::string wrong =
        FormatMessage("'%s' is not a list of columns of the form t=COL,N1=COL,N2=COL", {text});
    TDataColumns columns;
    for (const std::string& item : Split(text, ',')) {
        const auto equals = item.find('=');
        if (equals == std::string::npos || equals + 1 == item.size()) throw Exception(wrong);
        const std::string key = Lower(item.substr(0, equals));
        std::string* column = key == "t"    ? &columns.t
                              : key == "n1" ? &columns.n1
                              : key == "n2" ? &columns.n2
                                            : nullptr;
        if (!column) throw Exception(wrong);
        *column = item.substr(equals + 1);
    }
    return columns;
}

TFitArgs ReadArgs(const std::vector<std::string>& args) {
    const Exception usage(std::string("usage: tarnivell ") + kFitUsage);
    TFitArgs a;
    std::vector<std::string> files;
    bool paramsGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw usage;
            return args[++i];
        };
        if (arg == "--params") {
            a.params = Split(value(), ',');
            paramsGiven = true;
        } else if (arg == "--densities") {
            a.densities = true;
        } else if (arg == "--log") {
            a.logarithms = true;
        } else if (arg == "--starts") {
            a.starts = int(std::min<long long>(ReadCount("--starts", value(), 1), 1 << 20));
        } else if (arg == "--columns") {
            a.columns = ReadColumns(value());
        } else if (arg == "--out") {
            a.out = value();
        } else if (arg.starts_with("--")) {
            RefuseArgument(arg, usage.Message(), {});
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2 || !paramsGiven) throw usage;
    a.model = files[0];
    a.data = files[1];
    return a;
}

// The span of the slider of the row that holds `name`.
TParameterRange SliderSpan(const TModel& model, const std::string& name, double value) {
    for (const ParameterRow& row : model.rows)
        if (SameParameterName(row.name, name) && row.range) return *row.range;
    return DefaultRange(value);
}

} // namespace

int RunFit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        const TFitArgs a = ReadArgs(args);
        TModel file = LoadRequiredModel(a.model, err);
        TCompiledModel model;
        std::vector<ParameterRow> rows = file.rows;
        model.Compile(rows, file.rate1, file.rate2, file.N1, file.N2);
        const TObservedData data = TDataFile::Read(a.data).Data(a.columns);

        TFitOptions options;
        for (const std::string& name : a.params) {
            const int index = model.ParameterIndex(name);
            if (index < 0) throw Exception(FormatMessage("No parameter is named '%s'", {name}));
            const TParameterRange span =
                SliderSpan(file, name, model.Parameter(std::size_t(index)));
            options.unknowns.push_back(
                {TFitUnknown::TKind::Parameter, std::size_t(index), span.min, span.max});
        }
        if (a.densities) {
            const double upper = 10 * (data.Largest() > 0 ? data.Largest() : 1);
            options.unknowns.push_back({TFitUnknown::TKind::N1, 0, 0, upper});
            options.unknowns.push_back({TFitUnknown::TKind::N2, 0, 0, upper});
        }
        options.n1 = file.N1;
        options.n2 = file.N2;
        options.logarithms = a.logarithms;
        options.starts = a.starts;
        options.relTol = std::min(1e-8, file.solver.RelTol);
        const TFitResult fit = Fit(model, data, options);
        if (!fit.error.empty()) throw Exception(fit.error);

        if (a.out) {
            TModel fitted = file;
            for (std::size_t j = 0; j < fit.estimates.size(); ++j) {
                const TFitEstimate& e = fit.estimates[j];
                if (j == a.params.size())
                    fitted.N1 = e.value;
                else if (j > a.params.size())
                    fitted.N2 = e.value;
                else
                    for (ParameterRow& row : fitted.rows)
                        if (SameParameterName(row.name, e.name)) row.value = FloatToText(e.value);
            }
            SaveAnyModelFile(*a.out, fitted);
        }

        out << CsvRow({"name", "estimate", "standard_error"});
        for (const TFitEstimate& e : fit.estimates)
            out << CsvRow({e.name, CsvNumber(e.value),
                           e.identifiable ? CsvNumber(e.standardError) : "not identifiable"});
        out.flush();
        err << "SSR=" << CsvNumber(fit.ssr) << ", points=" << fit.points
            << ", AIC=" << CsvNumber(fit.aic) << '\n';
        for (const TFitEstimate& e : fit.estimates)
            if (!e.identifiable)
                err << "'" << e.name
                    << "' is not identifiable: the data determine it only together with "
                       "others.\n";
        if (!fit.converged) {
            err << "The fit did not converge: " << fit.why << ".\n";
            return 1;
        }
        return 0;
    });
}
