#include "ControlDialogs.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "QtColor.h"
#include "TestMain.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QRgb Rgb(TColor color) {
    return ToQColor(color).rgb();
}

class ColorPickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.setWindowFlags(Qt::FramelessWindowHint);
        host.setObjectName("GroupBox1");
        host.resize(200, 60);
        button = new TDropColorButton(&host);
        button->setObjectName("ColorButton1");
        button->move(0, 0);
        host.move(100, 100);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    void TearDown() override { SetColorDialogFunc({}); }

    QImage Picture() { return button->grab().toImage(); }
    TDropColorButtonPalette* Open() {
        QTest::mouseClick(button, Qt::LeftButton);
        return button->Palette();
    }
    bool Closed() {
        return ProcessEventsUntil([&] { return button->Palette() == nullptr; }, 1000) &&
               !button->DroppedDown();
    }
    static QPoint Swatch(int x, int y) { return {18 * x - 17 + 6, 18 * y - 17 + 6}; }

    QWidget host;
    TDropColorButton* button = nullptr;
};

TEST_F(ColorPickerTest, ButtonStartsBlackWithTheDefaultPaletteAndWhiteCustomColours) {
    EXPECT_EQ(button->size(), QSize(45, 22));
    EXPECT_EQ(button->Color(), clBlack);
    EXPECT_EQ(button->text(), "");
    EXPECT_EQ(button->OtherBtnCaption(), "&Other");
    EXPECT_EQ(button->OtherColor(), clBtnFace);
    EXPECT_EQ(button->Style(), TDropColorButton::bsAutoDetect);
    const TColorArrayClass defaults = DefaultPaletteColors();
    EXPECT_TRUE(button->PaletteColors().IsEqual(&defaults));
    EXPECT_EQ(button->CustomColors().ColorList(), QList<int>(16, clWhite));
    // Reachable by name for the form storage.
    button->setProperty("Color", clRed);
    EXPECT_EQ(button->Color(), clRed);
    EXPECT_EQ(button->property("Color").toInt(), clRed);
}

TEST_F(ColorPickerTest, ColorChangeFiresOnlyForADifferentColour) {
    int changes = 0;
    button->OnColorChange = [&](QObject* sender) {
        EXPECT_EQ(sender, button);
        ++changes;
    };
    button->SetColor(clBlack);
    EXPECT_EQ(changes, 0);
    button->SetColor(clRed);
    button->SetColor(clRed);
    EXPECT_EQ(changes, 1);
}

TEST_F(ColorPickerTest, ButtonDrawsSwatchSeparatorAndArrowAtTheirPixels) {
    button->SetColor(RGB(10, 200, 30));
    const QImage image = Picture();
    EXPECT_EQ(image.pixel(0, 0), Rgb(clBtnHighlight)) << "raised frame";
    EXPECT_EQ(image.pixel(44, 21), Rgb(cl3DDkShadow));
    EXPECT_EQ(image.pixel(6, 5), Rgb(clWindowFrame)) << "swatch border";
    EXPECT_EQ(image.pixel(28, 16), Rgb(clWindowFrame));
    EXPECT_EQ(image.pixel(7, 6), Rgb(RGB(10, 200, 30)));
    EXPECT_EQ(image.pixel(27, 15), Rgb(RGB(10, 200, 30)));
    EXPECT_EQ(image.pixel(29, 10), Rgb(clBtnFace));
    EXPECT_EQ(image.pixel(32, 5), Rgb(clBtnShadow)) << "separator";
    EXPECT_EQ(image.pixel(33, 16), Rgb(clBtnHighlight));
    EXPECT_EQ(image.pixel(32, 17), Rgb(clBtnFace));
    // The arrow: five, three and one black pixels under each other.
    for (int x = 35; x <= 39; ++x)
        EXPECT_EQ(image.pixel(x, 10), qRgb(0, 0, 0)) << x;
    EXPECT_EQ(image.pixel(34, 10), Rgb(clBtnFace)) << "the arrow's background is see-through";
    EXPECT_EQ(image.pixel(36, 11), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(35, 11), Rgb(clBtnFace));
    EXPECT_EQ(image.pixel(37, 12), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(40, 10), Rgb(clBtnFace));
}

TEST_F(ColorPickerTest, DisabledButtonShowsAHatchedSwatchAndTheGreyArrow) {
    button->SetColor(clRed);
    button->setEnabled(false);
    const QImage image = Picture();
    EXPECT_EQ(image.pixel(6, 5), Rgb(clWindowFrame));
    EXPECT_EQ(image.pixel(7, 8), qRgb(0, 0, 0)) << "(x + y) % 4 == 3 is on a hatch line";
    EXPECT_EQ(image.pixel(8, 8), Rgb(clBtnFace)) << "whatever the colour, no red shows";
    EXPECT_EQ(image.pixel(37, 12), qRgb(128, 128, 128));
}

