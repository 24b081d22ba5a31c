#pragma once

#include "ParameterRow.h"
#include "SolverSettings.h"

#include <optional>
#include <string>
#include <vector>

// The rows of the parameter table: a model always has this many.
constexpr int kParameterRows = 20;

// Observed data the model is compared with, as filed in [Data]: the data
// file's name as written (relative to the model file's folder unless
// absolute) and the names of its time and species columns (empty: the default
// column, or none for a species).
struct TDataLink {
    std::string file;
    std::string t, n1, n2;

    bool operator==(const TDataLink&) const = default;
};

// A model as it is filed: the time step, both densities, both rate texts as
// typed, the parameter table in displayed order and the solver settings.
struct TModel {
    double dt = 1;
    // The time at which a run pauses by itself; none: it runs until paused.
    std::optional<double> stop;
    double N1 = 1;
    double N2 = 1;
    std::string rate1 = "0";
    std::string rate2 = "0";
    // The species' own names ("hare", "lynx"); empty: none, and the window
    // speaks of N1 and N2 as ever.
    std::string name1, name2;
    std::vector<ParameterRow> rows = std::vector<ParameterRow>(kParameterRows);
    TSolverSettings solver;
    // The text of the file the model was read from (empty: none). Its
    // sections and keys go with the model to any file it is saved in, so
    // that what the program does not show (an example's [About]) is kept.
    std::string origin;
    // Filed only when there is some: a model without data is filed as ever.
    std::optional<TDataLink> data;
};

// Reads a model file into `model`, key by key in the filing order; a missing
// file or key keeps the current number, or gives "0" for a rate, an empty
// cell for the table and the default for a solver setting. A "Step" or
// "Density" that is not a number throws EConvertError at that key: what was
// read before it stays in `model`, the rest is untouched. The "Solver"
// section and the sliders' spans ("Min"+i, "Max"+i) are checked before
// anything is read: an unknown method (ESolverError "Unknown method '%s'"), a
// tolerance that is no positive number, or a span end that is no number
// (EConvertError) or not in order leaves `model` as it was. A file with
// text but none of a model's sections throws "'FILE' is not a model file"
// and a filed "Step" that CheckTimeStep refuses throws its error. A "Stop"
// that is there must be a number (EConvertError at that key, after "Step");
// without it the model has no stop time.
void LoadModelFile(const std::string& fileName, TModel& model);

// Writes every key of the model, updating an existing file in place and
// keeping what the program does not know; the keys of the model's origin
// that the file lacks are added first, section by section in their order. A solver setting is
// filed, after the other keys, and a slider's span, after its row, only when it is not the default
// (a setting back at its default loses its key), so a model integrated by Euler and without sliders
// moved is filed as it always was. [Data] is written when the model has data, each column's key
// only when it names one, and goes when it has none. The file is replaced in one step: on failure
// (EIniFileException "Unable to write to %s") it is unchanged.
//
// The stop time is filed as [Time] "Stop" only when there is one.
void SaveModelFile(const std::string& fileName, const TModel& model);

// The graph title for a model file: the name without its folder and without
// the extension from its last dot on ("model.old.ini" gives "model.old").
std::string GraphTitleFromFileName(const std::string& fileName);
