#pragma once

#include "ParameterRange.h"
#include "ParameterRow.h"

#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QTableWidget;
class TParameterSliders;

// The Parameters tab: the parameter table (StringGrid1) beside its sliders,
// behind a divider. The user may drag the table's rows into another order;
// the rest of the program sees only the rows in displayed order and slider
// moves by the parameter's name, so nothing outside keeps a map from the
// table's rows to the rows some model was compiled from.
class TParameterPanel : public QWidget {
    Q_OBJECT

public:
    explicit TParameterPanel(QWidget* parent = nullptr);

    QTableWidget* Table() const { return table_; }
    TParameterSliders* Sliders() const { return sliders_; }

    // The rows in displayed order, with their sliders' spans, and back.
    // Writing rows is the program's doing, not a change by the user.
    std::vector<ParameterRow> Rows() const;
    void SetRows(const std::vector<ParameterRow>& rows);
    // Takes the text of an open cell editor into its cell.
    void CommitEdit();
    // The span the slider of the row shown at `shown` covers now; none
    // without a slider.
    std::optional<TParameterRange> ShownRange(std::size_t shown) const;

    // Moves the slider of the parameter `name` (the first row of that name,
    // letter case aside) to `value` as a drag would, raising OnMove and
    // OnChange. False when no row of that name has a slider.
    bool MoveParameter(const std::string& name, double value);

    // A slider moved: the name its row holds and the value its Value cell
    // now reads. Raised at once, so the next step of a run has the value.
    std::function<void(const std::string& name, double value)> OnMove;
    // The user changed the model in the table: typed into a cell, dragged a
    // row, moved a slider or set a span.
    std::function<void()> OnChange;

private:
    void Changed();

    QTableWidget* table_;
    TParameterSliders* sliders_;
    bool writing_ = false; // the program, not the user, is filling the table
};
