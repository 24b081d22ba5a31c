#pragma once

#include "ParameterRange.h"

#include <QTableWidget>

#include <functional>
#include <optional>
#include <vector>

class QSlider;

// The sliders beside the parameter table: for each row of the table a row of
// its own with the slider's Min, the slider and its Max, kept level with the
// table's rows as they scroll, change height or are dragged to another place.
// Rows are addressed as the table addresses them (its logical rows).
//
// A row has a slider while its name is one the parsers accept and its value
// is a number. Its span is the one set for it, or the default span of the
// value; a value typed outside a set span brings the default back. The Min
// and Max cells are edited in place; a bad number, or ends out of order,
// is refused with the error display and the span stays.
//
// Moving a slider (mouse or keys: the arrows step 1/100 of the span, the page
// keys 1/10) fixes the span it moves in, writes the value into the table's
// Value cell as general number text and raises OnMove with the value that
// cell now reads. The table does not get the focus, so the move does not
// count as entering it.
class TParameterSliders : public QTableWidget {
    Q_OBJECT

public:
    // Positions of a slider from Min to Max.
    static constexpr int kPositions = 1000;

    TParameterSliders(QTableWidget* table, int nameColumn, int valueColumn,
                      QWidget* parent = nullptr);

    // The span set for a row; none: the default span of its value.
    std::optional<TParameterRange> Range(int row) const;
    void SetRange(int row, const std::optional<TParameterRange>& range);
    // The span a row's slider covers now (set or default); none without a slider.
    std::optional<TParameterRange> ShownRange(int row) const;

    // The table's column holding the parameters' names.
    int NameColumn() const { return nameColumn_; }

    // The row's slider, or null when the row has none.
    QSlider* Slider(int row) const;
    // Moves a row's slider to `value` as a drag there would: the Value cell
    // takes the value as general number text, the span stays when it holds
    // the value (else the default span of the value is shown) and OnMove is
    // raised with what the cell reads. False for a row without a slider.
    bool MoveTo(int row, double value);

    // A slider moved: the table row and the value its Value cell now reads.
    std::function<void(int row, double value)> OnMove;
    // The user set a row's span in its Min or Max cell.
    std::function<void(int row)> OnRangeEdit;

private:
    enum { kMinColumn, kSliderColumn, kMaxColumn };

    void Refresh(int row);
    void SliderMoved(int row, int position);
    void EndEdited(QTableWidgetItem* item);
    void ShowRange(int row, const TParameterRange& range);
    void FollowTable();

    QTableWidget* table_;
    int nameColumn_;
    int valueColumn_;
    std::vector<std::optional<TParameterRange>> ranges_;
    bool writing_ = false; // the panel itself is changing cells or positions
};
