// The left button on the graph: zoom into a Shift-dragged rectangle and out
// again with a Shift-click, drag the legend by its corner, move and resize
// the control by its corners; Ctrl-click asks for the designer.
#include "Axis.h"
#include "Dimensions.h"
#include "Legend.h"
#include "PlotGraph.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QImage>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "QtColor.h"

#include <cstdlib>

namespace {
// A zoom gesture narrower or lower than this is a click.
constexpr int kClickSlack = 5;
} // namespace

void TPlotGraph::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && drag_ == TDrag::None) {
        const Qt::KeyboardModifiers keys = event->modifiers();
        if (keys & Qt::ControlModifier) {
            if (OnWantDesigner) OnWantDesigner(this);
            QWidget::mousePressEvent(event);
            return;
        }
        if (keys & Qt::ShiftModifier) {
            const TLegend& l = *legend_;
            if (l.visible() && std::abs(at.x() - (l.left() + 3)) < 3 &&
                std::abs(at.y() - (l.top() + 3)) < 3) {
                drag_ = TDrag::Legend;
                // The outline has the size the legend was drawn with.
                anchor_ = legendBox_.isEmpty() ? QPoint(l.width(), l.height())
                                               : QPoint(legendBox_.width(), legendBox_.height());
            } else {
                drag_ = TDrag::Zoom;
                anchor_ = at;
                setCursor(Qt::CrossCursor);
                if (!zoomed_) {
                    TAxis* axes[3] = {xAxis_, yAxis_, yAxis2_};
                    for (int i = 0; i < 3; ++i)
                        savedAxes_[i] = {axes[i]->AutoSizing(), axes[i]->Min(), axes[i]->Max()};
                }
                zoomed_ = true;
            }
            SetRubberBand(QRect());
        } else if (dragAllowed_ && !LaidOut()) {
            const bool bottomRight = width() - at.x() < dimensions_->RightMargin() &&
                                     height() - at.y() < dimensions_->BottomMargin();
            const bool topLeft =
                at.x() < dimensions_->LeftMargin() && at.y() < dimensions_->TopMargin();
            if (bottomRight || topLeft) {
                drag_ = bottomRight ? TDrag::Resize : TDrag::Move;
                setCursor(bottomRight ? Qt::SizeFDiagCursor : Qt::SizeAllCursor);
                dragStartGlobal_ = event->globalPosition().toPoint();
                dragStartGeometry_ = geometry();
            }
        }
    }
    QWidget::mousePressEvent(event);
}

void TPlotGraph::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (drag_ == TDrag::Zoom || drag_ == TDrag::Legend) {
        SetRubberBand(drag_ == TDrag::Legend ? QRect(at, QSize(anchor_.x(), anchor_.y()))
                                             : QRect(anchor_, at).normalized());
    } else if (drag_ == TDrag::Move || drag_ == TDrag::Resize) {
        // Only a child is moved here; a window is moved by its frame.
        const QPoint delta = event->globalPosition().toPoint() - dragStartGlobal_;
        if (drag_ == TDrag::Move)
            move(dragStartGeometry_.topLeft() + delta);
        else
            resize(std::max(1, dragStartGeometry_.width() + delta.x()),
                   std::max(1, dragStartGeometry_.height() + delta.y()));
    }
    QWidget::mouseMoveEvent(event);
}

void TPlotGraph::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const TDrag drag = drag_;
    if (event->button() == Qt::LeftButton && drag != TDrag::None) {
        drag_ = TDrag::None;
        SetRubberBand(QRect());
        unsetCursor();
        if (drag == TDrag::Legend) {
            legend_->setLeft(at.x());
            legend_->setTop(at.y());
        } else if (drag == TDrag::Zoom) {
            TAxis* axes[3] = {xAxis_, yAxis_, yAxis2_};
            if (std::abs(at.x() - anchor_.x()) < kClickSlack ||
                std::abs(at.y() - anchor_.y()) < kClickSlack) {
                zoomed_ = false;
                plotting_ = false;
                for (int i = 0; i < 3; ++i) {
                    axes[i]->SetAutoSizing(savedAxes_[i].AutoSizing);
                    if (!savedAxes_[i].AutoSizing) {
                        axes[i]->SetMin(savedAxes_[i].Min);
                        axes[i]->SetMax(savedAxes_[i].Max);
                    }
                }
            } else {
                const QRect r = QRect(anchor_, at).normalized();
                const double span[3][2] = {{PixelToX(r.left()), PixelToX(r.right())},
                                           {PixelToY(r.bottom()), PixelToY(r.top())},
                                           {PixelToY2(r.bottom()), PixelToY2(r.top())}};
                plotting_ = false;
                for (int i = 0; i < 3; ++i) {
                    double lo = span[i][0], hi = span[i][1];
                    const double g = 0.001 * (savedAxes_[i].Max - savedAxes_[i].Min);
                    if (hi - lo < g) hi = lo + g;
                    axes[i]->SetMin(lo);
                    axes[i]->SetMax(hi);
                }
            }
            SetPlotting(true);
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void TPlotGraph::mouseDoubleClickEvent(QMouseEvent* event) {
    if (OnDblClick) OnDblClick(this);
    QWidget::mouseDoubleClickEvent(event);
}

void TPlotGraph::contextMenuEvent(QContextMenuEvent* event) {
    if (popupMenu_) {
        popupMenu_->popup(event->globalPos());
        event->accept();
        return;
    }
    QWidget::contextMenuEvent(event);
}

namespace {
bool Holds(const QLayout& layout, const QWidget* w) {
    for (int i = 0; i < layout.count(); ++i) {
        QLayoutItem* item = layout.itemAt(i);
        if (item->widget() == w || (item->layout() && Holds(*item->layout(), w))) return true;
    }
    return false;
}
} // namespace

bool TPlotGraph::LaidOut() const {
    const QWidget* parent = parentWidget();
    return parent && parent->layout() && Holds(*parent->layout(), this);
}

void TPlotGraph::SetRubberBand(const QRect& r) {
    if (r == rubberBand_) return;
    // Both outlines' areas: the old one goes, the new one comes.
    const QRect old = rubberBand_;
    rubberBand_ = r;
    if (!old.isNull()) update(old.adjusted(-1, -1, 1, 1));
    if (!r.isNull()) update(r.adjusted(-1, -1, 1, 1));
}

// A dotted outline in the control's colour, exclusive-or with the picture
// under it. It lives only on the widget: the back buffer never holds it, so
// no redraw of the picture can leave a piece of it behind.
void TPlotGraph::PaintRubberBand(QPainter& p) const {
    if (rubberBand_.isNull()) return;
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen pen(ToQColor(controlColor_));
    pen.setStyle(Qt::DotLine);
    pen.setCosmetic(true);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRect& r = rubberBand_;
    const QPoint corners[4] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
    // Each corner once: a closing pixel drawn twice would cancel itself.
    p.drawPolyline(corners, 4);
    p.drawLine(r.bottomLeft(), r.topLeft() + QPoint(0, 1));
    p.restore();
}
