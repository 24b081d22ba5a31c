#include "AppDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

TAppDialogs& AppDialogs() {
    static TAppDialogs dialogs;
    return dialogs;
}

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) {
    if (AppDialogs().ShowError) return AppDialogs().ShowError(parent, caption, text);
    QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
}

bool AskYesNoBox(QWidget* parent, const QString& caption, const QString& text) {
    if (AppDialogs().AskYesNo) return AppDialogs().AskYesNo(parent, caption, text);
    return QMessageBox::warning(parent, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void ShowInfoBox(QWidget* parent, const QString& caption, const QString& text) {
    if (AppDialogs().ShowInfo) return AppDialogs().ShowInfo(parent, caption, text);
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    return out;
}

QString ChooseFileName(QWidget* parent, const TFileDialogSpec& dialogSpec) {
    if (AppDialogs().ChooseFile) return AppDialogs().ChooseFile(parent, dialogSpec);
    QFileDialog dialog(parent, dialogSpec.title);
    dialog.setNameFilters(QtNameFilters(dialogSpec.filter));
    dialog.setDefaultSuffix(dialogSpec.defaultExt);
    if (dialogSpec.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}
