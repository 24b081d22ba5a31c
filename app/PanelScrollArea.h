#pragma once

#include <QScrollArea>

// Holds a panel of fixed height across the window: narrower than the panel's
// least width, the panel keeps that width and scrolls sideways, rather than
// squeezing its labels until they are cut ("Time Ste"). The area is as high
// as the panel, and higher by the scroll bar only while the bar shows.
class TPanelScrollArea : public QScrollArea {
public:
    explicit TPanelScrollArea(QWidget* panel, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitHeight();
};
