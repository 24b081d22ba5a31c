#include "ConvertCommand.h"

#include "CommandArgs.h"
#include "ModelFormats.h"

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        const std::string usage = std::string("usage: tarnivell ") + kConvertUsage;
        std::vector<std::string> files;
        for (const std::string& arg : args)
            if (arg.starts_with("--") || files.size() == 2)
                RefuseArgument(arg, usage, {});
            else
                files.push_back(arg);
        if (files.size() != 2) throw Exception(usage);
        const TModel model = LoadRequiredModel(files[0], err);
        SaveAnyModelFile(files[1], model);
        return 0;
    });
}
