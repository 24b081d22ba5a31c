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
    : model_(&model), rect_(rect), columns_(std::max(columns, 1)), rows_(std::max(rows, 1)) {
    const std::size_t nodes = std::size_t(columns_ + 1) * std::size_t(rows_ + 1);
    for (int which = 0; which < 2; ++which)
        values_[which].assign(nodes, std::numeric_limits<double>::quiet_NaN());
    if (!rect_.IsValid()) return;
    for (int j = 0; j <= rows_; ++j) {
        const double n2 = N2At(j);
        for (int i = 0; i <= columns_; ++i) {
            const double n1 = N1At(i);
            for (int which = 0; which < 2; ++which)
                values_[which][Node(i, j)] = SafeRate(model, which, n1, n2);
        }
    }
}

bool TRateGrid::AnyFinite(int which) const {
    return std::any_of(values_[which].begin(), values_[which].end(),
                       [](double v) { return std::isfinite(v); });
}

double TRateGrid::TypicalSize(int which) const {
    std::vector<double> sizes;
    sizes.reserve(values_[which].size());
    for (double v : values_[which])
        if (std::isfinite(v)) sizes.push_back(std::fabs(v));
    if (sizes.empty()) return 0;
    auto middle = sizes.begin() + std::ptrdiff_t(sizes.size() / 2);
    std::nth_element(sizes.begin(), middle, sizes.end());
    if (*middle > 0) return *middle;
    // Mostly exact zeros (a rate with a factor that vanishes on much of the range).
    return *std::max_element(middle, sizes.end());
}
