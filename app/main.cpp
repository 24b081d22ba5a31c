#include "Application.h"
#include "BatchRun.h"
#include "Calculator.h"
#include "MainWindow.h"

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

    TApplication app(argc, argv);
    try {
        TForm1 form(args.empty() ? QString() : QString::fromLocal8Bit(argv[1]));
        form.show();
        return app.exec();
    } catch (const std::exception& error) {
        ShowErrorDisplay(error);
        return 1;
    }
}
