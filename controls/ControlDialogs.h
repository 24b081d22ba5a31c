#pragma once

#include "Color.h"

#include <QString>

#include <array>
#include <functional>

class QWidget;

// The dialogs the controls show. Each goes through a replaceable function so
// that tests (and a headless run) can answer without a modal loop; the
// defaults show the real dialogs.

// A simple modal message box with an OK button.
using TShowMessageFunc = std::function<void(QWidget* parent, const QString& text)>;
void ShowControlMessage(QWidget* parent, const QString& text);
// Installs a replacement (empty restores the real box); returns the previous one.
TShowMessageFunc SetShowMessageFunc(TShowMessageFunc func);

// The colour dialog with its 16 custom colours (column by column, two rows of
// eight). Returns true when the user confirmed; `color` and `customColors`
// then hold the dialog's choice.
using TCustomColorList = std::array<TColor, 16>;
using TColorDialogFunc =
    std::function<bool(QWidget* parent, TColor& color, TCustomColorList& customColors)>;
bool RunColorDialog(QWidget* parent, TColor& color, TCustomColorList& customColors);
TColorDialogFunc SetColorDialogFunc(TColorDialogFunc func);
