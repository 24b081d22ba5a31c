#include "QtColor.h"

#include <QGuiApplication>

namespace {
QColor SystemQColor(int index, const QPalette& p) {
    switch (index) {
    case 0:  // scroll bar
    case 1:  // desktop
    case 4:  // menu
    case 15: // button face
        return p.color(QPalette::Button);
    case COLOR_WINDOW:
        return p.color(QPalette::Base);
    case COLOR_WINDOWFRAME:
    case COLOR_WINDOWTEXT:
    case 7: // menu text
        return p.color(QPalette::WindowText);
    case COLOR_HIGHLIGHT:
        return p.color(QPalette::Highlight);
    case COLOR_HIGHLIGHTTEXT:
        return p.color(QPalette::HighlightedText);
    case COLOR_BTNSHADOW:
        return p.color(QPalette::Dark);
    case COLOR_GRAYTEXT:
        return p.color(QPalette::Disabled, QPalette::Text);
    case COLOR_BTNTEXT:
        return p.color(QPalette::ButtonText);
    case COLOR_BTNHIGHLIGHT:
        return p.color(QPalette::Light);
    case COLOR_3DDKSHADOW:
        return p.color(QPalette::Shadow);
    case COLOR_3DLIGHT:
        return p.color(QPalette::Midlight);
    case 23: // tooltip text
        return p.color(QPalette::ToolTipText);
    case 24: // tooltip background
        return p.color(QPalette::ToolTipBase);
    default:
        return p.color(QPalette::Window);
    }
}
} // namespace

QColor ToQColor(TColor color, const QPalette& palette) {
    if (IsSystemColor(color)) return SystemQColor(SystemColorIndex(color), palette);
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

QColor ToQColor(TColor color) {
    if (!IsSystemColor(color)) return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
    return ToQColor(color, QGuiApplication::palette());
}

TColor FromQColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}
