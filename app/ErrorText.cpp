#include "ErrorText.h"

#include <algorithm>
#include <new>

std::string ErrorMessage(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return "Not enough memory to finish: a smaller model, run or sweep may fit";
    return error.what();
}

std::string ErrorDisplayText(std::string message) {
    std::replace(message.begin(), message.end(), '\r', '\n');
    return message + ".";
}
