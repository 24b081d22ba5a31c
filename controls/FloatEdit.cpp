#include "FloatEdit.h"

#include "ControlDialogs.h"
#include "FloatText.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include <cmath>

namespace {

constexpr int kMaxCandidateLength = 500;

QChar Separator() {
    return QChar::fromLatin1(DecimalSeparator());
}

bool ToNumber(const QString& text, double& value) {
    return TryTextToFloat(text.toStdString(), value);
}

// Focus that moves to another window or into a popup is not the user leaving
// the field: it comes back to the same field.
bool LeavesTheField(const QFocusEvent* event) {
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

} // namespace

const QString TFloatEdit::kNoMessage = QStringLiteral("[No Text]");

TFloatEdit::TFloatEdit(QWidget* parent) : QLineEdit(parent) {
    SetValue(0);
}

QString TFloatEdit::NumberText(double value) const {
    return QString::fromStdString(FloatToText(value, digits_));
}

void TFloatEdit::ShowErrorMessage() {
    if (errorMessage_ != kNoMessage) ShowControlMessage(this, errorMessage_);
}

double TFloatEdit::Value() const {
    QString s = text();
    if (s == QLatin1String("-") || s == Separator() || s.isEmpty()) s = QStringLiteral("0");
    double v = 0;
    if (!ToNumber(s, v)) v = min_;
    if (v < min_) v = min_;
    if (!(v <= max_)) v = max_;
    return v;
}

void TFloatEdit::SetValue(double value) {
    if (!(value <= max_)) {
        ShowErrorMessage();
        value = max_;
    }
    if (value < min_) {
        ShowErrorMessage();
        value = min_;
    }
    setText(NumberText(value));
}

void TFloatEdit::SetDigits(int digits) {
    digits = std::clamp(digits, 0, kMaxDigits);
    if (digits == digits_) return;
    digits_ = digits;
    SetValue(Value());
}

void TFloatEdit::SetMin(double value) {
    // A limit that is not a number would let every comparison pass.
    if (value == min_ || std::isnan(value)) return;
    if (value > max_) {
        ShowControlMessage(this,
                           QStringLiteral("Min-Value has to be less than or equal to Max-Value !"));
        value = max_;
    }
    min_ = value;
    SetValue(Value());
}

void TFloatEdit::SetMax(double value) {
    if (value == max_ || std::isnan(value)) return;
    if (value < min_) {
        ShowControlMessage(
            this, QStringLiteral("Max-Value has to be greater than or equal to Min-Value !"));
        value = min_;
    }
    max_ = value;
    SetValue(Value());
}

void TFloatEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (entered_) return;
    entered_ = true;
    savedValue_ = Value();
    if (OnEnter) OnEnter(this);
}

void TFloatEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!LeavesTheField(event) || leaving_) return;
    entered_ = false;
    leaving_ = true;
    try {
        Leave();
    } catch (...) {
        leaving_ = false;
        throw;
    }
    leaving_ = false;
}

void TFloatEdit::Leave() {
    const QString typed = text();
    if (OnExit) OnExit(this);
    double v = 0;
    const bool inRange = ToNumber(typed, v) && v >= min_ && v <= max_;
    // A value at a limit can show rounded past it (99999999.9 as "1E8"); the
    // field's own display of its value must never keep the user in it.
    if (!inRange && typed == NumberText(Value())) {
        if (OnExit) OnExit(this);
        return;
    }
    if (!inRange) {
        ShowErrorMessage();
        SetValue(savedValue_);
        selectAll();
        // The field is not left: taking the focus back is no new arrival.
        entered_ = true;
        setFocus(Qt::OtherFocusReason);
        return;
    }
    setText(NumberText(v));
    double shown = v;
    ToNumber(text(), shown);
    // Rounded past a limit, the text stays and the value is the limit.
    if (shown >= min_ && shown <= max_) SetValue(shown);
    if (OnExit) OnExit(this);
}

void TFloatEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    // Shortcuts (copy, paste, select all) and keys without a character go to
    // the edit unfiltered; pasted text is checked when the field is left.
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (typed.size() != 1 || shortcut) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QChar key = typed.front();
    if (key.unicode() == 27) {
        SetValue(savedValue_);
        selectAll();
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Editing keys that come with a control character (Backspace, Enter, Tab,
    // Delete as character 127) are the edit's own business.
    if (!key.isPrint() || !FilterKey(key)) QLineEdit::keyPressEvent(event);
}

bool TFloatEdit::FilterKey(QChar key) {
    const QChar sep = Separator();
    const QString current = text();
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int length = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
    const QString before = current.left(start);
    const QString after = current.mid(start + length);
    const QString rest = before + after;
    const QString candidate = (before + key + after).left(kMaxCandidateLength);

    const bool isDigit = key >= QLatin1Char('0') && key <= QLatin1Char('9');
    const bool isSep = key == sep;
    const bool isMinus = key == QLatin1Char('-');
    const qsizetype sepAt = candidate.indexOf(sep);
    const bool reject = (!isDigit && !isSep && !isMinus) || (isSep && rest.contains(sep)) ||
                        (isMinus && rest.contains(QLatin1Char('-'))) || (isMinus && !(min_ < 0)) ||
                        (isSep && digits_ == 0) ||
                        (sepAt >= 0 && candidate.size() - sepAt - 1 > digits_) ||
                        (isMinus && start != 0);
    if (reject) return true;

    // A lone sign or separator becomes a number at once, with its digit
    // selected so that the next key replaces it.
    if (candidate == QLatin1String("-")) {
        setText(QStringLiteral("-0"));
        setSelection(1, 1);
        return true;
    }
    if (candidate == QString(sep)) {
        setText(QStringLiteral("0") + sep + QStringLiteral("0"));
        setSelection(2, 1);
        return true;
    }
    return false;
}
