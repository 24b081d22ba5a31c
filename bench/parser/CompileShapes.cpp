#include "CompileShapes.h"

namespace {

std::string Repeat(const std::string& unit, size_t length, const std::string& head = "",
                   const std::string& tail = "") {
    std::string s = head;
    while (s.size() + unit.size() + tail.size() <= length)
        s += unit;
    return s + tail;
}

std::string Nested(const std::string& open, const std::string& close, const std::string& core,
                   size_t length) {
    std::string a, b;
    while (a.size() + b.size() + open.size() + close.size() + core.size() <= length) {
        a += open;
        b = close + b;
    }
    return a + core + b;
}

} // namespace

std::vector<CompileShape> CompileShapes(size_t length) {
    return {
        {"sum_chain", Repeat("A+", length, "", "A")},
        {"difference_chain", Repeat("A-", length, "", "A")},
        {"product_chain", Repeat("A*", length, "", "A")},
        {"quotient_chain", Repeat("A/", length, "", "A")},
        {"mixed_chain_fails", Repeat("A+B-A*B/A-", length, "", "#")},
        {"sum_difference_fails", Repeat("A+A-", length, "", "A+")},
        {"minus_signs", Repeat("-", length, "A", "B")},
        {"leading_minus_signs", Repeat("-", length, "", "A")},
        {"deep_brackets", Nested("(", ")", "A", length)},
        {"deep_brackets_sum", Nested("(A+", ")", "A", length)},
        {"deep_brackets_fails", Nested("(", ")", "A+", length)},
        {"many_commas", Repeat("A,", length, "MAX(", "A)")},
        {"nested_calls", Nested("MAX(A,", ")", "A", length)},
        {"nested_calls_left", Nested("MIN(", ",A)", "A", length)},
        {"div_mod_in_names", Repeat("ADIVBMOD", length, "", "A")},
        {"numerals_with_signs", Repeat("1E+1E-", length, "", "1")},
        {"powers_fail", Repeat("A^", length, "", "A")},
        {"bracketed_terms", Repeat("(A-B)*", length, "", "(A)")},
        {"sign_products", Repeat("A*-", length, "", "B")},
        {"commas_in_brackets", Repeat("(A,A),", length, "MAX(", "A)")},
    };
}
