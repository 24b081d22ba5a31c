#pragma once

#include "ModelFile.h"

#include <string>
#include <vector>

// The model file formats, chosen by the file's extension (letter case aside):
// ".ode" is XPPAUT's, ".xml" and ".sbml" are SBML, anything else the
// program's own .ini.

// Reads a model file of any format into `model`. What the format cannot carry
// exactly is refused (Exception); what is read but has no effect is told in
// `notes`, one line each.
void LoadAnyModelFile(const std::string& fileName, TModel& model, std::vector<std::string>& notes);

// Writes the model in the format of the file's extension.
void SaveAnyModelFile(const std::string& fileName, const TModel& model);

// Whether the file's extension names a format other than the program's own,
// which keeps only the model (no [About], no data link).
bool IsForeignModelFile(const std::string& fileName);
