#include "RunStop.h"

#include "FloatText.h"

std::string TRunStop::PausedText(double t) const {
    const std::string stop = Time ? FloatToText(*Time) : std::string();
    if (!Time || FloatToText(t) == stop) return "Paused at the stop time, t = " + FloatToText(t);
    return "Paused at t = " + FloatToText(t) + ", the first step at or after the stop time " + stop;
}
