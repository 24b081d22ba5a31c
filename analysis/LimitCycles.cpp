#include "LimitCycles.h"

const char* CycleKindName(TCycleKind kind) {
    switch (kind) {
    case TCycleKind::Stable: return "stable";
    case TCycleKind::Unstable: return "unstable";
    case TCycleKind::SemiStable: return "semi-stable";
    }
    return "";
}

TLimitCycles FindLimitCycles(TCompiledModel&, const TPlaneRect& box, const TEquilibria&,
                             const TCycleOptions&) {
    TLimitCycles result;
    result.box = box;
    result.error = "The search for limit cycles is not built yet";
    return result;
}
