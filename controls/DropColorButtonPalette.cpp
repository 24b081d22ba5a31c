#include "DropColorButtonPalette.h"

#include "ControlDialogs.h"
#include "QtColor.h"
#include "SwatchPainting.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int kCellSize = 18;
constexpr int kOtherTop = 98;
constexpr int kOtherHeight = 21;

QRgb Resolved(TColor color) {
    return ToQColor(color).rgb();
}

} // namespace

TDropColorButtonPalette::TDropColorButtonPalette(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint), paletteColors_(DefaultPaletteColors()),
      btnOther_(new QPushButton(QStringLiteral("&Other"), this)) {
    setObjectName(QStringLiteral("CBtnForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    QPalette colors = palette();
    colors.setColor(QPalette::Window, ToQColor(clBtnFace));
    setPalette(colors);
    setAutoFillBackground(true);

    btnOther_->setObjectName(QStringLiteral("btnOther"));
    btnOther_->setFocusPolicy(Qt::NoFocus);
    btnOther_->setGeometry(1, kOtherTop, kClientWidth - 22, kOtherHeight);
    btnOther_->installEventFilter(this);
    connect(btnOther_, &QPushButton::clicked, this, &TDropColorButtonPalette::BtnOtherClick);
    setFixedSize(kClientWidth, kOtherTop + kOtherHeight + 2);

    appState_ = connect(qApp, &QGuiApplication::applicationStateChanged, this,
                        &TDropColorButtonPalette::ApplicationStateChanged);
}

TDropColorButtonPalette::~TDropColorButtonPalette() {
    disconnect(appState_);
}

bool TDropColorButtonPalette::IsValidCell(QPoint cell) {
    return cell == kOtherCell || (cell.x() >= 1 && cell.x() <= 4 && cell.y() >= 1 && cell.y() <= 5);
}

QPoint TDropColorButtonPalette::CellAt(QPoint client) {
    const int x = client.x();
    const int y = client.y();
    if (x >= kClientWidth - 19 && x <= kClientWidth - 1 && y >= 96 && y <= 113) return kOtherCell;
    // Truncating division: points just left of or above the grid fall into the
    // first column or row, as the cells' frames reach there.
    const QPoint cell(x / kCellSize + 1, y / kCellSize + 1);
    return IsValidCell(cell) && cell != kOtherCell ? cell : kNoCell;
}

QRect TDropColorButtonPalette::CellRect(QPoint cell) {
    QPoint inner;
    if (cell == kOtherCell)
        inner = QPoint(kClientWidth - 18, kOtherTop + (kOtherHeight - 16) / 2);
    else
        inner = QPoint(kCellSize * cell.x() - 17, kCellSize * cell.y() - 17);
    return QRect(inner.x() - 1, inner.y() - 1, kCellSize, kCellSize);
}

TColor TDropColorButtonPalette::CellColor(QPoint cell) const {
    if (cell == kOtherCell) return other_;
    return paletteColors_.Colors(cell.x(), cell.y());
}

void TDropColorButtonPalette::SetOtherColor(TColor color) {
    other_ = color;
    update();
}

void TDropColorButtonPalette::SetPaletteColors(const TColorArrayClass& colors) {
    paletteColors_.Assign(colors);
    update();
}

void TDropColorButtonPalette::SetSelectedColor(TColor color) {
    selected_ = color;
    for (int x = 1; x <= 4; ++x)
        for (int y = 1; y <= 5; ++y)
            if (Resolved(paletteColors_.Colors(x, y)) == Resolved(color)) {
                highlighted_ = QPoint(x, y);
                update();
                return;
            }
    // A colour the palette lacks is offered in the other swatch.
    SetOtherColor(color);
}

void TDropColorButtonPalette::UpdateHover(QPoint cell) {
    // Over gaps, the separator or the button the last highlight stays.
    if (cell == highlighted_ || cell == kNoCell) return;
    highlighted_ = cell;
    update();
}

void TDropColorButtonPalette::paintEvent(QPaintEvent*) {
    // The swatch under the cursor is drawn highlighted in this same pass.
    const QPoint hovered = CellAt(mapFromGlobal(QCursor::pos()));
    if (hovered != kNoCell) highlighted_ = hovered;
    QPainter p(this);
    const QColor background = palette().color(QPalette::Window);
    auto drawCell = [&](QPoint cell) {
        QRect r = CellRect(cell);
        if (cell == highlighted_) {
            FrameRect(p, r, ToQColor(cl3DDkShadow));
            r.adjust(1, 1, -1, -1);
            FrameRect(p, r, ToQColor(clBtnHighlight));
            r.adjust(1, 1, -1, -1);
            FrameRect(p, r, ToQColor(cl3DDkShadow));
        } else {
            FrameRect(p, r, background);
            r.adjust(1, 1, -1, -1);
            Bevel(p, r, ToQColor(clBtnShadow), ToQColor(clBtnHighlight));
            r.adjust(1, 1, -1, -1);
            Bevel(p, r, ToQColor(cl3DDkShadow), ToQColor(cl3DLight));
        }
        r.adjust(1, 1, -1, -1);
        p.fillRect(r, ToQColor(CellColor(cell)));
    };
    for (int x = 1; x <= 4; ++x)
        for (int y = 1; y <= 5; ++y)
            drawCell(QPoint(x, y));
    p.fillRect(QRect(2, 93, width() - 4, 1), ToQColor(clBtnShadow));
    p.fillRect(QRect(2, 94, width() - 4, 1), ToQColor(clBtnHighlight));
    drawCell(kOtherCell);
}

void TDropColorButtonPalette::mouseMoveEvent(QMouseEvent* event) {
    UpdateHover(CellAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void TDropColorButtonPalette::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint cell = CellAt(event->position().toPoint());
    if (OnColorSelected && cell != kNoCell) OnColorSelected(this, CellColor(cell));
    // A click anywhere closes, also on a gap or the separator.
    close();
}

void TDropColorButtonPalette::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TDropColorButtonPalette::eventFilter(QObject* watched, QEvent* event) {
    // The window sees key presses before its button.
    if (watched == btnOther_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TDropColorButtonPalette::closeEvent(QCloseEvent* event) {
    if (dialogOpen_) {
        event->ignore();
        return;
    }
    event->accept();
    if (closed_) return;
    closed_ = true;
    if (OnPaletteClosed) OnPaletteClosed(this);
}

void TDropColorButtonPalette::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() &&
        !dialogOpen_ && !closed_)
        close();
    QWidget::changeEvent(event);
}

void TDropColorButtonPalette::ApplicationStateChanged(Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive && !dialogOpen_ && isVisible()) close();
}

void TDropColorButtonPalette::BtnOtherClick() {
    TCustomColorList custom{};
    for (int x = 1; x <= 8; ++x)
        for (int y = 1; y <= 2; ++y)
            custom[static_cast<size_t>((x - 1) * 2 + (y - 1))] = customColors_.Colors(x, y);
    TColor color = other_;
    dialogOpen_ = true;
    bool confirmed = false;
    try {
        confirmed = RunColorDialog(this, color, custom);
    } catch (...) {
        dialogOpen_ = false;
        throw;
    }
    dialogOpen_ = false;
    if (!confirmed) return;
    other_ = color;
    for (int x = 1; x <= 8; ++x)
        for (int y = 1; y <= 2; ++y)
            customColors_.SetColors(x, y, custom[static_cast<size_t>((x - 1) * 2 + (y - 1))]);
    if (OnColorSelected) OnColorSelected(this, other_);
    close();
}
