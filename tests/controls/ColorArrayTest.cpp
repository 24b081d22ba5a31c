#include "ColorArray.h"

#include <gtest/gtest.h>

namespace {

TEST(ColorArray, EveryIndexOutsideTheGridRaisesTheBoundsError) {
    TColorArrayClass grid(4, 5);
    for (auto [x, y] : {std::pair{0, 1}, {1, 0}, {5, 1}, {1, 6}, {-1, -1}}) {
        EXPECT_THROW(grid.Colors(x, y), EColorArrayIndexError) << x << "," << y;
        EXPECT_THROW(grid.SetColors(x, y, clRed), EColorArrayIndexError);
    }
    try {
        grid.Colors(9, 9);
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Array index out of bounds");
    }
    grid.SetColors(4, 5, clRed);
    EXPECT_EQ(grid.Colors(4, 5), clRed);
}

TEST(ColorArray, AssignCopiesAndIsEqualComparesSizesAndCells) {
    TColorArrayClass a(2, 3), b(3, 2);
    EXPECT_TRUE(a.IsEqual(&a));
    EXPECT_FALSE(a.IsEqual(nullptr));
    EXPECT_FALSE(a.IsEqual(&b)) << "same cell count, other shape";
    b.Assign(a);
    EXPECT_EQ(b.XSize(), 2);
    EXPECT_EQ(b.YSize(), 3);
    EXPECT_TRUE(a.IsEqual(&b));
    b.SetColors(2, 3, clBlue);
    EXPECT_FALSE(a.IsEqual(&b));
    EXPECT_EQ(a.Colors(2, 3), clBlack) << "the copy is independent";
}

TEST(ColorArray, StoredListRunsColumnByColumn) {
    const QList<int> stored = {16777215, 255,     65280,    16711680, 12572607, 0,        127,
                               32512,    8323072, 15712159, 12566463, 65535,    16776960, 16711935,
                               15726591, 8355711, 32639,    8355584,  8323199,  10461087};
    const TColorArrayClass palette = DefaultPaletteColors();
    EXPECT_EQ(palette.ColorList(), stored);
    EXPECT_EQ(palette.Colors(1, 2), RGB(255, 0, 0));
    EXPECT_EQ(palette.Colors(2, 1), RGB(0, 0, 0));

    TColorArrayClass read(4, 5);
    read.SetColorList(stored);
    EXPECT_TRUE(read.IsEqual(&palette));
}

TEST(ColorArray, ReadingAStoredFormResizesFirstAndRefusesSurplusItems) {
    TColorArrayClass grid(4, 5);
    grid.SetXSize(2);
    grid.SetYSize(2);
    grid.SetColorList({1, 2, 3, 4});
    EXPECT_EQ(grid.Colors(1, 2), 2);
    EXPECT_EQ(grid.Colors(2, 1), 3);

    try {
        grid.SetColorList({9, 9, 9, 9, 9});
        FAIL() << "a fifth item fits no cell";
    } catch (const EColorArrayIndexError& error) {
        EXPECT_EQ(error.Message(), "Array index out of bounds");
    }
    EXPECT_EQ(grid.ColorList(), (QList<int>{1, 2, 3, 4})) << "a refused list changes nothing";

    EXPECT_THROW(grid.SetXSize(-1), EColorArrayIndexError);
    EXPECT_THROW(grid.SetYSize(1 << 20), EColorArrayIndexError);
    EXPECT_EQ(grid.XSize(), 2);
    EXPECT_EQ(grid.YSize(), 2);
}

TEST(ColorArray, CustomColoursTextHasSixteenHexFields) {
    TColorArrayClass custom(8, 2);
    for (int x = 1; x <= 8; ++x)
        for (int y = 1; y <= 2; ++y)
            custom.SetColors(x, y, clWhite);
    custom.SetColors(1, 2, RGB(0x12, 0xAB, 0xCD));
    custom.SetColors(8, 2, clBtnFace);
    const QString text = FormatCustomColors(custom);
    EXPECT_EQ(text.size(), 159);
    const QStringList fields = text.split(',');
    ASSERT_EQ(fields.size(), 16);
    EXPECT_EQ(fields[0], "$00FFFFFF");
    EXPECT_EQ(fields[1], "$00CDAB12");
    EXPECT_EQ(fields[15], "$8000000F");

    TColorArrayClass back(8, 2);
    ParseCustomColors(text, back);
    EXPECT_TRUE(back.IsEqual(&custom));
}

TEST(ColorArray, ShortOrDamagedCustomColoursTextFillsWithWhite) {
    TColorArrayClass custom(8, 2);
    ParseCustomColors("$000000FF,255,junk,0x10,-1,,$FFFFFFFFF", custom);
    const QList<int> expected = {clRed,   clRed,   clWhite, 16,      -1,      clWhite,
                                 clWhite, clWhite, clWhite, clWhite, clWhite, clWhite,
                                 clWhite, clWhite, clWhite, clWhite};
    EXPECT_EQ(custom.ColorList(), expected);
}

} // namespace
