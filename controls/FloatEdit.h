#pragma once

#include "NotifyEvent.h"

#include <QLineEdit>

// A one-line edit for one decimal number between `Min` and `Max`. Keystrokes
// are filtered so that only a plausible number can be typed; the value is
// shown with `Digits` significant digits in the program's general number text.
// Leaving the field validates it: a bad text puts back the value the field
// had when it was entered and keeps the focus.
//
// `OnExit` fires once before the validation (a handler reading `Value` sees
// the typed text) and, when the text was valid, once more after it has been
// normalised.
class TFloatEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int Digits READ Digits WRITE SetDigits)
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(double Min READ Min WRITE SetMin)
    Q_PROPERTY(double Max READ Max WRITE SetMax)
    Q_PROPERTY(QString ErrorMessage READ ErrorMessage WRITE SetErrorMessage)

public:
    static constexpr int kMaxDigits = 18;
    // The ErrorMessage that means "show nothing".
    static const QString kNoMessage;

    explicit TFloatEdit(QWidget* parent = nullptr);

    int Digits() const { return digits_; }
    void SetDigits(int digits);
    double Value() const;
    void SetValue(double value);
    double Min() const { return min_; }
    void SetMin(double value);
    double Max() const { return max_; }
    void SetMax(double value);
    QString ErrorMessage() const { return errorMessage_; }
    void SetErrorMessage(const QString& message) { errorMessage_ = message; }

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // True when the key was taken care of here and must not reach the edit.
    bool FilterKey(QChar key);
    void Leave();
    void ShowErrorMessage();
    QString NumberText(double value) const;

    int digits_ = 1;
    double min_ = 0;
    double max_ = 99999999.9;
    QString errorMessage_ = kNoMessage;
    double savedValue_ = 0;
    bool entered_ = false;
    bool leaving_ = false;
};
