#include "FixLabelAutoSize.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TDerivedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};

TEST(FixLabelAutoSize, SelfSizingLabelsFitTheirTextOnceTheWindowIsShown) {
    QWidget window;
    auto* sized = new QLabel("Density, N1:", &window);
    auto* fixed = new QLabel("Time Step:", &window);
    auto* derived = new TDerivedLabel("Rate:", &window);
    auto* edit = new QLineEdit(&window);
    SetLabelAutoSize(sized, true);
    SetLabelAutoSize(derived, true);
    fixed->resize(3, 3);
    edit->resize(40, 20);
    new TFixLabelAutoSize(&window);

    // The layout was read with another font: the stored sizes no longer fit.
    QFont big = window.font();
    big.setPixelSize(30);
    window.setFont(big);
    sized->resize(5, 5);
    derived->resize(5, 5);
    window.show();

    EXPECT_EQ(sized->size(), sized->sizeHint());
    EXPECT_GT(sized->width(), 60);
    EXPECT_EQ(fixed->size(), QSize(3, 3)) << "a label that does not size itself keeps its size";
    EXPECT_EQ(derived->size(), QSize(5, 5)) << "labels of derived classes are left alone";
    EXPECT_EQ(edit->size(), QSize(40, 20));
}

TEST(FixLabelAutoSize, WindowWithoutLabelsIsLeftAsItIs) {
    QWidget window;
    auto* edit = new QLineEdit(&window);
    edit->setGeometry(1, 2, 30, 40);
    TFixLabelAutoSize fix(&window);
    fix.Loaded();
    EXPECT_EQ(edit->geometry(), QRect(1, 2, 30, 40));
}

} // namespace

#include "FixLabelAutoSizeTest.moc"
