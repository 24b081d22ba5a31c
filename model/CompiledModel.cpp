#include "CompiledModel.h"

#include "Exception.h"
#include "FloatText.h"
#include "ParserErrors.h"
#include "RateFault.h"

#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Holds a point in a model's density cells for one evaluation and puts the
// cells' values back afterwards, also when the evaluation throws.
class TCellsAt {
public:
    TCellsAt(TCompiledModel& model, double n1, double n2)
        : model_(model), n1_(model.StoredN1()), n2_(model.StoredN2()) {
        model.Store(n1, n2);
    }
    ~TCellsAt() { model_.Store(n1_, n2_); }
    TCellsAt(const TCellsAt&) = delete;
    TCellsAt& operator=(const TCellsAt&) = delete;

private:
    TCompiledModel& model_;
    const double n1_;
    const double n2_;
};

Exception NoParameter(const std::string& name) {
    return Exception(FormatMessage("No parameter is named '%s'", {name}));
}

} // namespace

TCompiledModel::TCompiledModel() {
    Clear();
}

TCompiledModel::~TCompiledModel() = default;

void TCompiledModel::Clear() {
    compiled_ = false;
    for (auto& dual : duals_)
        dual.reset();
    for (auto& jet : jets_)
        jet.reset();
    parameterDuals_.clear();
    parameters_.clear();
    for (int k = 0; k < 2; ++k) {
        n1Cells_[k] = &spare_[k];
        n2Cells_[k] = &spare_[2 + k];
    }
    for (TMathParser& parser : parsers_)
        parser.RemoveVariables();
    evaluations_ = 0;
}

void TCompiledModel::Compile(std::vector<ParameterRow>& rows, const std::string& rate1,
                             const std::string& rate2, double n1, double n2) {
    CheckParameterNames(rows);
    Clear();
    for (int k = 0; k < 2; ++k) {
        n1Cells_[k] = parsers_[k].DefineVariable("N1", n1);
        n2Cells_[k] = parsers_[k].DefineVariable("N2", n2);
    }
    std::vector<TParameter> parameters;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ParameterRow& row = rows[i];
        if (row.name.empty()) continue;
        const double value = TextToFloat(row.value);
        TParameter p{row.name, i, {}};
        for (int k = 0; k < 2; ++k)
            p.cells[k] = parsers_[k].DefineVariable(row.name, value);
        row.value = FloatToText(*p.cells[0]);
        parameters.push_back(std::move(p));
    }
    try {
        CompileSpeciesRate(0, rate1);
        CompileSpeciesRate(1, rate2);
    } catch (...) {
        Clear();
        throw;
    }
    parameters_ = std::move(parameters);
    MakeDerivatives();
    compiled_ = true;
}

void TCompiledModel::CompileSpeciesRate(int k, const std::string& rate) {
    const std::string species = std::to_string(k + 1);
    try {
        CompileRate(parsers_[k], "dN" + species + "/dt", rate);
    } catch (const EMathParserError& error) {
        // Where, first; the parser's own words after it.
        const std::string fault = RateFault(parsers_[k], rate);
        throw ERateError(k + 1, "Species " + species + " rate: " +
                                    (fault.empty() ? "" : fault + "\r") + error.Message());
    } catch (const Exception& error) {
        throw ERateError(k + 1, error.Message());
    }
}

void TCompiledModel::MakeDerivatives() {
    for (int k = 0; k < 2; ++k) {
        try {
            duals_[k] = std::make_unique<TDualEvaluator>(parsers_[k], n1Cells_[k], n2Cells_[k]);
        } catch (const Exception&) {
            duals_[k].reset(); // a function without a known derivative
        }
    }
    parameterDuals_.clear();
    parameterDuals_.resize(parameters_.size());
    for (auto& jet : jets_)
        jet.reset();
}

std::unique_ptr<TCompiledModel> TCompiledModel::Clone() const {
    auto copy = std::make_unique<TCompiledModel>();
    copy->CopyFrom(*this);
    return copy;
}

