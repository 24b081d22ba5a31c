// The shipped example models.
#include "IniFile.h"
#include "ModelFile.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace {

const std::string kFolder = TARNIVELL_EXAMPLES;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> ShippedModels() {
    std::vector<std::string> files;
    for (const QString& name :
         QDir(QString::fromStdString(kFolder)).entryList({QStringLiteral("*.ini")}, QDir::Files))
        files.push_back(name.toStdString());
    return files;
}

// Each is a model file as File > Save leaves it: saving it over a copy of
// itself changes no byte, so every key is there in Save's order and form. Its
// parameters are described, and it says where the model comes from.
TEST(ExampleModels, EachIsASavedModelThatDescribesAndCitesItself) {
    QTemporaryDir dir;
    const std::regex year("\\b(1[89]|20)[0-9][0-9]\\b");
    for (const std::string& file : ShippedModels()) {
        SCOPED_TRACE(file);
        const std::string original = ReadAll(kFolder + "/" + file);
        const std::string copy = dir.filePath(QString::fromStdString(file)).toStdString();
        std::ofstream(copy, std::ios::binary) << original;
        TModel model;
        LoadModelFile(copy, model);
        SaveModelFile(copy, model);
        EXPECT_EQ(ReadAll(copy), original);

        for (const ParameterRow& row : model.rows)
            EXPECT_TRUE(row.name.empty() || !row.description.empty()) << row.name;
        const IniFile ini(copy);
        const std::string source = ini.ReadString("About", "Source", "");
        EXPECT_TRUE(std::regex_search(source.empty() ? model.rows[0].description : source, year))
            << "no year of publication in the source";
    }
}

} // namespace
