#include "Application.h"

#include "AppDialogs.h"
#include "ErrorText.h"

#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget>& MainFormSlot() {
    static QPointer<QWidget> form;
    return form;
}

// A closed dialog may still be the active window until the window system
// hands the activation back; a box centred on it would sit on nothing.
QWidget* BoxParent(QWidget* parent) {
    if (parent) return parent;
    QWidget* active = QApplication::activeWindow();
    return active && active->isVisible() ? active : MainForm();
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromLatin1(kApplicationTitle));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowErrorDisplay(error);
    } catch (...) {
        ShowErrorDisplay(std::string("Unknown error"));
    }
    return false;
}

void SetMainForm(QWidget* form) {
    if (!MainFormSlot()) MainFormSlot() = form;
}

QWidget* MainForm() {
    return MainFormSlot();
}

void ShowErrorDisplay(const std::exception& error, QWidget* parent) {
    ShowErrorDisplay(ErrorMessage(error), parent);
}

void ShowErrorDisplay(const std::string& message, QWidget* parent) {
    ShowErrorBox(BoxParent(parent), QString::fromLatin1(kApplicationTitle),
                 QString::fromStdString(ErrorDisplayText(message)));
}
