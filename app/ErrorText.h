#pragma once

#include <string>

// The text the error display shows for an error message: the message and a
// full stop, a carriage return in it made a line break.
std::string ErrorDisplayText(std::string message);
