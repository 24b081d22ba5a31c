#include "PlaneModel.h"

#include <limits>

TRateGradient TPlaneModel::RateGradient(int, double, double) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, nan, nan};
}
