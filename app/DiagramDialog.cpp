#include "DiagramDialog.h"

#include "Application.h"
#include "Exception.h"
#include "FloatText.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

QString Q(double value) {
    return QString::fromStdString(FloatToText(value));
}

} // namespace

bool AskDiagram(QWidget* parent, const std::vector<TSweepChoice>& choices,
                TDiagramRequest& request) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Bifurcation diagram"));
    auto* form = new QFormLayout(&dialog);
    auto* parameter = new QComboBox(&dialog);
    parameter->setObjectName(QStringLiteral("ParameterBox"));
    for (const TSweepChoice& choice : choices)
        parameter->addItem(QString::fromStdString(choice.name));
    auto* from = new QLineEdit(Q(request.from), &dialog);
    auto* to = new QLineEdit(Q(request.to), &dialog);
    from->setObjectName(QStringLiteral("FromEdit"));
    to->setObjectName(QStringLiteral("ToEdit"));
    auto* density = new QComboBox(&dialog);
    density->setObjectName(QStringLiteral("DensityBox"));
    density->addItems({QStringLiteral("N1"), QStringLiteral("N2")});
    density->setCurrentIndex(request.density == 2 ? 1 : 0);
    form->addRow(QStringLiteral("Parameter:"), parameter);
    form->addRow(QStringLiteral("From:"), from);
    form->addRow(QStringLiteral("To:"), to);
    form->addRow(QStringLiteral("Density:"), density);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);

    QObject::connect(parameter, &QComboBox::currentIndexChanged, &dialog, [&](int index) {
        if (index < 0 || index >= int(choices.size())) return;
        from->setText(Q(choices[std::size_t(index)].range.min));
        to->setText(Q(choices[std::size_t(index)].range.max));
    });
    // A parameter asked for before keeps the range it was asked for; any
    // other starts from its slider's span.
    const int start = parameter->findText(QString::fromStdString(request.name));
    if (start >= 0) {
        const QSignalBlocker quiet(parameter);
        parameter->setCurrentIndex(start);
    } else if (!choices.empty()) {
        from->setText(Q(choices.front().range.min));
        to->setText(Q(choices.front().range.max));
    }

    TDiagramRequest taken = request;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        try {
            taken.from = TextToFloat(from->text().toStdString());
            taken.to = TextToFloat(to->text().toStdString());
            if (taken.from == taken.to)
                throw Exception("From and To are equal: the range is empty");
            taken.name = parameter->currentText().toStdString();
            taken.density = density->currentIndex() + 1;
            dialog.accept();
        } catch (const std::exception& error) {
            ShowErrorDisplay(error);
        }
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return false;
    request = taken;
    return true;
}
