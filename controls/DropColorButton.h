#pragma once

#include "ColorArray.h"
#include "NotifyEvent.h"

#include <QImage>
#include <QPointer>
#include <QPushButton>

class TDropColorButtonPalette;

// A push button that shows the chosen colour as a swatch, a separator and a
// small arrow, all drawn by the button itself. A click drops down the palette
// window right under the button (above it when there is no room below);
// choosing a colour there sets `Color` and fires `OnColorChange`.
class TDropColorButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(TButtonStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(int Color READ Color WRITE SetColor)
    Q_PROPERTY(QString OtherBtnCaption READ OtherBtnCaption WRITE SetOtherBtnCaption)
    Q_PROPERTY(int OtherColor READ OtherColor WRITE SetOtherColor)
    Q_PROPERTY(TColorArrayClass PaletteColors READ PaletteColors WRITE SetPaletteColors)
    Q_PROPERTY(TColorArrayClass CustomColors READ CustomColors WRITE SetCustomColors)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(QString CustomColorsKey READ CustomColorsKey WRITE SetCustomColorsKey)

public:
    enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
    Q_ENUM(TButtonStyle)

    // How far above its top the palette opens when there is no room below,
    // and how far left of the work area's right edge when there is none to the right.
    static constexpr int kAboveOffset = 121;
    static constexpr int kRightOffset = 78;

    explicit TDropColorButton(QWidget* parent = nullptr);
    ~TDropColorButton() override;

    TButtonStyle Style() const { return style_; }
    void SetStyle(TButtonStyle style);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    QString OtherBtnCaption() const { return otherBtnCaption_; }
    void SetOtherBtnCaption(const QString& caption) { otherBtnCaption_ = caption; }
    TColor OtherColor() const { return otherColor_; }
    void SetOtherColor(TColor color) { otherColor_ = color; }
    const TColorArrayClass& PaletteColors() const { return paletteColors_; }
    void SetPaletteColors(const TColorArrayClass& colors) { paletteColors_.Assign(colors); }
    const TColorArrayClass& CustomColors() const { return customColors_; }
    void SetCustomColors(const TColorArrayClass& colors) { customColors_.Assign(colors); }
    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    QString CustomColorsKey() const { return customColorsKey_; }
    void SetCustomColorsKey(const QString& key) { customColorsKey_ = key; }

    // The open palette, or none.
    TDropColorButtonPalette* Palette() const { return palette_; }
    bool DroppedDown() const { return droppedDown_; }
    // Drops the palette down (what a click does).
    void Click();
    // Where the palette of the given size opens, within the work area.
    QPoint PalettePosition(QSize paletteSize) const;

    TNotifyEvent OnColorChange;

    // The file that stands in for the user's registry when CustomColorsKey is
    // set (empty: the application's configuration folder).
    static void SetRegistryFileName(const QString& fileName);
    static QString RegistryFileName();

    QSize sizeHint() const override { return {45, 22}; }

protected:
    virtual void InitDefaultColors();
    virtual QString GetRegistryValueName() const;
    virtual void SaveCustomColors();
    virtual void LoadCustomColors();
    virtual void DoColorChange();

    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PaletteClosed();
    bool MouseInside() const;

    TButtonStyle style_ = bsAutoDetect;
    TColor color_ = clBlack;
    QString otherBtnCaption_ = QStringLiteral("&Other");
    TColor otherColor_ = clBtnFace;
    TColorArrayClass paletteColors_{4, 5};
    TColorArrayClass customColors_{8, 2};
    bool flat_ = false;
    QString customColorsKey_;
    QPointer<TDropColorButtonPalette> palette_;
    bool droppedDown_ = false;
    bool customColorsLoaded_ = false;
    QString registryValueName_;
    QImage arrow_;
    QImage arrowDisabled_;
};
