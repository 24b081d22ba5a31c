#pragma once

#include <QObject>

class QLabel;

// Dropped once on a window: when the window has been built (and its fonts
// scaled), every plain QLabel of that window that sizes itself to its text
// recomputes its size from its current text and font. Labels of derived
// classes, labels that do not size themselves and all other controls are left
// alone.
//
// A label sizes itself when its "AutoSize" property is true (SetLabelAutoSize).
// The fix runs when the owner is first shown, and whenever Loaded() is called.
class TFixLabelAutoSize : public QObject {
    Q_OBJECT

public:
    explicit TFixLabelAutoSize(QWidget* owner);

    // The after-load notification: the owner's layout is complete.
    void Loaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* owner_;
    bool shown_ = false;
};

// The label property that marks a label as sizing itself to its text.
inline constexpr char kLabelAutoSizeProperty[] = "AutoSize";
void SetLabelAutoSize(QLabel* label, bool autoSize);
bool LabelAutoSize(const QLabel* label);
