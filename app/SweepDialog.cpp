#include "SweepDialog.h"

#include "ParameterRangeDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>
#include <limits>

namespace {

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
    const TSweepOptions& asked = request.options;
    TParameterRangeDialog dialog(parent, QStringLiteral("Sweep"), choices, request.name, asked.from,
                                 asked.to);
    const bool first = request.name.empty();
    QSpinBox* count =
        MakeCount(&dialog, "CountBox", 1, kMaxDiagramValues, first ? kFirstValues : asked.count);
    QSpinBox* steps =
        MakeCount(&dialog, "StepsBox", 1, std::numeric_limits<int>::max(), asked.steps);
    auto* follow = new QCheckBox(
        QStringLiteral("Start each run where the one before ended (in order: hysteresis)"),
        &dialog);
    follow->setObjectName(QStringLiteral("FollowBox"));
    follow->setChecked(asked.follow);
    QFormLayout* form = dialog.Form();
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

    TSweepRequest taken = request;
    if (!dialog.Ask([&] {
            taken.options.from = dialog.From();
            taken.options.to = dialog.To();
            taken.name = dialog.Name();
            taken.options.count = count->value();
            taken.options.steps = steps->value();
            taken.options.follow = follow->isChecked();
        }))
        return false;
    request = taken;
    return true;
}
