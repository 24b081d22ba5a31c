#include <QApplication>

#include <gtest/gtest.h>

// The graph is a widget: its tests need an application object (offscreen).
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
