// The model file's 65 keys written and read back, by IniFile and, side by
// side, by Qt's QSettings in ini format.
#include "IniFile.h"

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

struct Entry {
    std::string section, key, value;
};

std::vector<Entry> ModelKeys() {
    std::vector<Entry> keys = {{"Time", "Step", "0.01"},
                               {"Species 1", "Density", "1.5"},
                               {"Species 2", "Density", "0.75"},
                               {"Species 1", "Rate", "N1*(a-b*N2)"},
                               {"Species 2", "Rate", "N2*(c*N1-d)"}};
    for (int i = 1; i <= 20; ++i) {
        const std::string n = std::to_string(i);
        keys.push_back({"Parameters", "Name" + n, "p" + n});
        keys.push_back({"Parameters", "Value" + n, std::to_string(i * 0.5)});
        keys.push_back({"Parameters", "Description" + n, "parameter number " + n});
    }
    return keys;
}

const QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

void IniFile_SaveModel(benchmark::State& state) {
    const auto keys = ModelKeys();
    const std::string path = Folder().filePath("ini.ini").toStdString();
    for (auto _ : state) {
        IniFile ini(path);
        for (const Entry& e : keys)
            ini.WriteString(e.section, e.key, e.value);
        ini.UpdateFile();
    }
}
BENCHMARK(IniFile_SaveModel);

void QSettings_SaveModel(benchmark::State& state) {
    const auto keys = ModelKeys();
    const QString path = Folder().filePath("qsettings.ini");
    for (auto _ : state) {
        QSettings ini(path, QSettings::IniFormat);
        for (const Entry& e : keys)
            ini.setValue(QString::fromStdString(e.section + "/" + e.key),
                         QString::fromStdString(e.value));
        ini.sync();
    }
}
BENCHMARK(QSettings_SaveModel);

void IniFile_LoadModel(benchmark::State& state) {
    const auto keys = ModelKeys();
    const std::string path = Folder().filePath("ini-load.ini").toStdString();
    {
        IniFile ini(path);
        for (const Entry& e : keys)
            ini.WriteString(e.section, e.key, e.value);
        ini.UpdateFile();
    }
    for (auto _ : state) {
        IniFile ini(path);
        for (const Entry& e : keys)
            benchmark::DoNotOptimize(ini.ReadString(e.section, e.key, ""));
    }
}
BENCHMARK(IniFile_LoadModel);

void QSettings_LoadModel(benchmark::State& state) {
    const auto keys = ModelKeys();
    const QString path = Folder().filePath("qsettings-load.ini");
    {
        QSettings ini(path, QSettings::IniFormat);
        for (const Entry& e : keys)
            ini.setValue(QString::fromStdString(e.section + "/" + e.key),
                         QString::fromStdString(e.value));
    }
    for (auto _ : state) {
        QSettings ini(path, QSettings::IniFormat);
        for (const Entry& e : keys)
            benchmark::DoNotOptimize(
                ini.value(QString::fromStdString(e.section + "/" + e.key)).toString());
    }
}
BENCHMARK(QSettings_LoadModel);

} // namespace

BENCHMARK_MAIN();