void TCompiledModel::CopyFrom(const TCompiledModel& other) {
    if (&other == this) return;
    Clear();
    if (!other.compiled_) return;
    for (int k = 0; k < 2; ++k) {
        n1Cells_[k] = parsers_[k].DefineVariable("N1", *other.n1Cells_[k]);
        n2Cells_[k] = parsers_[k].DefineVariable("N2", *other.n2Cells_[k]);
    }
    parameters_ = other.parameters_;
    for (TParameter& p : parameters_)
        for (int k = 0; k < 2; ++k)
            p.cells[k] = parsers_[k].DefineVariable(p.name, *p.cells[k]);
    try {
        for (int k = 0; k < 2; ++k)
            parsers_[k].SetExpression(other.parsers_[k].Expression());
    } catch (...) {
        Clear();
        throw;
    }
    MakeDerivatives();
    compiled_ = true;
}

int TCompiledModel::ParameterIndex(const std::string& name) const {
    for (std::size_t i = 0; i < parameters_.size(); ++i)
        if (SameParameterName(parameters_[i].name, name)) return int(i);
    return -1;
}

void TCompiledModel::Set(const std::string& name, double value) {
    const int index = ParameterIndex(name);
    if (index < 0) throw NoParameter(name);
    SetParameter(std::size_t(index), value);
}

double TCompiledModel::Value(const std::string& name) const {
    const int index = ParameterIndex(name);
    if (index < 0) throw NoParameter(name);
    return Parameter(std::size_t(index));
}

void TCompiledModel::SetParameter(std::size_t index, double value) {
    for (double* cell : parameters_[index].cells)
        *cell = value;
}

bool TCompiledModel::SetRow(std::size_t row, const std::string& name, double value) {
    for (std::size_t i = 0; i < parameters_.size(); ++i)
        if (parameters_[i].row == row) {
            if (parameters_[i].name != name) return false;
            SetParameter(i, value);
            return true;
        }
    return false;
}

TLinearisation TCompiledModel::Jacobian(double n1, double n2) {
    if (!HasDerivatives())
        throw EMathParserError("A rate calls a function without a known derivative");
    Store(n1, n2);
    const TValueGradient g1 = duals_[0]->Evaluate();
    const TValueGradient g2 = duals_[1]->Evaluate();
    return {g1.value, g2.value, {g1.d1, g1.d2, g2.d1, g2.d2}};
}

TDualEvaluator& TCompiledModel::ParameterDual(std::size_t index, int which) {
    std::unique_ptr<TDualEvaluator>& dual = parameterDuals_[index][which];
    if (!dual)
        dual = std::make_unique<TDualEvaluator>(parsers_[which], parameters_[index].cells[which],
                                                n1Cells_[which]);
    return *dual;
}

std::array<double, 2> TCompiledModel::ParameterDerivative(std::size_t index, double n1, double n2) {
    if (!HasDerivatives())
        throw EMathParserError("A rate calls a function without a known derivative");
    Store(n1, n2);
    return {ParameterDual(index, 0).Evaluate().d1, ParameterDual(index, 1).Evaluate().d1};
}

std::array<TJet3, 2> TCompiledModel::Derivatives3(double n1, double n2) {
    if (!HasDerivatives())
        throw EMathParserError("A rate calls a function without a known derivative");
    for (int k = 0; k < 2; ++k)
        if (!jets_[k])
            jets_[k] = std::make_unique<TJetEvaluator>(parsers_[k], n1Cells_[k], n2Cells_[k]);
    Store(n1, n2);
    return {jets_[0]->Evaluate(), jets_[1]->Evaluate()};
}

double TCompiledModel::Rate(int which, double N1, double N2) {
    if (!compiled_) return kNaN;
    const TCellsAt at(*this, N1, N2);
    try {
        return parsers_[which == 0 ? 0 : 1].Value();
    } catch (const Exception&) {
        return kNaN;
    }
}

TRateGradient TCompiledModel::RateGradient(int which, double N1, double N2) {
    const int k = which == 0 ? 0 : 1;
    if (!duals_[k]) return {kNaN, kNaN, kNaN};
    const TCellsAt at(*this, N1, N2);
    try {
        const TValueGradient g = duals_[k]->Evaluate();
        return {g.value, g.d1, g.d2};
    } catch (const Exception&) {
        return {kNaN, kNaN, kNaN};
    }
}
