#pragma once

#include <exception>
#include <string>

// The text the error display shows for an error message: the message and a
// full stop, a carriage return in it made a line break.
std::string ErrorDisplayText(std::string message);

// The message of an error as the user reads it: the library's name of an
// exhausted memory ("std::bad_alloc") says what happened instead.
std::string ErrorMessage(const std::exception& error);
