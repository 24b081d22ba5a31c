#pragma once

#include "Color.h"
#include "GraphFont.h"

#include <QFont>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

class QPaintDevice;

// Pen style bytes as the graph stores them.
Qt::PenStyle ToQtPenStyle(int style);

// A graph font at a given size in points, for a surface of the given
// resolution. The pixel size is fixed here, so text measures the same on
// every device of that resolution.
QFont ToQFont(const TGraphFont& font, int pointSize, int pixelsPerInch);

// The surface the graph draws on: a painter with the pen, brush and font
// state the drawing routine works with, and the device text is measured on.
// Coordinates are whole pixels; lines include both end pixels.
class TGraphCanvas {
public:
    // measure may be null: text is then measured on the drawing device.
    TGraphCanvas(QPaintDevice& device, const QPaintDevice* measure, bool printer);
    ~TGraphCanvas();
    TGraphCanvas(const TGraphCanvas&) = delete;
    TGraphCanvas& operator=(const TGraphCanvas&) = delete;

    QPainter& Painter() { return painter_; }
    bool IsPrinter() const { return printer_; }
    bool IsActive() const { return painter_.isActive(); }

    // The pen width the drawing routine adjusts (scaled on the printer).
    int PenWidth() const { return penWidth_; }
    void SetPenWidth(int w) { penWidth_ = w < 1 ? 1 : w; }
    // Device pixels per pixel of every pen: a picture drawn larger than the
    // screen widens its lines with it. 1 draws the screen's hairlines.
    void SetPenScale(qreal scale) { penScale_ = scale > 0 ? scale : 1; }
    // Whether curves and markers are drawn at their exact positions rather
    // than at whole pixels: for vector pictures and enlarged bitmaps, which
    // would show the screen's rounding as steps. Consecutive points closer
    // than Merge() logical pixels are one.
    bool Exact() const { return exact_; }
    double Merge() const { return merge_; }
    void SetExact(bool exact, double merge) {
        exact_ = exact;
        merge_ = merge;
    }
    // Sizes of graph fonts: points times the factor, at this resolution.
    void SetFontScale(double factor, int pixelsPerInch);

    void SetPen(TColor color, int width, int style = 0);
    void SetPen(TColor color) { SetPen(color, penWidth_); }
    void SetBrush(TColor color);
    void SetClearBrush();
    // The colour a graph colour is painted in: itself, or the one colour
    // that SetOneColor asked for. Pens and brushes follow it; a map of what
    // covers which pixel is painted that way.
    QColor Color(TColor color) const;
    void SetOneColor(std::optional<QColor> color) { oneColor_ = color; }
    // Coordinates from here on are taken relative to origin.
    void SetOrigin(QPoint origin);
    void SetFont(const TGraphFont& font);
    // Gaps of dashed pens filled with this colour.
    void SetDashBackground(TColor color);
    void ClearDashBackground();

    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    // Text whose cell has its top-left corner at (x, y); with a background
    // colour the cell is filled first.
    void TextOut(int x, int y, const QString& text, const TColor* background = nullptr);
    // Text turned counter-clockwise by degrees about the cell's top-left
    // corner at (x, y).
    void TextOutTurned(int x, int y, double degrees, const QString& text,
                       const TColor* background = nullptr);

    void FillRect(const QRect& r, TColor color);
    void Line(int x1, int y1, int x2, int y2);
    void SetClip(const QRect& r);
    void ClearClip();

private:
    QPainter painter_;
    const QPaintDevice* measure_;
    bool printer_;
    int penWidth_ = 1;
    qreal penScale_ = 1;
    bool exact_ = false;
    double merge_ = 0;
    double fontFactor_ = 1.0;
    int fontPpi_ = 96;
    QFont font_;
    QColor textColor_;
    std::optional<QColor> oneColor_;
};
