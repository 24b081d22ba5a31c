#include "ColorArray.h"

#include <QGuiApplication>
#include <QScreen>

TColorArrayClass::TColorArrayClass(int xSize, int ySize) {
    Resize(xSize, ySize);
}

void TColorArrayClass::Resize(int xSize, int ySize) {
    if (xSize < 0 || ySize < 0 || xSize > kMaxSide || ySize > kMaxSide || xSize * ySize > kMaxCells)
        throw EColorArrayIndexError();
    xSize_ = xSize;
    ySize_ = ySize;
    cells_.assign(static_cast<size_t>(xSize) * static_cast<size_t>(ySize), clBlack);
}

void TColorArrayClass::SetXSize(int xSize) {
    if (xSize != xSize_) Resize(xSize, ySize_);
}

void TColorArrayClass::SetYSize(int ySize) {
    if (ySize != ySize_) Resize(xSize_, ySize);
}

size_t TColorArrayClass::IndexOf(int x, int y) const {
    if (x < 1 || x > xSize_ || y < 1 || y > ySize_) throw EColorArrayIndexError();
    return static_cast<size_t>(y - 1) * static_cast<size_t>(xSize_) + static_cast<size_t>(x - 1);
}

TColor TColorArrayClass::Colors(int x, int y) const {
    return cells_[IndexOf(x, y)];
}

void TColorArrayClass::SetColors(int x, int y, TColor color) {
    cells_[IndexOf(x, y)] = color;
}

bool TColorArrayClass::IsEqual(const TColorArrayClass* other) const {
    if (other == this) return true;
    if (other == nullptr) return false;
    return xSize_ == other->xSize_ && ySize_ == other->ySize_ && cells_ == other->cells_;
}

QList<int> TColorArrayClass::ColorList() const {
    QList<int> list;
    list.reserve(static_cast<qsizetype>(cells_.size()));
    for (int x = 1; x <= xSize_; ++x)
        for (int y = 1; y <= ySize_; ++y)
            list.push_back(Colors(x, y));
    return list;
}

void TColorArrayClass::SetColorList(const QList<int>& colors) {
    if (colors.size() > static_cast<qsizetype>(cells_.size())) throw EColorArrayIndexError();
    qsizetype i = 0;
    for (int x = 1; x <= xSize_ && i < colors.size(); ++x)
        for (int y = 1; y <= ySize_ && i < colors.size(); ++y)
            SetColors(x, y, colors[i++]);
}

TColorArrayClass DefaultPaletteColors() {
    TColorArrayClass palette(4, 5);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr && screen->depth() == 4) {
        // The display's own 16 colours, column by column; the rest stay black.
        static constexpr TColor kBasic[] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                                            clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                                            clBlue,  clFuchsia, clAqua,   clWhite};
        int i = 0;
        for (int x = 1; x <= 4; ++x)
            for (int y = 1; y <= 5; ++y, ++i)
                palette.SetColors(x, y, i < 16 ? kBasic[i] : clBlack);
        return palette;
    }
    static constexpr int kTable[5][4][3] = {
        {{255, 255, 255}, {0, 0, 0}, {191, 191, 191}, {127, 127, 127}},
        {{255, 0, 0}, {127, 0, 0}, {255, 255, 0}, {127, 127, 0}},
        {{0, 255, 0}, {0, 127, 0}, {0, 255, 255}, {0, 127, 127}},
        {{0, 0, 255}, {0, 0, 127}, {255, 0, 255}, {127, 0, 127}},
        {{191, 215, 191}, {159, 191, 239}, {255, 247, 239}, {159, 159, 159}},
    };
    for (int y = 1; y <= 5; ++y)
        for (int x = 1; x <= 4; ++x) {
            const int* rgb = kTable[y - 1][x - 1];
            palette.SetColors(x, y, RGB(rgb[0], rgb[1], rgb[2]));
        }
    return palette;
}

QString FormatCustomColors(const TColorArrayClass& colors) {
    QStringList fields;
    for (int value : colors.ColorList())
        fields << QStringLiteral("$%1")
                      .arg(static_cast<quint32>(value), 8, 16, QLatin1Char('0'))
                      .toUpper();
    return fields.join(QLatin1Char(','));
}

namespace {

// An integer as the platform writes it: optional sign, then decimal digits,
// or "$" or "0x" and hexadecimal digits; 32 bits.
bool ParseInteger(QString text, int& value) {
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) {
        negative = text.front() == QLatin1Char('-');
        text.remove(0, 1);
    }
    int base = 10;
    if (text.startsWith(QLatin1Char('$'))) {
        base = 16;
        text.remove(0, 1);
    } else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        text.remove(0, 2);
    }
    if (text.isEmpty() || text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-'))
        return false;
    bool ok = false;
    const qulonglong magnitude = text.toULongLong(&ok, base);
    if (!ok) return false;
    // Hexadecimal fills all 32 bits; decimal keeps to the signed range.
    const qulonglong limit =
        base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    if (magnitude > limit) return false;
    const auto bits = static_cast<quint32>(magnitude);
    value = static_cast<int>(negative ? 0u - bits : bits);
    return true;
}

} // namespace

void ParseCustomColors(const QString& text, TColorArrayClass& colors) {
    const QStringList fields = text.split(QLatin1Char(','));
    QList<int> values;
    for (int i = 0; i < colors.XSize() * colors.YSize(); ++i) {
        int value = clWhite;
        if (i >= fields.size() || !ParseInteger(fields[i], value)) value = clWhite;
        values.push_back(value);
    }
    colors.SetColorList(values);
}
