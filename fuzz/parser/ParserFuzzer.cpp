// Arbitrary bytes as a rate law: compiled under either number syntax and
// evaluated. Only the parser's own errors and the evaluation faults may come
// out; anything else (a crash, a sanitizer report, a hang) is a finding.
#include "FloatText.h"
#include "MathParser.h"
#include "ParserErrors.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    SetDecimalSeparator(flags & 2 ? ',' : '.');
    TMathParser parser;
    parser.SetClassicNumberformat((flags & 1) == 0);
    double* n1 = parser.DefineVariable("N1", 40);
    parser.DefineVariable("N2", 9);
    parser.DefineVariable("MODEL", 2);
    parser.DefineVariable("E1", 0.5);
    try {
        parser.SetExpression(text);
    } catch (const EMathParserError&) {
        return 0;
    }
    for (double v : {40.0, 0.0, -1.5}) {
        *n1 = v;
        try {
            (void)parser.Value();
        } catch (const EMathError&) {
        } catch (const EIntError&) {
        }
    }
    return 0;
}
