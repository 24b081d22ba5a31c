#pragma once

#include "Color.h"
#include "GraphFont.h"

#include <QObject>

class TPlotGraph;

// The legend box: where it sits, how it looks and how its entries run.
// Setters do nothing when the value is unchanged, else repaint.
class TLegend : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool visible READ visible WRITE setVisible)
    Q_PROPERTY(int color READ color WRITE setColor)
    Q_PROPERTY(int borderStyle READ borderStyle WRITE setBorderStyle)
    Q_PROPERTY(TLegendStyle Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(int top READ top WRITE setTop)
    Q_PROPERTY(int left READ left WRITE setLeft)
    Q_PROPERTY(int width READ width WRITE setWidth)
    Q_PROPERTY(int height READ height WRITE setHeight)
    Q_PROPERTY(int SymbolSpace READ SymbolSpace WRITE SetSymbolSpace)
    Q_PROPERTY(int XMargin READ XMargin WRITE SetXMargin)
    Q_PROPERTY(int YMargin READ YMargin WRITE SetYMargin)

public:
    enum TLegendStyle : int { lsAcross, lsDown };
    Q_ENUM(TLegendStyle)

    explicit TLegend(TPlotGraph* graph);
    void ResetToDefaults();

    bool visible() const { return visible_; }
    void setVisible(bool v);
    TColor color() const { return color_; }
    void setColor(TColor v);
    int borderStyle() const { return borderStyle_; } // 0 none, 1 single
    void setBorderStyle(int v);
    TLegendStyle Layout() const { return layout_; }
    void SetLayout(TLegendStyle v);
    int top() const { return top_; }
    void setTop(int v);
    int left() const { return left_; }
    void setLeft(int v);
    int width() const { return width_; }
    void setWidth(int v);
    int height() const { return height_; }
    void setHeight(int v);
    int SymbolSpace() const { return symbolSpace_; }
    void SetSymbolSpace(int v);
    int XMargin() const { return xMargin_; }
    void SetXMargin(int v);
    int YMargin() const { return yMargin_; }
    void SetYMargin(int v);
    const TGraphFont& font() const { return font_; }
    void setFont(const TGraphFont& v);

private:
    template <typename T> void Set(T& field, const T& v);

    TPlotGraph* graph_;
    bool visible_;
    TColor color_;
    int borderStyle_;
    TLegendStyle layout_;
    int top_, left_, width_, height_, symbolSpace_, xMargin_, yMargin_;
    TGraphFont font_;
};
