// The main window's parameter sliders and Run > Sweep...: kept apart from the
// rest of the window, which they reach only through the table and Sim.
#include "MainWindow.h"

#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "Exception.h"
#include "ModelFile.h"
#include "ModelSweep.h"
#include "ParameterSliders.h"
#include "SweepDialog.h"
#include "SweepWindow.h"

#include <QHeaderView>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <optional>

QWidget* TForm1::ParameterSplitter(QWidget* page) {
    // A narrow window scrolls the descriptions; a wide one gives the table no
    // more than its columns need and the rest to the sliders.
    int columns = StringGrid1->verticalHeader()->minimumWidth() + 2 * StringGrid1->frameWidth() +
                  StringGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int col = 0; col < StringGrid1->columnCount(); ++col)
        columns += StringGrid1->columnWidth(col);
    StringGrid1->setMaximumWidth(columns);
    auto* split = new QSplitter(Qt::Horizontal, page);
    split->setObjectName(QStringLiteral("ParameterSplitter"));
    split->setChildrenCollapsible(false);
    split->addWidget(StringGrid1);
    split->addWidget(ParameterSliders1);
    split->setSizes({380, 220});
    return split;
}

std::vector<int> TForm1::ShownRows() const {
    std::vector<int> rows;
    for (int shown = 0; shown < StringGrid1->rowCount(); ++shown)
        rows.push_back(StringGrid1->verticalHeader()->logicalIndex(shown));
    return rows;
}

void TForm1::ParameterSliderMove(int row, double value) {
    // The run and the plane each bound the rows where they were shown then;
    // the row may have been dragged since.
    const QTableWidgetItem* name = StringGrid1->item(row, ParameterSliders1->NameColumn());
    const std::string text = name ? name->text().toStdString() : std::string();
    const auto indexIn = [row](const std::vector<int>& rows) -> std::optional<std::size_t> {
        const auto at = std::find(rows.begin(), rows.end(), row);
        if (at == rows.end()) return std::nullopt;
        return std::size_t(at - rows.begin());
    };
    if (const auto bound = indexIn(boundRows_); name && bound)
        Sim.MoveParameter(*bound, text, value);
    if (!Plane.IsBound()) {
        planeDirty_ = true;
    } else if (const auto bound = indexIn(planeRows_); name && bound) {
        if (Plane.MoveParameter(*bound, text, value)) planeDirty_ = true;
    }
    if (!parametersMoved_->isActive()) parametersMoved_->start();
    if (planeDirty_ && !planeMoved_->isActive()) planeMoved_->start();
}

void TForm1::Sweep1Click() {
    Pause();
    const TModel model = ScreenModel();
    CheckParameterNames(model.rows);
    std::vector<TSweepChoice> choices;
    const std::vector<int> rows = ShownRows();
    for (std::size_t shown = 0; shown < rows.size(); ++shown)
        if (const auto range = ParameterSliders1->ShownRange(rows[shown]))
            choices.push_back({model.rows[shown].name, *range});
    if (choices.empty()) throw Exception("No parameter row has a name and a value to sweep");
    if (!AskSweep(this, choices, sweepRequest_)) return;

    const TSweepFactory factory = ModelSweepFactory(model, sweepRequest_);
    const std::optional<TSweepResult> result =
        RunSweepWithProgress(this, sweepRequest_.options, factory);
    if (!result) return;
    auto* window = new TSweepWindow(sweepRequest_.name, *result, ColorButton1->Color(),
                                    ColorButton2->Color(), this);
    window->show();
}