TEST_F(ColorPickerTest, FlatButtonHasNoBorderUntilHoveredAndWin31AddsAnOuterLine) {
    button->SetFlat(true);
    button->clearFocus();
    QImage image = Picture();
    EXPECT_EQ(image.pixel(0, 0), Rgb(clBtnFace));
    EXPECT_EQ(image.pixel(44, 21), Rgb(clBtnFace));
    EXPECT_EQ(image.pixel(1, 20), Rgb(clBtnFace));
    button->setAttribute(Qt::WA_UnderMouse, true);
    image = Picture();
    EXPECT_EQ(image.pixel(44, 21), Rgb(cl3DDkShadow));
    button->setAttribute(Qt::WA_UnderMouse, false);
    button->setFocus();
    image = Picture();
    EXPECT_EQ(image.pixel(44, 21), Rgb(cl3DDkShadow)) << "the focused button shows its border";

    button->SetFlat(false);
    button->SetStyle(TDropColorButton::bsWin31);
    image = Picture();
    EXPECT_EQ(image.pixel(0, 0), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(44, 21), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(1, 1), Rgb(clBtnHighlight));
}

TEST_F(ColorPickerTest, OpenButtonIsDrawnPressed) {
    TDropColorButtonPalette* palette = Open();
    ASSERT_NE(palette, nullptr);
    EXPECT_TRUE(button->DroppedDown());
    const QImage image = Picture();
    EXPECT_EQ(image.pixel(0, 0), Rgb(clWindowFrame));
    EXPECT_EQ(image.pixel(1, 1), Rgb(clBtnShadow));
    EXPECT_EQ(image.pixel(7, 6), Rgb(clWindowFrame)) << "the content moves by one pixel";
    palette->close();
    EXPECT_TRUE(Closed());
}

TEST_F(ColorPickerTest, PaletteOpensBelowOrAboveWithinTheWorkArea) {
    const QRect work = button->screen()->availableGeometry();
    const QSize size(72, 121);
    host.move(work.left() + 100, work.top() + 100);
    EXPECT_EQ(button->PalettePosition(size), QPoint(work.left() + 100, work.top() + 122));

    host.move(work.left() + 100, work.bottom() - 30);
    EXPECT_EQ(button->PalettePosition(size).y(), work.bottom() - 30 - 121);

    host.move(work.right() - 40, work.top() + 100);
    EXPECT_EQ(button->PalettePosition(size).x(), work.right() + 1 - 78);

    host.move(work.left() - 20, work.top() + 100);
    EXPECT_EQ(button->PalettePosition(size).x(), work.left());

    TDropColorButtonPalette* palette = Open();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->size(), size);
    EXPECT_EQ(palette->pos(), button->PalettePosition(size));
    palette->close();
    EXPECT_TRUE(Closed());
}

TEST_F(ColorPickerTest, ClickOnASwatchChoosesItsColourAndCloses) {
    int changes = 0;
    button->OnColorChange = [&](QObject*) { ++changes; };
    TDropColorButtonPalette* palette = Open();
    ASSERT_NE(palette, nullptr);
    QTest::mouseClick(palette, Qt::LeftButton, {}, Swatch(2, 3));
    EXPECT_TRUE(Closed());
    EXPECT_EQ(button->Color(), RGB(0, 127, 0));
    EXPECT_EQ(changes, 1);
}

TEST_F(ColorPickerTest, ClickOnAGapOrEscapeClosesWithoutChoosing) {
    button->SetColor(clRed);
    TDropColorButtonPalette* palette = Open();
    ASSERT_NE(palette, nullptr);
    QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(30, 93));
    EXPECT_TRUE(Closed());
    EXPECT_EQ(button->Color(), clRed);

    palette = Open();
    ASSERT_NE(palette, nullptr);
    QTest::keyClick(palette, Qt::Key_Escape);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(button->Color(), clRed);
}

TEST_F(ColorPickerTest, PaletteMarksTheCurrentColourOrOffersItInTheOtherSwatch) {
    button->SetColor(clRed);
    TDropColorButtonPalette* palette = Open();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->HighlightedCell(), QPoint(1, 2));
    EXPECT_EQ(palette->OtherColor(), clBtnFace);
    palette->close();
    ASSERT_TRUE(Closed());

    button->SetColor(RGB(1, 2, 3));
    palette = Open();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->OtherColor(), RGB(1, 2, 3));
    QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(60, 105));
    EXPECT_TRUE(Closed());
    EXPECT_EQ(button->Color(), RGB(1, 2, 3));
}

