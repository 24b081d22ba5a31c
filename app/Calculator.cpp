#include "Calculator.h"

#include "CommandArgs.h"
#include "ErrorText.h"
#include "Exception.h"
#include "FloatText.h"
#include "MathParser.h"
#include "Simulation.h"

#include <ostream>

int RunCalculator(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << "usage: tarnivell " << kCalculatorUsage << '\n';
        return 1;
    }
    return RunHeadless(out, err, [&] {
        TMathParser parser;
        for (size_t i = 1; i < args.size(); ++i) {
            const std::string& assignment = args[i];
            const size_t eq = assignment.find('=');
            if (eq == std::string::npos)
                throw Exception(FormatMessage("'%s' is not of the form NAME=VALUE", {assignment}));
            const std::string name = assignment.substr(0, eq);
            if (!IsParameterName(name))
                throw Exception(FormatMessage("'%s' is not a valid parameter name", {name}));
            parser.DefineVariable(name, TextToFloat(assignment.substr(eq + 1)));
        }
        CompileRate(parser, "given", args[0]);
        out << FloatToText(parser.Value()) << '\n';
        return 0;
    });
}
