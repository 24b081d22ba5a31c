#include "ObservedData.h"

#include "Exception.h"
#include "FloatText.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The index of the column named `wanted` (or of the first of `defaults` when
// none is asked for); none when it is not there.
std::optional<std::size_t> Column(const std::vector<std::string>& header, const std::string& wanted,
                                  const std::vector<std::string>& defaults) {
    const std::vector<std::string> names =
        wanted.empty() ? defaults : std::vector{Lower(Trimmed(wanted))};
    for (const std::string& name : names)
        for (std::size_t i = 0; i < header.size(); ++i)
            if (Lower(Trimmed(header[i])) == name) return i;
    return std::nullopt;
}

const std::vector<std::string> kTimeNames = {"t", "time", "year"};

} // namespace

std::size_t TObservedData::Points() const {
    const auto observed = [](const std::vector<double>& v) {
        return std::size_t(
            std::count_if(v.begin(), v.end(), [](double x) { return !std::isnan(x); }));
    };
    return observed(n1) + observed(n2);
}

double TObservedData::Largest() const {
    double largest = 0;
    for (const auto* column : {&n1, &n2})
        for (double x : *column)
            if (!std::isnan(x)) largest = std::max(largest, x);
    return largest;
}

bool DefaultColumnsMatch(const std::vector<std::string>& header) {
    return Column(header, "", kTimeNames) &&
           (Column(header, "", {"n1"}) || Column(header, "", {"n2"}));
}

std::string TimeColumnName(const std::vector<std::string>& header, const TDataColumns& columns) {
    const auto column = Column(header, columns.t, kTimeNames);
    return column ? Trimmed(header[*column]) : std::string();
}

TObservedData ObservedDataFromTable(const std::vector<std::string>& header,
                                    const std::vector<TDataRow>& rows, const std::string& name,
                                    const TDataColumns& columns) {
    if (header.empty()) throw Exception(FormatMessage("'%s' holds no data", {name}));
    const auto timeColumn = Column(header, columns.t, kTimeNames);
    if (!timeColumn) {
        if (!columns.t.empty())
            throw Exception(FormatMessage("'%s' has no column '%s'", {name, columns.t}));
        throw Exception(FormatMessage("'%s' has no time column (t, time or year)", {name}));
    }
    const auto n1Column = Column(header, columns.n1, {"n1"});
    const auto n2Column = Column(header, columns.n2, {"n2"});
    for (const auto& [asked, found] : {std::pair{&columns.n1, &n1Column}, {&columns.n2, &n2Column}})
        if (!asked->empty() && !*found)
            throw Exception(FormatMessage("'%s' has no column '%s'", {name, *asked}));
    if (!n1Column && !n2Column)
        throw Exception(FormatMessage("'%s' has neither an N1 nor an N2 column", {name}));

    TObservedData data;
    for (const TDataRow& row : rows) {
        if (std::all_of(row.cells.begin(), row.cells.end(),
                        [](const std::string& cell) { return Trimmed(cell).empty(); }))
            continue;
        const auto read = [&](std::optional<std::size_t> column) {
            if (!column || *column >= row.cells.size()) return kMissing;
            const std::string cell = Trimmed(row.cells[*column]);
            if (cell.empty() || Lower(cell) == "na") return kMissing;
            double value = 0;
            if (!TryTextToFloat(cell, value) || !std::isfinite(value))
                throw Exception(
                    FormatMessage("'%s' line %s: '%s' is not a valid floating point value",
                                  {name, std::to_string(row.line), cell}));
            return value;
        };
        const double t = read(timeColumn);
        const double n1 = read(n1Column);
        const double n2 = read(n2Column);
        if (std::isnan(t))
            throw Exception(
                FormatMessage("'%s' line %s has no time", {name, std::to_string(row.line)}));
        if (!data.t.empty() && !(t > data.t.back()))
            throw Exception(FormatMessage("'%s' line %s: the times must increase from row to row",
                                          {name, std::to_string(row.line)}));
        data.t.push_back(t);
        data.n1.push_back(n1);
        data.n2.push_back(n2);
    }
    if (data.t.empty()) throw Exception(FormatMessage("'%s' holds no data", {name}));
    return data;
}
