#include "GraphViews.h"

#include "PhasePlaneGraph.h"

#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QMenu>
#include <QSplitter>

#include <algorithm>

namespace {

struct TViewEntry {
    TGraphViews::TView view;
    const char* caption;
};
constexpr TViewEntry kViews[] = {{TGraphViews::vw_TimePlot, "Time plot"},
                                 {TGraphViews::vw_PhasePlane, "Phase plane"},
                                 {TGraphViews::vw_Both, "Both"}};

// Drawing follows showing; switching Plotting on draws in full once.
void Show(TPlotGraph& graph, bool shown) {
    graph.setVisible(shown);
    if (graph.Plotting() != shown) graph.SetPlotting(shown);
}

} // namespace

TGraphViews::TGraphViews(TPlotGraph& timePlot, TPhasePlaneGraph& phasePlane, QWidget* parent)
    : QObject(parent), timePlot_(timePlot), phasePlane_(phasePlane),
      splitter_(new QSplitter(Qt::Horizontal, parent)), current_(&timePlot) {
    setObjectName(QStringLiteral("Views1"));
    splitter_->setObjectName(QStringLiteral("Splitter1"));
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(&timePlot);
    splitter_->addWidget(&phasePlane);
    for (TPlotGraph* graph : {&timePlot_, static_cast<TPlotGraph*>(&phasePlane_)})
        graph->installEventFilter(this);
    Show(phasePlane_, false);
}

void TGraphViews::SetView(TView view) {
    if (view != vw_TimePlot && view != vw_PhasePlane && view != vw_Both) view = vw_TimePlot;
    const bool both = view == vw_Both && view_ != vw_Both;
    view_ = view;
    Show(timePlot_, view != vw_PhasePlane);
    Show(phasePlane_, view != vw_TimePlot);
    if (both) {
        // The splitter lays out a widget shown again only later, giving it
        // its least width; settle that first, then halve the room.
        splitter_->refresh();
        const int half = std::max(1, splitter_->width() / 2);
        splitter_->setSizes({half, half});
    }
    if (view == vw_TimePlot) current_ = &timePlot_;
    if (view == vw_PhasePlane) current_ = &phasePlane_;
    if (QAction* action = ViewAction(view)) action->setChecked(true);
}

void TGraphViews::AddToMenu(QMenu& menu) {
    actions_ = new QActionGroup(this);
    actions_->setExclusive(true);
    for (const TViewEntry& entry : kViews) {
        QAction* action = menu.addAction(QString::fromLatin1(entry.caption));
        action->setCheckable(true);
        action->setChecked(entry.view == view_);
        actions_->addAction(action);
        connect(action, &QAction::triggered, this, [this, view = entry.view] { SetView(view); });
    }
}

QAction* TGraphViews::ViewAction(TView view) const {
    if (!actions_) return nullptr;
    const QList<QAction*> list = actions_->actions();
    return view >= 0 && view < list.size() ? list[view] : nullptr;
}

bool TGraphViews::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::ContextMenu) {
        if (watched == &timePlot_) current_ = &timePlot_;
        if (watched == &phasePlane_) current_ = &phasePlane_;
    }
    return QObject::eventFilter(watched, event);
}
