#pragma once

#include "Color.h"
#include "CompiledModel.h"
#include "Continuation.h"
#include "DiagramDialog.h"
#include "GraphWindow.h"
#include "PlaneRect.h"

#include <QPoint>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QTimer;

// A bifurcation diagram in a window of its own: the equilibrium and cycle
// branches of a model over one parameter, worked out by continuation on a
// worker thread from the model it is given (the window's own copy) and drawn
// when done. Equilibria are lines, solid where stable and dashed where not,
// one series per run of equal stability; cycles are their minima and maxima
// of the density asked for, filled where stable and hollow where not. Special
// points are marks captioned LP, BP, H, LPC or HOM, and a vertical line
// stands at the parameter's present value. A click in the plot picks the
// parameter's value there (OnPick). Closing the window cancels the work.
// The graph is copied, printed and saved as the main graph is.
class TDiagramWindow : public TGraphWindow {
    Q_OBJECT

public:
    // The mark of the parameter's present value; those of special points follow.
    static constexpr int kValueMark = 1;

    TDiagramWindow(const TDiagramRequest& request, std::unique_ptr<TCompiledModel> model,
                   const TPlaneRect& box, TColor color, QWidget* parent = nullptr);
    ~TDiagramWindow() override;

    const TDiagramRequest& Request() const { return request_; }
    // The shortest time between two starts of the work for moves of other
    // parameters.
    static constexpr int kAgain = 50; // ms

    // The branches of the model as it is now have been worked out and drawn.
    bool Done() const;
    const TContinuation& Result() const { return result_; }

    // A parameter moved: for the diagram's own the vertical line follows;
    // for another the branches are worked out again, the last drawn staying
    // on show until the new come. A name the model lacks is ignored.
    void ParameterMoved(const std::string& name, double value);
    // The details of the special point whose mark lies under a pixel of the
    // graph (its full name, where it lies, and more at a Hopf point), as the
    // tip there shows them; empty where there is none.
    QString TipAt(QPoint at) const;
    // The value under a pixel column of the plot, as a click there picks it.
    void PickAt(int x);

    // A click picked the parameter's value: the name and the value.
    std::function<void(const std::string& name, double value)> OnPick;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The branches as --continue prints them; Export data is enabled once
    // they are drawn.
    std::string DataCsv() const override;

private:
    // One piece of work on a worker thread, with a model of its own.
    struct TJob {
        std::unique_ptr<TCompiledModel> model;
        TContinuation result;
        std::atomic<bool> cancel{false};
        std::atomic<bool> finished{false};
        std::thread thread;
    };

    void Start();
    void Poll();
    void Draw();
    void ShowValue(double value);

    TDiagramRequest request_;
    TColor color_;
    TPlaneRect box_;
    std::unique_ptr<TCompiledModel> model_; // the window's, with the values moved since
    std::size_t index_ = 0;                 // of the diagram's parameter in the model
    double value_ = 0;                      // where the vertical line stands
    TContinuation result_;                  // the last drawn
    std::vector<QString> tips_;             // of the special points' marks, in ID order
    bool drawn_ = false;
    QTimer* poll_ = nullptr;
    QTimer* again_ = nullptr;
    QPoint pressAt_;
    bool pressed_ = false;
    // Last: asked to stop and joined before the rest goes. The last one
    // started is the one whose result is drawn.
    std::vector<std::unique_ptr<TJob>> jobs_;
};
