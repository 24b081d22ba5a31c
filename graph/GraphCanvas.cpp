#include "GraphCanvas.h"

#include "GraphMath.h"
#include "QtColor.h"

#include <QFontMetrics>
#include <QPaintDevice>

Qt::PenStyle ToQtPenStyle(int style) {
    switch (style) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

QFont ToQFont(const TGraphFont& font, int pointSize, int pixelsPerInch) {
    QFont f(font.Name);
    // A stored size of 0 or less would be no font at all; one pixel at least.
    const int pixels = std::max(1, graphmath::Round(pointSize * pixelsPerInch / 72.0));
    f.setPixelSize(pixels);
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStrikeOut(font.StrikeOut);
    // Outline fonts turn cleanly; hinting would move glyphs when turned.
    f.setStyleStrategy(QFont::ForceOutline);
    return f;
}

TGraphCanvas::TGraphCanvas(QPaintDevice& device, const QPaintDevice* measure, bool printer)
    : painter_(&device), measure_(measure ? measure : &device), printer_(printer) {
    fontPpi_ = measure_->logicalDpiY() > 0 ? measure_->logicalDpiY() : 96;
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    SetFont(TGraphFont{});
}

TGraphCanvas::~TGraphCanvas() {
    if (painter_.isActive()) painter_.end();
}

void TGraphCanvas::SetFontScale(double factor, int pixelsPerInch) {
    fontFactor_ = factor;
    fontPpi_ = pixelsPerInch;
}

QColor TGraphCanvas::Color(TColor color) const {
    return oneColor_ ? *oneColor_ : ToQColor(color);
}

void TGraphCanvas::SetOrigin(QPoint origin) {
    painter_.translate(-origin);
}

void TGraphCanvas::SetPen(TColor color, int width, int style) {
    QPen pen(Color(color));
    // Whole device pixels at any width; one pixel is the fast hairline.
    pen.setCosmetic(true);
    pen.setWidthF((width < 1 ? 1 : width) * penScale_);
    pen.setStyle(ToQtPenStyle(style));
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(pen);
}

void TGraphCanvas::SetBrush(TColor color) {
    painter_.setBrush(Color(color));
}

void TGraphCanvas::SetClearBrush() {
    painter_.setBrush(Qt::NoBrush);
}

void TGraphCanvas::SetFont(const TGraphFont& font) {
    font_ = ToQFont(font, graphmath::Round(font.Size * fontFactor_), fontPpi_);
    textColor_ = ToQColor(font.Color);
    painter_.setFont(font_);
}

void TGraphCanvas::SetDashBackground(TColor color) {
    painter_.setBackground(ToQColor(color));
    painter_.setBackgroundMode(Qt::OpaqueMode);
}

void TGraphCanvas::ClearDashBackground() {
    painter_.setBackgroundMode(Qt::TransparentMode);
}

int TGraphCanvas::TextWidth(const QString& text) const {
    return QFontMetrics(font_, measure_).horizontalAdvance(text);
}

int TGraphCanvas::TextHeight(const QString&) const {
    return QFontMetrics(font_, measure_).height();
}

void TGraphCanvas::TextOut(int x, int y, const QString& text, const TColor* background) {
    TextOutTurned(x, y, 0, text, background);
}

void TGraphCanvas::TextOutTurned(int x, int y, double degrees, const QString& text,
                                 const TColor* background) {
    const QFontMetrics m(font_, measure_);
    painter_.save();
    painter_.translate(x, y);
    if (degrees != 0) painter_.rotate(-degrees);
    if (background)
        painter_.fillRect(QRect(0, 0, m.horizontalAdvance(text), m.height()),
                          ToQColor(*background));
    painter_.setPen(textColor_);
    painter_.drawText(0, m.ascent(), text);
    painter_.restore();
}

void TGraphCanvas::FillRect(const QRect& r, TColor color) {
    painter_.fillRect(r, ToQColor(color));
}

void TGraphCanvas::Line(int x1, int y1, int x2, int y2) {
    painter_.drawLine(x1, y1, x2, y2);
}

void TGraphCanvas::SetClip(const QRect& r) {
    painter_.setClipRect(r);
}

void TGraphCanvas::ClearClip() {
    painter_.setClipping(false);
}
