#include "Continuation.h"

const char* ObjectName(TBranchObject object) {
    return object == TBranchObject::Cycle ? "cycle" : "equilibrium";
}

const char* SpecialLabel(TSpecialPoint point) {
    switch (point) {
    case TSpecialPoint::None: return "";
    case TSpecialPoint::Fold: return "fold";
    case TSpecialPoint::BranchPoint: return "branch point";
    case TSpecialPoint::HopfSupercritical: return "hopf supercritical";
    case TSpecialPoint::HopfSubcritical: return "hopf subcritical";
    case TSpecialPoint::CycleFold: return "cycle fold";
    case TSpecialPoint::Homoclinic: return "homoclinic";
    }
    return "";
}

TContinuation ContinueEquilibria(TCompiledModel&, std::size_t, const TContinuationOptions&) {
    TContinuation result;
    result.error = "Continuation is not built yet";
    return result;
}
