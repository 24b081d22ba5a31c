#include "Application.h"

#include "AppDialogs.h"
#include "ErrorText.h"

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

void ShowErrorDisplay(const std::exception& error) {
    ShowErrorDisplay(std::string(error.what()));
}

void ShowErrorDisplay(const std::string& message) {
    ShowErrorBox(QApplication::activeWindow(), QString::fromLatin1(kApplicationTitle),
                 QString::fromStdString(ErrorDisplayText(message)));
}
