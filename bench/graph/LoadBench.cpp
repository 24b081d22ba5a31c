// LoadFromSource from a one-million-row tab-separated file and from an SQLite
// table of the same rows, beside the floor: a plain read of the same data
// into two std::vector<double>.
#include "BenchMain.h"
#include "DataSeries.h"
#include "DataSupplier.h"
#include "LoadFromSource.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 1000000;

// The data files, made once per run in a temporary folder.
struct Data {
    QTemporaryDir dir;
    std::string text;
    QString database;

    Data() {
        text = dir.filePath("rows.tsv").toStdString();
        database = dir.filePath("rows.db");
        std::FILE* f = std::fopen(text.c_str(), "wb");
        std::fputs("t\tN1\n", f);
        for (int i = 0; i < kRows; ++i)
            std::fprintf(f, "%.6f\t%.9g\n", i * 0.01, 1000.0 / (1 + i % 977));
        std::fclose(f);

        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-maker");
            db.setDatabaseName(database);
            db.open();
            QSqlQuery q(db);
            q.exec("CREATE TABLE rows (t REAL, N1 REAL)");
            db.transaction();
            q.prepare("INSERT INTO rows VALUES (?, ?)");
            for (int i = 0; i < kRows; ++i) {
                q.bindValue(0, i * 0.01);
                q.bindValue(1, 1000.0 / (1 + i % 977));
                q.exec();
            }
            db.commit();
        }
        QSqlDatabase::removeDatabase("bench-maker");
    }
};

Data& TheData() {
    static Data data;
    return data;
}

void Load(benchmark::State& state, int kind, const QString& info, int headers) {
    for (auto _ : state) {
        TDataSeries s;
        s.SetPointLimit(0);
        s.Source.DataSource = kind;
        s.Source.DatasourceInfo = info;
        s.Source.FileHasHeaders = headers;
        LoadFromSource(s);
        if (s.Count() != kRows) state.SkipWithError("rows missing");
        benchmark::DoNotOptimize(s.Points().data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void TextTarnivell(benchmark::State& state) {
    Load(state, ds_TextFile, QString::fromStdString(TheData().text), 1);
}

void SqliteTarnivell(benchmark::State& state) {
    Load(state, ds_Table, TheData().database + ":rows", 0);
}

// The whole file read at once, the header line passed over, two numbers per
// line converted in place.
void TextFloor(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> xs, ys;
        std::FILE* f = std::fopen(TheData().text.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        std::string bytes(static_cast<std::size_t>(std::ftell(f)), '\0');
        std::fseek(f, 0, SEEK_SET);
        if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
            state.SkipWithError("read");
        std::fclose(f);
        const char* p = bytes.data();
        const char* end = p + bytes.size();
        p = static_cast<const char*>(std::memchr(p, '\n', end - p)) + 1;
        while (p < end) {
            double x = 0, y = 0;
            auto rx = std::from_chars(p, end, x);
            auto ry = std::from_chars(rx.ptr + 1, end, y);
            xs.push_back(x);
            ys.push_back(y);
            p = ry.ptr + 1;
        }
        if (xs.size() != kRows) state.SkipWithError("rows missing");
        benchmark::DoNotOptimize(xs.data());
        benchmark::DoNotOptimize(ys.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The same table walked once through a forward-only query.
void SqliteFloor(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> xs, ys;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-floor");
            db.setDatabaseName(TheData().database);
            db.open();
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec("SELECT t, N1 FROM rows");
            while (q.next()) {
                xs.push_back(q.value(0).toDouble());
                ys.push_back(q.value(1).toDouble());
            }
        }
        QSqlDatabase::removeDatabase("bench-floor");
        if (xs.size() != kRows) state.SkipWithError("rows missing");
        benchmark::DoNotOptimize(xs.data());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

} // namespace

BENCHMARK(TextFloor)->Name("load/text/floor")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(TextTarnivell)->Name("load/text/tarnivell")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SqliteFloor)->Name("load/sqlite/floor")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SqliteTarnivell)
    ->Name("load/sqlite/tarnivell")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

int main(int argc, char** argv) {
    return RunGraphBenchmarks(argc, argv);
}
