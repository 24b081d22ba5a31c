#pragma once

#include "ModelFile.h"

#include <string>
#include <vector>

// XPPAUT's .ode files of two variables.

// Reads `text` (named `fileName` in messages) into `model`: the two
// variables, in the order declared, become N1 and N2 and keep their names;
// the parameters fill the table's rows in order; @ dt and meth give the time
// step and the method. A construct the model cannot hold exactly throws
// Exception "FILE:LINE: ..." naming it, and `model` is then unchanged. What is
// read but has no effect (aux, @ total, ...) and names that had to change
// are told in `notes`, one line each.
void ReadOdeText(const std::string& fileName, const std::string& text, TModel& model,
                 std::vector<std::string>& notes);
void LoadOdeFile(const std::string& fileName, TModel& model, std::vector<std::string>& notes);

// The model as an .ode text that XPPAUT integrates as this program does: the
// numbers exact, the method and, for the adaptive ones, the tolerances. A rate
// that uses what XPPAUT lacks throws Exception naming it.
std::string OdeText(const TModel& model);
void SaveOdeFile(const std::string& fileName, const TModel& model);
