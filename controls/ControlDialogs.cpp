#include "ControlDialogs.h"

#include "QtColor.h"

#include <QApplication>
#include <QColorDialog>
#include <QMessageBox>

namespace {
TShowMessageFunc gShowMessage;
TColorDialogFunc gColorDialog;
} // namespace

void ShowControlMessage(QWidget* parent, const QString& text) {
    if (gShowMessage) {
        gShowMessage(parent, text);
        return;
    }
    // What was typed is shown as it stands, never read as rich text.
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

TShowMessageFunc SetShowMessageFunc(TShowMessageFunc func) {
    return std::exchange(gShowMessage, std::move(func));
}

bool RunColorDialog(QWidget* parent, TColor& color, TCustomColorList& customColors) {
    if (gColorDialog) return gColorDialog(parent, color, customColors);

    // Qt keeps the custom colours process-wide, two rows of eight laid out
    // column by column, the same order as the list.
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, ToQColor(customColors[static_cast<size_t>(i)]));
    QColorDialog dialog(ToQColor(color), parent);
    dialog.setOption(QColorDialog::DontUseNativeDialog, false);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    if (confirmed) {
        color = FromQColor(dialog.currentColor());
        for (int i = 0; i < 16; ++i)
            customColors[static_cast<size_t>(i)] = FromQColor(QColorDialog::customColor(i));
    }
    return confirmed;
}

TColorDialogFunc SetColorDialogFunc(TColorDialogFunc func) {
    return std::exchange(gColorDialog, std::move(func));
}
