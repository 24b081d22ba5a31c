#include "BatchRun.h"
#include "Calculator.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--eval")
        return RunCalculator(std::vector<std::string>(args.begin() + 1, args.end()), std::cout,
                             std::cerr);
    if (!args.empty() && args[0] == "--batch")
        return RunBatch(std::vector<std::string>(args.begin() + 1, args.end()), std::cout,
                        std::cerr);
    std::cerr << "usage: tarnivell --eval EXPR [NAME=VALUE ...]\n"
                 "       tarnivell --batch MODEL.ini [--steps N] [--every K]\n";
    return 2;
}
