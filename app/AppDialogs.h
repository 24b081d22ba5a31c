#pragma once

#include <QString>

#include <functional>

class QWidget;

// The message boxes and file dialogs of the main window. Each goes through a
// replaceable function so that tests and benchmarks answer without a modal
// loop; unassigned, the real dialog is shown.

// What a file dialog is asked for: its title (empty: the platform's own), the
// filter in "Text|pattern|Text|pattern" form, the default extension without
// its dot, and whether it is a save dialog (asking before overwriting).
struct TFileDialogRequest {
    QString title;
    QString filter;
    QString defaultExt;
    bool save = false;
};

// The save dialog of a graph's bitmap: the platform's own title, bitmaps.
inline const TFileDialogRequest kBitmapFileDialog{
    QString(), QStringLiteral("Bitmaps|*.bmp|All Files|*.*"), QStringLiteral("bmp"), true};

// The save dialog of data exported as comma-separated values.
inline const TFileDialogRequest kCsvFileDialog{
    QStringLiteral("Export Data"), QStringLiteral("Comma-separated values|*.csv|All Files|*.*"),
    QStringLiteral("csv"), true};

enum class TSaveAnswer { Save, Discard, Cancel };

struct TAppDialogs {
    // A box with the stop icon and an OK button.
    std::function<void(QWidget* parent, const QString& caption, const QString& text)> ShowError;
    // A box with the warning icon and Yes/No buttons, Enter answering
    // `defaultYes`; true for Yes.
    std::function<bool(QWidget* parent, const QString& caption, const QString& text,
                       bool defaultYes)>
        AskYesNo;
    // A box with the warning icon and Save, Discard and Cancel buttons.
    std::function<TSaveAnswer(QWidget* parent, const QString& caption, const QString& text)>
        AskSave;
    // A box without an icon and with an OK button.
    std::function<void(QWidget* parent, const QString& caption, const QString& text)> ShowInfo;
    // The chosen file name, or empty when the user cancelled.
    std::function<QString(QWidget* parent, const TFileDialogRequest& dialogRequest)> ChooseFile;
    // One of a few choices; its index, or -1 when the user cancelled.
    std::function<int(QWidget* parent, const QString& caption, const QString& text,
                      const QStringList& choices)>
        ChooseItem;
    // One line of text, `text` offered first; false when the user cancelled.
    std::function<bool(QWidget* parent, const QString& caption, const QString& label,
                       QString& text)>
        AskText;
};

// The functions in force; assign members to replace them, clear to restore.
TAppDialogs& AppDialogs();

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text);
bool AskYesNoBox(QWidget* parent, const QString& caption, const QString& text,
                 bool defaultYes = true);
// Save is the default button; closing the box is Cancel.
TSaveAnswer AskSaveBox(QWidget* parent, const QString& caption, const QString& text);
void ShowInfoBox(QWidget* parent, const QString& caption, const QString& text);
// In a save dialog the default extension follows the chosen filter when that
// names one extension, so "plot" saved under "SVG|*.svg" becomes "plot.svg".
QString ChooseFileName(QWidget* parent, const TFileDialogRequest& dialogRequest);
int ChooseItemBox(QWidget* parent, const QString& caption, const QString& text,
                  const QStringList& choices);
bool AskTextBox(QWidget* parent, const QString& caption, const QString& label, QString& text);

// The small "Solver" dialog with the relative and absolute tolerance of the
// adaptive methods. OK takes both only when both are positive numbers (else
// the error is shown and the dialog stays); Cancel changes nothing. True when
// the tolerances were taken.
bool EditSolverTolerances(QWidget* parent, double& relTol, double& absTol);

// "Text|*.ini|All Files|*.*" as a Qt name filter list ("Text (*.ini)", ...).
QStringList QtNameFilters(const QString& filter);
