#pragma once

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// A command of the command line run on model files written into a folder of
// the test's own, its output and its errors caught.
class CommandTest : public ::testing::Test {
protected:
    using TCommand = int (*)(const std::vector<std::string>& args, std::ostream& out,
                             std::ostream& err);
    explicit CommandTest(TCommand command) : command_(command) {}

    std::string Model(const std::string& text) {
        const std::string path = dir.filePath("model.ini").toStdString();
        std::ofstream(path) << text;
        return path;
    }
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return command_(args, out, err);
    }
    QTemporaryDir dir;
    std::ostringstream out, err;

private:
    TCommand command_;
};
