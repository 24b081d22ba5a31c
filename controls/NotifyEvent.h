#pragma once

#include <functional>

class QObject;

// A notification that only names its sender; empty means no handler is assigned.
using TNotifyEvent = std::function<void(QObject* sender)>;
