#include "QtColor.h"

#include <gtest/gtest.h>

namespace {

TEST(Color, KeepsRedInTheLowByte) {
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412);
    EXPECT_EQ(GetRValue(clRed), 255);
    EXPECT_EQ(GetBValue(clBlue), 255);
    const QColor q = ToQColor(RGB(10, 20, 30));
    EXPECT_EQ(q, QColor(10, 20, 30));
    EXPECT_EQ(FromQColor(q), RGB(10, 20, 30));
}

TEST(Color, SystemColoursComeFromThePalette) {
    EXPECT_TRUE(IsSystemColor(clBtnFace));
    EXPECT_FALSE(IsSystemColor(clWhite));
    EXPECT_EQ(SystemColorIndex(clBtnFace), 15);
    EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
    QPalette palette;
    palette.setColor(QPalette::Button, QColor(1, 2, 3));
    palette.setColor(QPalette::Shadow, QColor(4, 5, 6));
    EXPECT_EQ(ToQColor(clBtnFace, palette), QColor(1, 2, 3));
    EXPECT_EQ(ToQColor(cl3DDkShadow, palette), QColor(4, 5, 6));
}

} // namespace
