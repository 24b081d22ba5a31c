// Arbitrary bytes as a rate law: compiled under either number syntax and
// evaluated, also with its gradient. Only the parser's own errors and the evaluation faults may
// come out; anything else (a crash, a sanitizer report, a hang) is a finding.
#include "DualEvaluator.h"
#include "FloatText.h"
#include "JetEvaluator.h"
#include "MathParser.h"
#include "ParserErrors.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    SetDecimalSeparator(flags & 2 ? ',' : '.');
    TMathParser parser;
    parser.SetClassicNumberformat((flags & 1) == 0);
    double* n1 = parser.DefineVariable("N1", 40);
    double* n2 = parser.DefineVariable("N2", 9);
    parser.DefineVariable("MODEL", 2);
    parser.DefineVariable("E1", 0.5);
    try {
        parser.SetExpression(text);
    } catch (const EMathParserError&) {
        return 0;
    }
    // The gradient's and the third-order jet's values and faults are the next
    // evaluation's, exactly.
    TDualEvaluator dual(parser, n1, n2);
    TJetEvaluator jet(parser, n1, n2);
    const auto evaluate = [](auto&& f, double& value, std::string& fault) {
        try {
            value = f();
        } catch (const EMathError& e) {
            fault = e.Message();
        } catch (const EIntError& e) {
            fault = e.Message();
        }
    };
    const auto same = [](double a, double b) {
        return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
    };
    for (double v : {40.0, 0.0, -1.5}) {
        *n1 = v;
        double gradientValue = 0, jetValue = 0, value = 0;
        std::string gradientFault, jetFault, fault;
        evaluate([&] { return dual.Evaluate().value; }, gradientValue, gradientFault);
        evaluate([&] { return jet.Evaluate().value; }, jetValue, jetFault);
        evaluate([&] { return parser.Value(); }, value, fault);
        if (gradientFault != fault || jetFault != fault || !same(gradientValue, value) ||
            !same(jetValue, value))
            __builtin_trap();
    }
    return 0;
}
