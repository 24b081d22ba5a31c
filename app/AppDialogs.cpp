#include "AppDialogs.h"

#include "Application.h"
#include "FloatText.h"
#include "SolverSettings.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>

TAppDialogs& AppDialogs() {
    static TAppDialogs dialogs;
    return dialogs;
}

namespace {

// A box whose text is shown as it stands. Messages carry text from files and
// typing; read as rich text, a model could show pictures, links that open
// programs, or markup deep enough to overflow the layout's stack.
int PlainBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
             QMessageBox::StandardButtons buttons,
             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) {
    QMessageBox box(icon, caption, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) {
    if (AppDialogs().ShowError) return AppDialogs().ShowError(parent, caption, text);
    PlainBox(parent, QMessageBox::Critical, caption, text, QMessageBox::Ok);
}

bool AskYesNoBox(QWidget* parent, const QString& caption, const QString& text, bool defaultYes) {
    if (AppDialogs().AskYesNo) return AppDialogs().AskYesNo(parent, caption, text, defaultYes);
    return PlainBox(parent, QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No,
                    defaultYes ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

TSaveAnswer AskSaveBox(QWidget* parent, const QString& caption, const QString& text) {
    if (AppDialogs().AskSave) return AppDialogs().AskSave(parent, caption, text);
    switch (PlainBox(parent, QMessageBox::Warning, caption, text,
                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                     QMessageBox::Save)) {
    case QMessageBox::Save:
        return TSaveAnswer::Save;
    case QMessageBox::Discard:
        return TSaveAnswer::Discard;
    default:
        return TSaveAnswer::Cancel;
    }
}

void ShowInfoBox(QWidget* parent, const QString& caption, const QString& text) {
    if (AppDialogs().ShowInfo) return AppDialogs().ShowInfo(parent, caption, text);
    PlainBox(parent, QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
}

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    return out;
}

QString ChooseFileName(QWidget* parent, const TFileDialogRequest& dialogRequest) {
    if (AppDialogs().ChooseFile) return AppDialogs().ChooseFile(parent, dialogRequest);
    QFileDialog dialog(parent, dialogRequest.title);
    dialog.setNameFilters(QtNameFilters(dialogRequest.filter));
    dialog.setDefaultSuffix(dialogRequest.defaultExt);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        static const QRegularExpression oneExtension(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
        const QRegularExpressionMatch match = oneExtension.match(filter);
        dialog.setDefaultSuffix(match.hasMatch() ? match.captured(1) : dialogRequest.defaultExt);
    });
    if (dialogRequest.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

int ChooseItemBox(QWidget* parent, const QString& caption, const QString& text,
                  const QStringList& choices) {
    if (AppDialogs().ChooseItem) return AppDialogs().ChooseItem(parent, caption, text, choices);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, caption, text, choices, 0, false, &ok);
    return ok ? static_cast<int>(choices.indexOf(chosen)) : -1;
}

bool AskTextBox(QWidget* parent, const QString& caption, const QString& label, QString& text) {
    if (AppDialogs().AskText) return AppDialogs().AskText(parent, caption, label, text);
    bool ok = false;
    const QString typed =
        QInputDialog::getText(parent, caption, label, QLineEdit::Normal, text, &ok);
    if (ok) text = typed;
    return ok;
}

bool EditSolverTolerances(QWidget* parent, double& relTol, double& absTol) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Solver"));
    auto* form = new QFormLayout(&dialog);
    auto* rel = new QLineEdit(QString::fromStdString(FloatToText(relTol)), &dialog);
    auto* abs = new QLineEdit(QString::fromStdString(FloatToText(absTol)), &dialog);
    rel->setObjectName(QStringLiteral("RelTolEdit"));
    abs->setObjectName(QStringLiteral("AbsTolEdit"));
    form->addRow(QStringLiteral("Relative tolerance:"), rel);
    form->addRow(QStringLiteral("Absolute tolerance:"), abs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    double newRel = relTol, newAbs = absTol;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        try {
            newRel = ToleranceFromText(rel->text().toStdString());
            newAbs = ToleranceFromText(abs->text().toStdString());
            dialog.accept();
        } catch (const std::exception& error) {
            ShowErrorDisplay(error);
        }
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return false;
    relTol = newRel;
    absTol = newAbs;
    return true;
}
