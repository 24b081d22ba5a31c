#include "PanelScrollArea.h"

#include <QScrollBar>

TPanelScrollArea::TPanelScrollArea(QWidget* panel, QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("PanelScroll1"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidget(panel);
    FitHeight();
}

void TPanelScrollArea::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    FitHeight();
}

void TPanelScrollArea::FitHeight() {
    // Whether the bar shows depends on the width alone, so fitting the
    // height cannot change it and does not loop.
    const bool bar = widget() && width() < widget()->minimumSizeHint().width();
    const int height = (widget() ? widget()->height() : 0) +
                       (bar ? horizontalScrollBar()->sizeHint().height() : 0);
    if (minimumHeight() != height || maximumHeight() != height) setFixedHeight(height);
}
