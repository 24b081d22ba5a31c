#pragma once

#include <QApplication>

#include <exception>

// The program's title: the main window's caption and every message box's.
inline constexpr char kApplicationTitle[] = "Tarnivell Simulation";
// The version the About box and `--version` name.
inline constexpr char kProgramVersion[] = "1.0b";

// The application object. An error thrown by any handler is caught where Qt
// dispatches the event and shown by the error display; the program then goes
// on with the next event.
class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The program's main window: the first one registered that still exists.
// Boxes with no active window to sit on are centred on it.
void SetMainForm(QWidget* form);
QWidget* MainForm();

// The error display: the message and a full stop, the application title as
// caption, the stop icon and OK. The box is centred on `parent`; without one,
// on the active window, or on the main window when none is active (as right
// after a file dialog has closed).
void ShowErrorDisplay(const std::exception& error, QWidget* parent = nullptr);
void ShowErrorDisplay(const std::string& message, QWidget* parent = nullptr);
