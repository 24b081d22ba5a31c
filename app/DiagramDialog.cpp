#include "DiagramDialog.h"

#include "Exception.h"
#include "ParameterRangeDialog.h"

#include <QComboBox>
#include <QFormLayout>

bool AskDiagram(QWidget* parent, const std::vector<TSweepChoice>& choices,
                TDiagramRequest& request) {
    TParameterRangeDialog dialog(parent, QStringLiteral("Bifurcation diagram"), choices,
                                 request.name, request.from, request.to);
    auto* density = new QComboBox(&dialog);
    density->setObjectName(QStringLiteral("DensityBox"));
    density->addItems({QStringLiteral("N1"), QStringLiteral("N2")});
    density->setCurrentIndex(request.density == 2 ? 1 : 0);
    dialog.Form()->addRow(QStringLiteral("Density:"), density);

    TDiagramRequest taken = request;
    if (!dialog.Ask([&] {
            taken.from = dialog.From();
            taken.to = dialog.To();
            if (taken.from == taken.to)
                throw Exception("From and To are equal: the range is empty");
            taken.name = dialog.Name();
            taken.density = density->currentIndex() + 1;
        }))
        return false;
    request = taken;
    return true;
}
