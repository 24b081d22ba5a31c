#pragma once

#include "DualEvaluator.h"
#include "JetEvaluator.h"
#include "MathParser.h"
#include "ParameterRow.h"
#include "PlaneModel.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// Both rates and their exact first derivatives in the densities at a point.
struct TLinearisation {
    double rate1 = 0;
    double rate2 = 0;
    TJacobian jacobian;
};

// The model as every analysis and every run uses it: both rate laws compiled
// once, bound to cells for N1, N2 and each named parameter, so that an
// evaluation writes numbers into cells and reads a result, with no text
// handled and no name looked up. Each rate law has a parser of its own and so
// its own cells; a density or a parameter goes into both.
//
// Arithmetic faults raise the platform's exceptions, as the parser's Value
// does, except through the TPlaneModel face, where a fault reads as NaN.
// Not for use from two threads at once: Clone gives another thread its own.
class TCompiledModel final : public TPlaneModel {
public:
    TCompiledModel();
    ~TCompiledModel() override;
    TCompiledModel(const TCompiledModel&) = delete;
    TCompiledModel& operator=(const TCompiledModel&) = delete;

    // Compiles the model from the parameter table and both rate texts, with
    // the densities' cells at (n1, n2): each named row in order (its value
    // text is rewritten in the general number form), then the rates without
    // blanks. Throws on names that shadow each other (CheckParameterNames), a
    // value that is no number, or a rate too long or one that does not
    // compile (ERateError "Species 2 rate: unknown name 'M'" followed by the
    // parser's message); the model is then not compiled.
    void Compile(std::vector<ParameterRow>& rows, const std::string& rate1,
                 const std::string& rate2, double n1 = 0, double n2 = 0);
    bool IsCompiled() const { return compiled_; }
    // Nothing compiled, no variable defined.
    void Clear();

    // The same model, compiled afresh, with the values every cell holds now:
    // for another thread.
    std::unique_ptr<TCompiledModel> Clone() const;
    // Makes this model the same as `other`, as Clone does.
    void CopyFrom(const TCompiledModel& other);

    // The named parameters in the table's order, and a name's index among
    // them (letter case aside; -1: none).
    std::size_t ParameterCount() const { return parameters_.size(); }
    const std::string& ParameterName(std::size_t index) const { return parameters_[index].name; }
    int ParameterIndex(const std::string& name) const;
    // A parameter's value by name, or by index. An unknown name throws
    // Exception "No parameter is named '%s'".
    void Set(const std::string& name, double value);
    double Value(const std::string& name) const;
    void SetParameter(std::size_t index, double value);
    double Parameter(std::size_t index) const { return *parameters_[index].cells[0]; }
    // A move of table row `row` (its index among the rows compiled) that the
    // table says holds `name`: false, and nothing changes, when that row was
    // not compiled under that name.
    bool SetRow(std::size_t row, const std::string& name, double value);

    // Both rates at (n1, n2), dN1/dt first; the cells hold that state
    // afterwards. A fault throws the platform's exception.
    void Rates(double n1, double n2, double& r1, double& r2) {
        Store(n1, n2);
        AtCells(r1, r2);
    }
    // Both rates at the state the cells hold now.
    void AtCells(double& r1, double& r2) {
        ++evaluations_;
        r1 = parsers_[0].Value();
        r2 = parsers_[1].Value();
    }
    // One rate at the state the cells hold now; Rate1 counts as an
    // evaluation of both, as the explicit step takes the two one after the
    // other with nothing between them.
    double Rate1() {
        ++evaluations_;
        return parsers_[0].Value();
    }
    double Rate2() { return parsers_[1].Value(); }
    // The state every later evaluation reads, until the next store.
    void Store(double n1, double n2) {
        for (int k = 0; k < 2; ++k) {
            *n1Cells_[k] = n1;
            *n2Cells_[k] = n2;
        }
    }
    double StoredN1() const { return *n1Cells_[0]; }
    double StoredN2() const { return *n2Cells_[0]; }

    // Evaluations of both rates at one state since the compile.
    long long Evaluations() const { return evaluations_; }

    // Whether every function the rates call has a known derivative: without,
    // the derivatives below throw EMathParserError.
    bool HasDerivatives() const { return duals_[0] && duals_[1]; }
    // The rates and their exact Jacobian at (n1, n2), the cells holding that
    // state afterwards. Faults as Rates.
    TLinearisation Jacobian(double n1, double n2);
    // The exact derivatives of both rates in parameter `index` at (n1, n2).
    std::array<double, 2> ParameterDerivative(std::size_t index, double n1, double n2);
    // Both rates (0: dN1/dt) with every partial derivative in (N1, N2) up to
    // third order at (n1, n2), exact to rounding: what the normal form of an
    // equilibrium needs.
    std::array<TJet3, 2> Derivatives3(double n1, double n2);

    // The compiled rate law `which` (0: dN1/dt) as the parser holds it.
    TMathParser& Parser(int which) { return parsers_[which]; }
    const TMathParser& Parser(int which) const { return parsers_[which]; }

    // The analysis' face: the point is put into the cells for one evaluation
    // and the cells' values are put back, so that an analysis can run between
    // two steps of a run without moving its state. A fault reads as NaN.
    double Rate(int which, double N1, double N2) override;
    bool HasGradient() const override { return HasDerivatives(); }
    TRateGradient RateGradient(int which, double N1, double N2) override;

private:
    struct TParameter {
        std::string name;
        std::size_t row = 0;
        std::array<double*, 2> cells{};
    };

    // Compiles rate k (0: dN1/dt); a fault throws ERateError naming the
    // species and, where it can, the name or bracket at fault.
    void CompileSpeciesRate(int k, const std::string& rate);
    void MakeDerivatives();
    TDualEvaluator& ParameterDual(std::size_t index, int which);

    TMathParser parsers_[2];
    double* n1Cells_[2] = {};
    double* n2Cells_[2] = {};
    std::vector<TParameter> parameters_;
    std::unique_ptr<TDualEvaluator> duals_[2];
    // Per parameter and rate, made on first use: the derivative in the
    // parameter (and, unused, in N1).
    std::vector<std::array<std::unique_ptr<TDualEvaluator>, 2>> parameterDuals_;
    std::unique_ptr<TJetEvaluator> jets_[2]; // made on first use
    bool compiled_ = false;
    long long evaluations_ = 0;
    double spare_[4] = {}; // the densities' cells before the first compile
};
