#pragma once

#include <QApplication>

#include <exception>

// The program's title: the main window's caption and every message box's.
inline constexpr char kApplicationTitle[] = "Tarnivell Simulation";

// The application object. An error thrown by any handler is caught where Qt
// dispatches the event and shown by the error display; the program then goes
// on with the next event.
class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The error display: the message and a full stop, the application title as
// caption, the stop icon and OK.
void ShowErrorDisplay(const std::exception& error);
void ShowErrorDisplay(const std::string& message);
