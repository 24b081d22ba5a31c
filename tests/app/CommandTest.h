#pragma once

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

// The lines of a CSV text after its header line (handed back through
// `header`), each split at its commas.
inline std::vector<std::vector<std::string>> CsvRows(const std::string& csv,
                                                     std::string* header = nullptr) {
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    if (header) *header = line;
    std::vector<std::vector<std::string>> rows;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');)
            fields.push_back(cell);
        rows.push_back(fields);
    }
    return rows;
}

// The text of a shipped example model.
inline std::string ExampleText(const std::string& name) {
    std::ifstream file(TARNIVELL_EXAMPLES "/" + name);
    return {std::istreambuf_iterator<char>(file), {}};
}

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
