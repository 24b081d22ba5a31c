#pragma once

#include "ColorArray.h"
#include "NotifyEvent.h"

#include <QPoint>
#include <QWidget>

class QPushButton;

// The small frameless window a colour button drops down: a 4 x 5 grid of
// swatches, a separator, the "Other" button that opens the colour dialog, and
// the other swatch beside it. It closes on a click anywhere in it, on Escape,
// and when it or the application loses activation (except while the colour
// dialog is open); it frees itself when it closes.
class TDropColorButtonPalette : public QWidget {
    Q_OBJECT

public:
    // Cells: (1..4, 1..5) are grid swatches, (0, 0) the other swatch.
    static constexpr QPoint kOtherCell{0, 0};
    static constexpr QPoint kNoCell{-1, -1};
    static constexpr int kClientWidth = 72;
    static constexpr int kClientHeight = 121;

    explicit TDropColorButtonPalette(QWidget* owner);
    ~TDropColorButtonPalette() override;

    void SetSelectedColor(TColor color);
    TColor SelectedColor() const { return selected_; }
    TColor OtherColor() const { return other_; }
    void SetOtherColor(TColor color);
    const TColorArrayClass& PaletteColors() const { return paletteColors_; }
    void SetPaletteColors(const TColorArrayClass& colors);
    const TColorArrayClass& CustomColors() const { return customColors_; }
    void SetCustomColors(const TColorArrayClass& colors) { customColors_.Assign(colors); }
    QPushButton* BtnOther() const { return btnOther_; }
    QPoint HighlightedCell() const { return highlighted_; }
    bool DialogOpen() const { return dialogOpen_; }

    static bool IsValidCell(QPoint cell);
    // The cell under a point in client coordinates, kNoCell for none.
    static QPoint CellAt(QPoint client);
    // The client rectangle a cell is drawn in (18 x 18 around its swatch).
    static QRect CellRect(QPoint cell);

    std::function<void(QObject* sender, TColor color)> OnColorSelected;
    TNotifyEvent OnPaletteClosed;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BtnOtherClick();
    void UpdateHover(QPoint cell);
    TColor CellColor(QPoint cell) const;
    void ApplicationStateChanged(Qt::ApplicationState state);

    TColorArrayClass paletteColors_;
    TColorArrayClass customColors_{8, 2};
    TColor selected_ = clBlack;
    TColor other_ = clBtnFace;
    QPoint highlighted_ = kNoCell;
    bool dialogOpen_ = false;
    bool closed_ = false;
    QPushButton* btnOther_;
    QMetaObject::Connection appState_;
};
