#pragma once

#include "Color.h"
#include "Exception.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <vector>

class EColorArrayIndexError : public Exception {
public:
    EColorArrayIndexError() : Exception("Array index out of bounds") {}
};

// A fixed-size grid of colours with 1-based indices: the colour button's
// palette (4 x 5) and its custom colours (8 x 2). Its stored form is XSize,
// YSize and the list of every cell column by column (X = 1..XSize and, within
// each X, Y = 1..YSize); the sizes are read first.
class TColorArrayClass {
    Q_GADGET
    Q_PROPERTY(int XSize READ XSize WRITE SetXSize)
    Q_PROPERTY(int YSize READ YSize WRITE SetYSize)
    Q_PROPERTY(QList<int> Colors READ ColorList WRITE SetColorList)

public:
    // Sizes beyond these come only from damaged stored forms.
    static constexpr int kMaxSide = 1024;
    static constexpr int kMaxCells = 65536;

    TColorArrayClass() = default;
    TColorArrayClass(int xSize, int ySize);

    int XSize() const { return xSize_; }
    int YSize() const { return ySize_; }
    // A different size discards the cells; the new cells are black.
    void SetXSize(int xSize);
    void SetYSize(int ySize);

    TColor Colors(int x, int y) const;
    void SetColors(int x, int y, TColor color);

    void Assign(const TColorArrayClass& source) { *this = source; }
    bool IsEqual(const TColorArrayClass* other) const;
    bool operator==(const TColorArrayClass& other) const { return IsEqual(&other); }

    // The stored list, column by column. Reading a list with more items than
    // the grid holds raises the index error and leaves every cell as it was.
    QList<int> ColorList() const;
    void SetColorList(const QList<int>& colors);

private:
    void Resize(int xSize, int ySize);
    size_t IndexOf(int x, int y) const;

    int xSize_ = 0;
    int ySize_ = 0;
    std::vector<TColor> cells_;
};

Q_DECLARE_METATYPE(TColorArrayClass)

// The palette a colour button starts with: on a 16-colour display the
// display's basic colours (black where fewer than 20), else the fixed table.
TColorArrayClass DefaultPaletteColors();

// The custom colours' stored text: "$" and eight upper-case hexadecimal digits
// per cell, column by column, joined by ",".
QString FormatCustomColors(const TColorArrayClass& colors);
// Reads that text (up to XSize * YSize fields) into the grid; a field that is
// not an integer, or is missing, gives white. Decimal and "$" / "0x" hex.
void ParseCustomColors(const QString& text, TColorArrayClass& colors);
