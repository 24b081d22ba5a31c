#pragma once

#include "Color.h"
#include "GraphWindow.h"
#include "Sweep.h"

#include <optional>
#include <string>

// Runs a sweep on worker threads while the window thread shows a progress
// box with Cancel and goes on answering events. The result, or nothing when
// the user cancelled (or the sweep refused its options: Exception with the
// reason).
std::optional<TSweepResult> RunSweepWithProgress(QWidget* parent, const TSweepOptions& options,
                                                 const TSweepFactory& factory);

// A sweep's orbit diagram in a window of its own: the minima and maxima of N1
// and N2 at each run's equilibrium or over its cycle's period against the
// swept parameter, as points only (series 1 and 2 the minimum and maximum of
// N1, 3 and 4 those of N2). Runs that did not settle within their steps are
// hollow grey circles (series 5, N1's minimum and maximum) and squares
// (series 6, N2's), and the status bar counts them. The graph is copied,
// printed and saved as the main graph is, and its rows export as --sweep
// prints them. Runs that failed have no points; the status bar counts them
// and names the first.
class TSweepWindow : public TGraphWindow {
    Q_OBJECT

public:
    TSweepWindow(const std::string& name, const TSweepResult& result, TColor n1Color,
                 TColor n2Color, QWidget* parent = nullptr);

protected:
    std::string DataCsv() const override;

private:
    std::string name_;
    TSweepResult result_;
};
