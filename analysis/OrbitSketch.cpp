#include "OrbitSketch.h"

#include "Flow.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

// Internal steps between which the path is interpolated for drawing.
constexpr int kPathPieces = 4;

bool Inside(const TPlaneRect& r, double n1, double n2) {
    return n1 >= r.n1Min && n1 <= r.n1Max && n2 >= r.n2Min && n2 <= r.n2Max;
}

// One way of the orbit from the start, the start left out.
std::vector<TCurvePoint> Follow(TFlow& flow, double n1, double n2, int direction,
                                const TSketchOptions& o) {
    std::vector<TCurvePoint> path;
    TFlow::TOptions flowOptions;
    flowOptions.relTol = o.relTol;
    flowOptions.absTol = o.relTol * 1e-6 * o.bounds.Extent();
    flowOptions.stiff = o.stiff;
    // The library's own first guess may be as long as the run and overflow
    // the rates on the way.
    flowOptions.firstStep = 1e-6 * o.duration;
    try {
        flow.Start(n1, n2, direction, flowOptions);
    } catch (const std::exception&) {
        return path;
    }
    const double end = direction * o.duration;
    for (long step = 0; step < o.maxSteps; ++step) {
        if (flow.Next() == TFlow::TStop::Failed) break;
        const double from = flow.StepStart();
        const double to =
            direction > 0 ? std::min(flow.Point().t, end) : std::max(flow.Point().t, end);
        for (int k = 1; k <= kPathPieces; ++k) {
            const TFlowPoint q = flow.At(from + (to - from) * k / kPathPieces);
            path.push_back({q.n1, q.n2});
            if (!Inside(o.bounds, q.n1, q.n2)) return path;
        }
        if (to == end) break;
    }
    return path;
}

} // namespace

std::vector<TCurvePoint> SketchOrbit(TCompiledModel& model, double n1, double n2,
                                     const TSketchOptions& options) {
    std::vector<TCurvePoint> orbit;
    if (!model.IsCompiled() || !options.bounds.IsValid() || !Inside(options.bounds, n1, n2)) {
        orbit.push_back({n1, n2});
        return orbit;
    }
    const double keep1 = model.StoredN1(), keep2 = model.StoredN2();
    TFlow flow(model);
    orbit = Follow(flow, n1, n2, -1, options);
    std::reverse(orbit.begin(), orbit.end());
    orbit.push_back({n1, n2});
    const std::vector<TCurvePoint> ahead = Follow(flow, n1, n2, 1, options);
    orbit.insert(orbit.end(), ahead.begin(), ahead.end());
    model.Store(keep1, keep2);
    return orbit;
}
