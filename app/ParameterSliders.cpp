#include "ParameterSliders.h"

#include "Application.h"
#include "FloatText.h"
#include "Simulation.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSlider>
#include <QWheelEvent>

#include <cmath>

namespace {

QString Q(double value) {
    return QString::fromStdString(FloatToText(value));
}

// A slider in a scrolled list turns with the wheel only once it has been
// chosen, so that scrolling the list over it leaves the value alone.
class TRowSlider : public QSlider {
public:
    explicit TRowSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
        setRange(0, TParameterSliders::kPositions);
        setSingleStep(TParameterSliders::kPositions / 100);
        setPageStep(TParameterSliders::kPositions / 10);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void wheelEvent(QWheelEvent* event) override {
        if (hasFocus())
            QSlider::wheelEvent(event);
        else
            event->ignore();
    }
};

} // namespace

TParameterSliders::TParameterSliders(QTableWidget* table, int nameColumn, int valueColumn,
                                     QWidget* parent)
    : QTableWidget(table->rowCount(), 3, parent), table_(table), nameColumn_(nameColumn),
      valueColumn_(valueColumn), ranges_(std::size_t(table->rowCount())) {
    setObjectName(QStringLiteral("ParameterSliders"));
    setHorizontalHeaderLabels(
        {QStringLiteral("Min"), QStringLiteral("Slider"), QStringLiteral("Max")});
    horizontalHeader()->setSectionResizeMode(kSliderColumn, QHeaderView::Stretch);
    setColumnWidth(kMinColumn, 56);
    setColumnWidth(kMaxColumn, 56);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(table->verticalHeader()->defaultSectionSize());
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setMinimumWidth(150);
    for (int row = 0; row < rowCount(); ++row)
        for (int col : {kMinColumn, kSliderColumn, kMaxColumn})
            setItem(row, col, new QTableWidgetItem);
    FollowTable();

    connect(table_->model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last) {
                if (writing_) return;
                for (int row = first.row(); row <= last.row(); ++row)
                    Refresh(row);
            });
    connect(this, &QTableWidget::itemChanged, this, &TParameterSliders::EndEdited);
    for (int row = 0; row < rowCount(); ++row)
        Refresh(row);
}

// Scrolling, row heights and row order follow the table; the panel's own
// scroll bar is the table's.
void TParameterSliders::FollowTable() {
    const auto levelBars = [this](int, int max) {
        setHorizontalScrollBarPolicy(max > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    };
    QScrollBar* theirs = table_->verticalScrollBar();
    connect(theirs, &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, theirs, &QScrollBar::setValue);
    // A horizontal bar under the table shortens its rows' view; one under the
    // panel keeps both views the same height, so the rows stay level.
    connect(table_->horizontalScrollBar(), &QScrollBar::rangeChanged, this, levelBars);
    levelBars(0, table_->horizontalScrollBar()->maximum());
    QHeaderView* handles = table_->verticalHeader();
    connect(handles, &QHeaderView::sectionResized, this,
            [this](int row, int, int height) { setRowHeight(row, height); });
    connect(handles, &QHeaderView::sectionMoved, this,
            [this](int, int from, int to) { verticalHeader()->moveSection(from, to); });
}

std::optional<TParameterRange> TParameterSliders::Range(int row) const {
    return row >= 0 && row < int(ranges_.size()) ? ranges_[std::size_t(row)] : std::nullopt;
}

void TParameterSliders::SetRange(int row, const std::optional<TParameterRange>& range) {
    if (row < 0 || row >= int(ranges_.size())) return;
    ranges_[std::size_t(row)] = range;
    Refresh(row);
}

std::optional<TParameterRange> TParameterSliders::ShownRange(int row) const {
    const QTableWidgetItem* name = table_->item(row, nameColumn_);
    const QTableWidgetItem* cell = table_->item(row, valueColumn_);
    double value = 0;
    if (!name || !cell || !IsParameterName(name->text().toStdString()) ||
        !TryTextToFloat(cell->text().toStdString(), value))
        return std::nullopt;
    return Range(row).value_or(DefaultRange(value));
}

QSlider* TParameterSliders::Slider(int row) const {
    return qobject_cast<QSlider*>(cellWidget(row, kSliderColumn));
}

void TParameterSliders::Refresh(int row) {
    if (row < 0 || row >= rowCount()) return;
    std::optional<TParameterRange>& set = ranges_[std::size_t(row)];
    const std::optional<TParameterRange> shown = ShownRange(row);
    if (!shown) {
        writing_ = true;
        removeCellWidget(row, kSliderColumn);
        for (int col : {kMinColumn, kMaxColumn}) {
            item(row, col)->setText(QString());
            item(row, col)->setFlags(Qt::NoItemFlags);
        }
        writing_ = false;
        return;
    }
    const double value = TextToFloat(table_->item(row, valueColumn_)->text().toStdString());
    if (set && (value < set->min || value > set->max)) set.reset();
    ShowRange(row, set.value_or(DefaultRange(value)));
}

void TParameterSliders::ShowRange(int row, const TParameterRange& range) {
    writing_ = true;
    item(row, kMinColumn)->setText(Q(range.min));
    item(row, kMaxColumn)->setText(Q(range.max));
    for (int col : {kMinColumn, kMaxColumn})
        item(row, col)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsEditable);
    QSlider* slider = Slider(row);
    if (!slider) {
        slider = new TRowSlider(this);
        // Dragging rows changes where they are shown, not their numbers.
        connect(slider, &QSlider::valueChanged, this, [this, row](int position) {
            if (!writing_) SliderMoved(row, position);
        });
        setCellWidget(row, kSliderColumn, slider);
    }
    const double value = TextToFloat(table_->item(row, valueColumn_)->text().toStdString());
    slider->setValue(int(std::lround(FractionOf(range, value) * kPositions)));
    slider->setToolTip(table_->item(row, nameColumn_)->text());
    writing_ = false;
}

void TParameterSliders::SliderMoved(int row, int position) {
    const std::optional<TParameterRange> range = ShownRange(row);
    if (!range) return;
    ranges_[std::size_t(row)] = range;
    // The value is what the cell will read back, so a later Start binds it
    // unchanged.
    const std::string text = FloatToText(ValueAt(*range, double(position) / kPositions));
    writing_ = true;
    table_->item(row, valueColumn_)->setText(QString::fromStdString(text));
    writing_ = false;
    if (OnMove) OnMove(row, TextToFloat(text));
}

bool TParameterSliders::MoveTo(int row, double value) {
    const std::optional<TParameterRange> range = ShownRange(row);
    if (!range) return false;
    if (value >= range->min && value <= range->max) ranges_[std::size_t(row)] = range;
    const std::string text = FloatToText(value);
    writing_ = true;
    table_->item(row, valueColumn_)->setText(QString::fromStdString(text));
    writing_ = false;
    Refresh(row);
    if (OnMove) OnMove(row, TextToFloat(text));
    return true;
}

void TParameterSliders::EndEdited(QTableWidgetItem* edited) {
    if (writing_ || edited->column() == kSliderColumn) return;
    const int row = edited->row();
    const std::optional<TParameterRange> before = ShownRange(row);
    if (!before) return;
    try {
        const TParameterRange range = RangeFromText(item(row, kMinColumn)->text().toStdString(),
                                                    item(row, kMaxColumn)->text().toStdString());
        ranges_[std::size_t(row)] = range;
        ShowRange(row, range);
        if (OnRangeEdit) OnRangeEdit(row);
    } catch (const std::exception& error) {
        ShowRange(row, *before);
        ShowErrorDisplay(error, this);
    }
}
