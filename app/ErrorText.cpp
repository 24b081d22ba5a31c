#include "ErrorText.h"

#include <algorithm>

std::string ErrorDisplayText(std::string message) {
    std::replace(message.begin(), message.end(), '\r', '\n');
    return message + ".";
}
