#include "FixLabelAutoSize.h"

#include <QEvent>
#include <QLabel>
#include <QWidget>

void SetLabelAutoSize(QLabel* label, bool autoSize) {
    label->setProperty(kLabelAutoSizeProperty, autoSize);
    if (autoSize) label->resize(label->sizeHint());
}

bool LabelAutoSize(const QLabel* label) {
    return label->property(kLabelAutoSizeProperty).toBool();
}

TFixLabelAutoSize::TFixLabelAutoSize(QWidget* owner) : QObject(owner), owner_(owner) {
    if (owner_ != nullptr) owner_->installEventFilter(this);
}

void TFixLabelAutoSize::Loaded() {
    if (owner_ == nullptr) return;
    for (QLabel* label : owner_->findChildren<QLabel*>()) {
        if (qstricmp(label->metaObject()->className(), "QLabel") != 0) continue;
        if (!LabelAutoSize(label)) continue;
        // The layout may have been built with other fonts; size to the text now.
        label->ensurePolished();
        label->resize(label->sizeHint());
    }
}

bool TFixLabelAutoSize::eventFilter(QObject* watched, QEvent* event) {
    if (watched == owner_ && event->type() == QEvent::Show && !shown_) {
        shown_ = true;
        Loaded();
    }
    return QObject::eventFilter(watched, event);
}
