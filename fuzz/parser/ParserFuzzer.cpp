// Arbitrary bytes as a rate law: compiled under either number syntax and
// evaluated, also with its gradient. Only the parser's own errors and the evaluation faults may
// come out; anything else (a crash, a sanitizer report, a hang) is a finding.
#include "DualEvaluator.h"
#include "FloatText.h"
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
    // The gradient's value and fault are the next evaluation's, exactly.
    TDualEvaluator dual(parser, n1, n2);
    for (double v : {40.0, 0.0, -1.5}) {
        *n1 = v;
        double gradientValue = 0, value = 0;
        std::string gradientFault, fault;
        try {
            gradientValue = dual.Evaluate().value;
        } catch (const EMathError& e) {
            gradientFault = e.Message();
        } catch (const EIntError& e) {
            gradientFault = e.Message();
        }
        try {
            value = parser.Value();
        } catch (const EMathError& e) {
            fault = e.Message();
        } catch (const EIntError& e) {
            fault = e.Message();
        }
        const bool same = std::memcmp(&gradientValue, &value, sizeof value) == 0 ||
                          (std::isnan(gradientValue) && std::isnan(value));
        if (gradientFault != fault || !same) __builtin_trap();
    }
    return 0;
}
