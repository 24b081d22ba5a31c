#pragma once

#include <QString>

class QWidget;

// What may be written in a rate, as plain text: every operator in the order
// of binding, every function and constant with one line each, and the rules
// a newcomer trips over (letter case, blanks, a minus after an operator).
// Kept next to the language it describes: a function added to the parser
// and missing here fails RateLawHelpTest.
QString RateLawHelpText();
// The same in a few lines, for the tip of a rate field.
QString RateLawTip();

// Help > Rate laws…: the text above in a window of its own, not modal, so
// that it can stay open beside the rate being typed.
void ShowRateLawHelp(QWidget* parent);
