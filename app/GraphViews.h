#pragma once

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;
class QSplitter;
class QWidget;
class TPhasePlaneGraph;
class TPlotGraph;

// The graphs the window shows: the time plot, the phase plane, or both side
// by side in a splitter, as chosen in the View menu. The choice is the
// property View, which the form storage keeps in the program's settings
// file. A graph that is not shown does not draw (its Plotting is off) and
// catches up in one full draw when it is shown again.
//
// The output commands and the graph's pop-up menu act on the current graph:
// the one shown, and in the split the one last clicked (with either button),
// the time plot until then.
class TGraphViews : public QObject {
    Q_OBJECT
    Q_PROPERTY(TView View READ View WRITE SetView)

public:
    enum TView { vw_TimePlot, vw_PhasePlane, vw_Both };
    Q_ENUM(TView)

    // Puts both graphs into a splitter owned by `parent`.
    TGraphViews(TPlotGraph& timePlot, TPhasePlaneGraph& phasePlane, QWidget* parent);

    QSplitter* Splitter() const { return splitter_; }
    TView View() const { return view_; }
    void SetView(TView view);
    TPlotGraph& Current() const { return *current_; }
    TPlotGraph& TimePlot() const { return timePlot_; }
    TPhasePlaneGraph& PhasePlane() const { return phasePlane_; }

    // "Time plot", "Phase plane" and "Both", checked as the view is.
    void AddToMenu(QMenu& menu);
    QAction* ViewAction(TView view) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TPlotGraph& timePlot_;
    TPhasePlaneGraph& phasePlane_;
    QSplitter* splitter_;
    TPlotGraph* current_;
    TView view_ = vw_TimePlot;
    QActionGroup* actions_ = nullptr;
};
