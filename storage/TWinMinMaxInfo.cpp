#include "TWinMinMaxInfo.h"

#include <algorithm>

void TWinMinMaxInfo::Set(int index, int value) {
    if (v_[index] == value) return;
    v_[index] = value;
    if (OnChange) OnChange();
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo& other) {
    std::copy(std::begin(other.v_), std::end(other.v_), std::begin(v_));
    if (OnChange) OnChange();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
    return std::all_of(std::begin(v_), std::end(v_), [](int v) { return v == 0; });
}
