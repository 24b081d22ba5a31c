#include "RateGrid.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

double SafeRate(TPlaneModel& model, int which, double N1, double N2) noexcept {
    try {
        const double r = model.Rate(which, N1, N2);
        return std::isfinite(r) ? r : std::numeric_limits<double>::quiet_NaN();
    } catch (const std::exception&) {
        return std::numeric_limits<double>::quiet_NaN();
    }
}

TRateGrid::TRateGrid(TPlaneModel& model, const TPlaneRect& rect, int columns, int rows)
    : model_(&model), rect_(rect), columns_(std::clamp(columns, 1, kMaxCells)),
      rows_(std::clamp(rows, 1, kMaxCells)) {
    const std::size_t nodes = std::size_t(columns_ + 1) * std::size_t(rows_ + 1);
    for (int which = 0; which < 2; ++which) {
        values_[which].assign(nodes, std::numeric_limits<double>::quiet_NaN());
        flags_[which].assign(nodes, kFault);
    }
    if (!rect_.IsValid()) return;
    for (int j = 0; j <= rows_; ++j) {
        const double n2 = N2At(j);
        for (int i = 0; i <= columns_; ++i) {
            const double n1 = N1At(i);
            for (int which = 0; which < 2; ++which) {
                const double v = SafeRate(model, which, n1, n2);
                values_[which][Node(i, j)] = v;
                if (std::isfinite(v))
                    flags_[which][Node(i, j)] =
                        (v >= 0 ? kNotNegative : 0) | (v <= 0 ? kNotPositive : 0);
            }
        }
    }
}

bool TRateGrid::AnyFinite(int which) const {
    return std::any_of(flags_[which].begin(), flags_[which].end(),
                       [](unsigned char f) { return !(f & kFault); });
}

bool TRateGrid::AllZero(int which) const {
    return std::all_of(flags_[which].begin(), flags_[which].end(), [](unsigned char f) {
        return (f & kFault) || (f & (kNotNegative | kNotPositive)) == (kNotNegative | kNotPositive);
    });
}

double TRateGrid::TypicalSize(int which) const {
    // A median of evenly spread nodes is as good a size as that of all.
    constexpr std::size_t kSample = 4096;
    const std::vector<double>& values = values_[which];
    std::vector<double> sizes;
    // All nodes when none of the sample is finite.
    for (std::size_t stride : {std::max<std::size_t>(1, values.size() / kSample), std::size_t(1)}) {
        for (std::size_t k = 0; k < values.size(); k += stride)
            if (std::isfinite(values[k])) sizes.push_back(std::fabs(values[k]));
        if (!sizes.empty()) break;
    }
    if (sizes.empty()) return 0;
    auto middle = sizes.begin() + std::ptrdiff_t(sizes.size() / 2);
    std::nth_element(sizes.begin(), middle, sizes.end());
    if (*middle > 0) return *middle;
    // Mostly exact zeros (a rate with a factor that vanishes on much of the range).
    return *std::max_element(middle, sizes.end());
}
