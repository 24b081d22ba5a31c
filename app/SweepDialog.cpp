#include "SweepDialog.h"

#include "Application.h"
#include "FloatText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include <algorithm>
#include <limits>

namespace {

QString Q(double value) {
    return QString::fromStdString(FloatToText(value));
}

QSpinBox* MakeCount(QDialog* dialog, const char* name, int least, int most, long long value) {
    auto* box = new QSpinBox(dialog);
    box->setObjectName(QLatin1String(name));
    box->setRange(least, most);
    box->setValue(int(std::clamp<long long>(value, least, most)));
    return box;
}

// The orbit diagram keeps every row to draw it: more values than a screen
// has pixels across only cost memory.
constexpr int kMaxDiagramValues = 100000;

// Before a first sweep: enough values for an orbit diagram.
constexpr int kFirstValues = 100;

} // namespace

bool AskSweep(QWidget* parent, const std::vector<TSweepChoice>& choices, TSweepRequest& request) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Sweep"));
    auto* form = new QFormLayout(&dialog);
    auto* parameter = new QComboBox(&dialog);
    parameter->setObjectName(QStringLiteral("ParameterBox"));
    for (const TSweepChoice& choice : choices)
        parameter->addItem(QString::fromStdString(choice.name));
    const TSweepOptions& asked = request.options;
    const bool first = request.name.empty();
    auto* from = new QLineEdit(Q(asked.from), &dialog);
    auto* to = new QLineEdit(Q(asked.to), &dialog);
    from->setObjectName(QStringLiteral("FromEdit"));
    to->setObjectName(QStringLiteral("ToEdit"));
    QSpinBox* count =
        MakeCount(&dialog, "CountBox", 1, kMaxDiagramValues, first ? kFirstValues : asked.count);
    QSpinBox* steps =
        MakeCount(&dialog, "StepsBox", 1, std::numeric_limits<int>::max(), asked.steps);
    auto* follow = new QCheckBox(
        QStringLiteral("Start each run where the one before ended (in order: hysteresis)"),
        &dialog);
    follow->setObjectName(QStringLiteral("FollowBox"));
    follow->setChecked(asked.follow);
    form->addRow(QStringLiteral("Parameter:"), parameter);
    form->addRow(QStringLiteral("From:"), from);
    form->addRow(QStringLiteral("To:"), to);
    form->addRow(QStringLiteral("Values:"), count);
    form->addRow(QStringLiteral("Most steps per run:"), steps);
    form->addRow(follow);
    auto* note = new QLabel(
        QStringLiteral("Each run goes on until it settles on an equilibrium or a cycle, and its "
                       "minima and maxima are the equilibrium's or those over the cycle's last "
                       "period. Runs that have not settled within their steps are drawn as "
                       "hollow grey symbols."),
        &dialog);
    note->setWordWrap(true);
    form->addRow(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);

    QObject::connect(parameter, &QComboBox::currentIndexChanged, &dialog, [&](int index) {
        if (index < 0 || index >= int(choices.size())) return;
        from->setText(Q(choices[std::size_t(index)].range.min));
        to->setText(Q(choices[std::size_t(index)].range.max));
    });
    // The request's own span stays when it names a choice; otherwise the
    // first choice comes with its span.
    const int start = parameter->findText(QString::fromStdString(request.name));
    if (start >= 0) {
        const QSignalBlocker quiet(parameter);
        parameter->setCurrentIndex(start);
    } else if (!choices.empty()) {
        from->setText(Q(choices.front().range.min));
        to->setText(Q(choices.front().range.max));
    }

    TSweepRequest taken = request;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        try {
            taken.options.from = TextToFloat(from->text().toStdString());
            taken.options.to = TextToFloat(to->text().toStdString());
            taken.name = parameter->currentText().toStdString();
            taken.options.count = count->value();
            taken.options.steps = steps->value();
            taken.options.follow = follow->isChecked();
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
