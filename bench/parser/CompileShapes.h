#pragma once

#include <string>
#include <vector>

// Expressions of about `length` characters in shapes that make a naive
// compiler re-examine the same sub-texts over and over. Each uses only the
// variables A, B and N1.
struct CompileShape {
    std::string name;
    std::string text;
};
std::vector<CompileShape> CompileShapes(size_t length);
