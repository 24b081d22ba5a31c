#pragma once

#include <functional>
#include <string>
#include <vector>

// Messages of the errors that reached the application object's event dispatch.
extern std::vector<std::string> gCaughtErrors;

// Runs the event loop until `done` holds; false when timeoutMs passed first.
bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs);
void ProcessEventsFor(int ms);
