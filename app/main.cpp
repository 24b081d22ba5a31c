#include "Application.h"
#include "CommandLine.h"
#include "MainWindow.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The modes without a window come first: they must not need a display.
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const std::optional<int> code = RunCommandLine(args, std::cout, std::cerr)) return *code;

    TApplication app(argc, argv);
    try {
        // Qt has taken its own options out of argv by now.
        TForm1 form(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
        form.show();
        return app.exec();
    } catch (const std::exception& error) {
        ShowErrorDisplay(error);
        return 1;
    }
}