TEST_F(ColorPickerTest, HoverHighlightFollowsTheMouseAndStaysOverGaps) {
    TDropColorButtonPalette* palette = Open();
    ASSERT_NE(palette, nullptr);
    QTest::mouseMove(palette, Swatch(3, 4));
    EXPECT_EQ(palette->HighlightedCell(), QPoint(3, 4));
    QTest::mouseMove(palette, QPoint(30, 94));
    EXPECT_EQ(palette->HighlightedCell(), QPoint(3, 4));
    QTest::mouseMove(palette, QPoint(62, 100));
    EXPECT_EQ(palette->HighlightedCell(), TDropColorButtonPalette::kOtherCell);

    const QImage image = palette->grab().toImage();
    const QRect other = TDropColorButtonPalette::CellRect(TDropColorButtonPalette::kOtherCell);
    EXPECT_EQ(other, QRect(53, 99, 18, 18));
    EXPECT_EQ(image.pixel(other.topLeft()), Rgb(cl3DDkShadow)) << "highlighted frame";
    EXPECT_EQ(image.pixel(other.topLeft() + QPoint(1, 1)), Rgb(clBtnHighlight));
    const QRect plain = TDropColorButtonPalette::CellRect(QPoint(1, 1));
    EXPECT_EQ(plain, QRect(0, 0, 18, 18));
    EXPECT_EQ(image.pixel(1, 1), Rgb(clBtnShadow)) << "plain bevel";
    EXPECT_EQ(image.pixel(2, 2), Rgb(cl3DDkShadow));
    EXPECT_EQ(image.pixel(3, 3), Rgb(clWhite)) << "swatch (1, 1) is white";
    EXPECT_EQ(image.pixel(14, 14), Rgb(clWhite));
    EXPECT_EQ(image.pixel(10, 93), Rgb(clBtnShadow)) << "separator";
    EXPECT_EQ(image.pixel(10, 94), Rgb(clBtnHighlight));
    palette->close();
    EXPECT_TRUE(Closed());
}

TEST_F(ColorPickerTest, CancelledColourDialogKeepsThePaletteOpen) {
    TDropColorButtonPalette* palette = Open();
    ASSERT_NE(palette, nullptr);
    bool closedDuringDialog = true;
    SetColorDialogFunc([&](QWidget*, TColor&, TCustomColorList&) {
        EXPECT_TRUE(palette->DialogOpen());
        palette->close();
        closedDuringDialog = !palette->isVisible();
        return false;
    });
    QTest::mouseClick(palette->BtnOther(), Qt::LeftButton);
    EXPECT_FALSE(closedDuringDialog) << "closing is refused while the dialog is open";
    EXPECT_TRUE(palette->isVisible());
    EXPECT_FALSE(palette->DialogOpen());
    EXPECT_EQ(button->Palette(), palette);
    palette->close();
    EXPECT_TRUE(Closed());
}

TEST_F(ColorPickerTest, ConfirmedColourDialogSetsTheColourAndKeepsCustomColours) {
    button->SetOtherBtnCaption("&More");
    TColorArrayClass custom = button->CustomColors();
    custom.SetColors(1, 2, RGB(7, 7, 7));
    button->SetCustomColors(custom);
    TDropColorButtonPalette* palette = Open();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->BtnOther()->text(), "&More");
    SetColorDialogFunc([&](QWidget*, TColor& color, TCustomColorList& list) {
        EXPECT_EQ(color, clBtnFace) << "the dialog starts at the other colour";
        EXPECT_EQ(list[1], RGB(7, 7, 7)) << "column by column: cell (1, 2) is second";
        color = RGB(10, 20, 30);
        list[15] = RGB(5, 6, 7);
        return true;
    });
    QTest::mouseClick(palette->BtnOther(), Qt::LeftButton);
    EXPECT_TRUE(Closed());
    EXPECT_EQ(button->Color(), RGB(10, 20, 30));
    EXPECT_EQ(button->CustomColors().Colors(8, 2), RGB(5, 6, 7));
    EXPECT_EQ(button->CustomColors().Colors(1, 2), RGB(7, 7, 7));
}

TEST_F(ColorPickerTest, CustomColoursGoToTheRegistryStandInOnlyWithAKey) {
    QTemporaryDir dir;
    const QString file = dir.filePath("registry.ini");
    TDropColorButton::SetRegistryFileName(file);
    {
        TDropColorButton keyless(&host);
        keyless.setObjectName("ColorButton2");
        keyless.show();
    }
    EXPECT_FALSE(QFile::exists(file));
    {
        TDropColorButton stored(&host);
        stored.setObjectName("ColorButton2");
        stored.SetCustomColorsKey("Software/Tarnivell");
        stored.show();
        TColorArrayClass custom = stored.CustomColors();
        custom.SetColors(1, 1, clRed);
        stored.SetCustomColors(custom);
    }
    {
        QSettings registry(file, QSettings::IniFormat);
        const QString text =
            registry.value("Software/Tarnivell/Colors/GroupBox1.ColorButton2").toString();
        EXPECT_EQ(text, "$000000FF" + QString(",$00FFFFFF").repeated(15));
        registry.setValue("Software/Tarnivell/Colors/GroupBox1.ColorButton2",
                          "$00000001,$00000002");
    }
    TDropColorButton loaded(&host);
    loaded.setObjectName("ColorButton2");
    loaded.SetCustomColorsKey("Software/Tarnivell");
    loaded.show();
    QList<int> expected(16, clWhite);
    expected[0] = 1;
    expected[1] = 2;
    EXPECT_EQ(loaded.CustomColors().ColorList(), expected);
    loaded.SetCustomColorsKey("");
    TDropColorButton::SetRegistryFileName({});
}

} // namespace
