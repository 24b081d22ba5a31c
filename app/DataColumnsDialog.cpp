#include "DataColumnsDialog.h"

#include "AppDialogs.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

#include <algorithm>
#include <array>

namespace {

const QString kNone = QStringLiteral("(none)");

} // namespace

std::function<bool(QWidget*, const std::vector<std::string>&, TDataColumns&)>& DataColumnsAnswer() {
    static std::function<bool(QWidget*, const std::vector<std::string>&, TDataColumns&)> answer;
    return answer;
}

bool AskDataColumns(QWidget* parent, const std::vector<std::string>& header,
                    TDataColumns& columns) {
    if (DataColumnsAnswer()) return DataColumnsAnswer()(parent, header, columns);
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Data columns"));
    auto* form = new QFormLayout(&dialog);
    auto* note = new QLabel(
        QStringLiteral("Which columns hold the time and the counts of each species?"), &dialog);
    note->setTextFormat(Qt::PlainText);
    form->addRow(note);
    QStringList names;
    for (const std::string& name : header)
        names.append(QString::fromStdString(name));
    const std::array<std::string*, 3> chosen = {&columns.t, &columns.n1, &columns.n2};
    const std::array<const char*, 3> labels = {"Time:", "Species 1 (N1):", "Species 2 (N2):"};
    std::array<QComboBox*, 3> boxes{};
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i] = new QComboBox(&dialog);
        boxes[i]->setObjectName(QStringLiteral("DataColumn%1").arg(i));
        if (i > 0) boxes[i]->addItem(kNone);
        boxes[i]->addItems(names);
        // Each starts on its own column, so the usual order needs only OK.
        const int start = std::min<int>(int(i), int(names.size()) - 1);
        boxes[i]->setCurrentIndex(i == 0 ? 0 : std::max(start + 1, 0));
        form->addRow(QLatin1String(labels[i]), boxes[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (boxes[1]->currentIndex() == 0 && boxes[2]->currentIndex() == 0)
            return ShowErrorBox(&dialog, dialog.windowTitle(),
                                QStringLiteral("Choose a column for at least one species."));
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return false;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        *chosen[i] = i > 0 && boxes[i]->currentIndex() == 0 ? std::string()
                                                            : boxes[i]->currentText().toStdString();
    return true;
}
