#include "DropColorButton.h"

#include "DropColorButtonPalette.h"
#include "QtColor.h"
#include "SwatchPainting.h"

#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>

// The arrow bitmaps live in this static library's resources.
static void InitControlsResources() {
    Q_INIT_RESOURCE(controls);
}

namespace {

QString& RegistryFile() {
    static QString fileName;
    return fileName;
}

// A rectangle as the drawing steps count it: right and bottom exclusive.
struct TRect {
    int left, top, right, bottom;
    void Shrink(int dx, int dy) { left += dx, top += dy, right -= dx, bottom -= dy; }
    void Shrink(int d) { Shrink(d, d); }
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
};

void FrameRect(QPainter& p, const TRect& r, const QColor& color) {
    ::FrameRect(p, r.ToQRect(), color);
}

// A rectangle with a one-pixel border in `pen` and, unless hollow, a filled interior.
void Rectangle(QPainter& p, TRect r, TColor pen, const TColor* brush) {
    FrameRect(p, r, ToQColor(pen));
    r.Shrink(1);
    if (brush != nullptr) p.fillRect(r.ToQRect(), ToQColor(*brush));
}

// A raised push-button frame, two pixels wide; `r` becomes its interior. A
// flat frame is a single window-frame line.
void DrawPushFrame(QPainter& p, TRect& r, bool flat) {
    if (flat) {
        FrameRect(p, r, ToQColor(clWindowFrame));
    } else {
        const QRect q = r.ToQRect();
        Bevel(p, q, ToQColor(clBtnHighlight), ToQColor(cl3DDkShadow));
        Bevel(p, q.adjusted(1, 1, -1, -1), ToQColor(cl3DLight), ToQColor(clBtnShadow));
    }
    r.Shrink(2);
    p.fillRect(r.ToQRect(), ToQColor(clBtnFace));
}

// The dotted focus rectangle: every other pixel of the border.
void DrawFocusRect(QPainter& p, const TRect& r) {
    const QColor color = ToQColor(clBtnText);
    for (int x = r.left; x < r.right; ++x)
        for (int y : {r.top, r.bottom - 1})
            if ((x + y) % 2 == 0) p.fillRect(QRect(x, y, 1, 1), color);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x : {r.left, r.right - 1})
            if ((x + y) % 2 == 0) p.fillRect(QRect(x, y, 1, 1), color);
}

// Diagonal lines every four pixels, anchored at the button's origin, over
// whatever is drawn there.
void Hatch(QPainter& p, const TRect& r) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if ((x + y) % 4 == 3) p.fillRect(QRect(x, y, 1, 1), Qt::black);
}

// The arrow with its background (the colour of its bottom-left pixel) see-through.
QImage LoadArrow(const QString& resource) {
    QImage image = QImage(resource).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) return image;
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == transparent) image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

} // namespace

TDropColorButton::TDropColorButton(QWidget* parent) : QPushButton(parent) {
    InitControlsResources();
    arrow_ = LoadArrow(QStringLiteral(":/DROPCOLOR_ARROW_BMP"));
    arrowDisabled_ = LoadArrow(QStringLiteral(":/DROPCOLOR_ARROW_DISABLED_BMP"));
    setText(QString());
    InitDefaultColors();
    resize(45, 22);
    connect(this, &QPushButton::clicked, this, &TDropColorButton::Click);
}

TDropColorButton::~TDropColorButton() {
    try {
        SaveCustomColors();
    } catch (...) {
        // A destructor must not throw; the colours are only lost for the next run.
    }
}

void TDropColorButton::InitDefaultColors() {
    paletteColors_ = DefaultPaletteColors();
    for (int x = 1; x <= 8; ++x)
        for (int y = 1; y <= 2; ++y)
            customColors_.SetColors(x, y, clWhite);
    otherColor_ = clBtnFace;
}

void TDropColorButton::SetStyle(TButtonStyle style) {
    if (style == style_) return;
    style_ = style;
    update();
}

void TDropColorButton::SetColor(TColor color) {
    if (color == color_) return;
    color_ = color;
    update();
    DoColorChange();
}

void TDropColorButton::SetFlat(bool flat) {
    if (flat == flat_) return;
    flat_ = flat;
    update();
}

void TDropColorButton::DoColorChange() {
    if (OnColorChange) OnColorChange(this);
}

bool TDropColorButton::MouseInside() const {
    return underMouse();
}

void TDropColorButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const TRect client{0, 0, width(), height()};
    const bool down = isDown() || droppedDown_;
    const bool focus = hasFocus();
    const bool disabled = !isEnabled();
    const bool flatFrame = flat_ && !MouseInside() && !focus;

    TRect r = client;
    if (down) {
        Rectangle(p, r, clWindowFrame, nullptr);
        r.Shrink(1);
        Rectangle(p, r, clBtnShadow, &clBtnFace);
        r.Shrink(1);
    } else {
        if (style_ == bsWin31 && !flatFrame) {
            Rectangle(p, r, clBtnShadow, &clBtnFace);
            r.Shrink(1);
        }
        DrawPushFrame(p, r, flatFrame);
        if (flatFrame) {
            // Wipe the border away: a flat button shows none until hovered or focused.
            r.Shrink(-2);
            FrameRect(p, r, ToQColor(clBtnFace));
            r.Shrink(2);
        }
    }

    r = client;
    if (down) r = {r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
    r.Shrink(3);
    if (focus) DrawFocusRect(p, r);
    r.Shrink(1);
    r.Shrink(2, 1);
    r.right -= 10;

    // The swatch.
    if (disabled) {
        FrameRect(p, r, ToQColor(clWindowFrame));
        r.Shrink(1);
        Hatch(p, r);
        r.Shrink(-1);
    } else {
        Rectangle(p, r, clWindowFrame, &color_);
    }

    // The separator.
    const int x = r.right + 3;
    p.fillRect(QRect(x, r.top, 1, r.bottom - r.top), ToQColor(clBtnShadow));
    p.fillRect(QRect(x + 1, r.top, 1, r.bottom - r.top), ToQColor(clBtnHighlight));

    // The arrow, one pixel right of the highlight line, without its last row and column.
    const QImage& arrow = disabled ? arrowDisabled_ : arrow_;
    if (!arrow.isNull()) {
        const int top = r.top + (r.bottom - r.top) / 2 - arrow.height() / 2;
        p.drawImage(QPoint(x + 2, top), arrow, QRect(0, 0, arrow.width() - 1, arrow.height() - 1));
    }
}

void TDropColorButton::showEvent(QShowEvent* event) {
    QPushButton::showEvent(event);
    if (!customColorsLoaded_) LoadCustomColors();
}

void TDropColorButton::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    if (flat_) update();
}

void TDropColorButton::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    if (flat_) update();
}

void TDropColorButton::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) update();
}

QPoint TDropColorButton::PalettePosition(QSize paletteSize) const {
    QPoint at = mapToGlobal(QPoint(0, height()));
    const QScreen* display = screen();
    if (display == nullptr) return at;
    const QRect work = display->availableGeometry();
    const int workRight = work.x() + work.width();
    const int workBottom = work.y() + work.height();
    if (at.y() + paletteSize.height() > workBottom) at = mapToGlobal(QPoint(0, -kAboveOffset));
    if (at.x() < work.left())
        at.setX(work.left());
    else if (at.x() + paletteSize.width() > workRight)
        at.setX(workRight - kRightOffset);
    return at;
}

void TDropColorButton::Click() {
    if (palette_ != nullptr) return;
    auto* palette = new TDropColorButtonPalette(this);
    palette->move(PalettePosition(palette->size()));
    palette->BtnOther()->setText(otherBtnCaption_);
    palette->SetOtherColor(otherColor_);
    palette->SetPaletteColors(paletteColors_);
    palette->SetCustomColors(customColors_);
    palette->SetSelectedColor(color_);
    palette->OnColorSelected = [this](QObject*, TColor color) { SetColor(color); };
    palette->OnPaletteClosed = [this](QObject*) { PaletteClosed(); };
    palette_ = palette;
    droppedDown_ = true;
    repaint();
    palette->show();
    palette->raise();
    palette->activateWindow();
}

void TDropColorButton::PaletteClosed() {
    if (palette_ == nullptr) return;
    // Colours defined in the colour dialog are kept for the next opening.
    customColors_.Assign(palette_->CustomColors());
    droppedDown_ = false;
    update();
    palette_ = nullptr;
}

void TDropColorButton::SetRegistryFileName(const QString& fileName) {
    RegistryFile() = fileName;
}

QString TDropColorButton::RegistryFileName() {
    if (!RegistryFile().isEmpty()) return RegistryFile();
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/registry.ini");
}

QString TDropColorButton::GetRegistryValueName() const {
    if (parentWidget() == nullptr) return objectName();
    return parentWidget()->objectName() + QLatin1Char('.') + objectName();
}

void TDropColorButton::LoadCustomColors() {
    registryValueName_ = GetRegistryValueName();
    customColorsLoaded_ = true;
    if (customColorsKey_.isEmpty()) return;
    QSettings registry(RegistryFileName(), QSettings::IniFormat);
    registry.beginGroup(customColorsKey_ + QStringLiteral("/Colors"));
    const QVariant value = registry.value(registryValueName_);
    // A hand-edited file may hold the text unquoted, which reads as a list.
    const QString text = value.typeId() == QMetaType::QStringList
                             ? value.toStringList().join(QLatin1Char(','))
                             : value.toString();
    if (text.isEmpty()) return;
    ParseCustomColors(text, customColors_);
}

void TDropColorButton::SaveCustomColors() {
    const QString text = FormatCustomColors(customColors_);
    if (customColorsKey_.isEmpty()) return;
    if (registryValueName_.isEmpty()) registryValueName_ = GetRegistryValueName();
    const QString fileName = RegistryFileName();
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QSettings registry(fileName, QSettings::IniFormat);
    registry.beginGroup(customColorsKey_ + QStringLiteral("/Colors"));
    registry.setValue(registryValueName_, text);
}
