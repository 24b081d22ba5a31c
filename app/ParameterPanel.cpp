#include "ParameterPanel.h"

#include "ModelFile.h"
#include "ParameterSliders.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr int kColumns = 3; // Name, Value, Description; the row handles are the header
constexpr int kNameColumn = 0;
constexpr int kValueColumn = 1;
constexpr int kDescriptionColumn = 2;
constexpr int kRowHandleWidth = 24;

} // namespace

TParameterPanel::TParameterPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ParameterPanel1"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    table_ = new QTableWidget(kParameterRows, kColumns, this);
    table_->setObjectName(QStringLiteral("StringGrid1"));
    // The row handles are the table's fixed first column: empty, and dragged
    // to reorder the rows.
    QHeaderView* handles = table_->verticalHeader();
    handles->setSectionsMovable(true);
    handles->setFixedWidth(kRowHandleWidth);
    handles->setDefaultSectionSize(22);
    table_->setVerticalHeaderLabels(QStringList(kParameterRows, QString()));
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    table_->setColumnWidth(kNameColumn, 83);
    table_->setColumnWidth(kValueColumn, 80);
    table_->setColumnWidth(kDescriptionColumn, 374);
    table_->setTabKeyNavigation(true);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Value"), QStringLiteral("Description")});
    sliders_ = new TParameterSliders(table_, kNameColumn, kValueColumn, this);

    // A narrow window scrolls the descriptions; a wide one gives the table no
    // more than its columns need and the rest to the sliders.
    int columns = handles->minimumWidth() + 2 * table_->frameWidth() +
                  table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int col = 0; col < table_->columnCount(); ++col)
        columns += table_->columnWidth(col);
    table_->setMaximumWidth(columns);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("ParameterSplitter"));
    split->setChildrenCollapsible(false);
    split->addWidget(table_);
    split->addWidget(sliders_);
    split->setSizes({380, 220});
    column->addWidget(split);

    sliders_->OnMove = [this](int row, double value) {
        Changed();
        const QTableWidgetItem* name = table_->item(row, kNameColumn);
        if (name && OnMove) OnMove(name->text().toStdString(), value);
    };
    sliders_->OnRangeEdit = [this](int) { Changed(); };
    connect(table_, &QTableWidget::itemChanged, this, [this] {
        if (!writing_) Changed();
    });
    connect(handles, &QHeaderView::sectionMoved, this, &TParameterPanel::Changed);
}

void TParameterPanel::Changed() {
    if (OnChange) OnChange();
}

// A cell still being edited holds what the user sees; Alt+S and the menus
// leave the focus in it, so nothing else would take it into the table.
void TParameterPanel::CommitEdit() {
    QWidget* editor = table_->indexWidget(table_->currentIndex());
    if (!editor) return;
    QAbstractItemDelegate* delegate = table_->itemDelegateForIndex(table_->currentIndex());
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

std::vector<ParameterRow> TParameterPanel::Rows() const {
    const auto cell = [this](int row, int col) {
        const QTableWidgetItem* item = table_->item(row, col);
        return item ? item->text().toStdString() : std::string();
    };
    std::vector<ParameterRow> rows;
    const QHeaderView* handles = table_->verticalHeader();
    for (int shown = 0; shown < table_->rowCount(); ++shown) {
        const int row = handles->logicalIndex(shown);
        rows.push_back({cell(row, kNameColumn), cell(row, kValueColumn),
                        cell(row, kDescriptionColumn), sliders_->Range(row)});
    }
    return rows;
}

void TParameterPanel::SetRows(const std::vector<ParameterRow>& rows) {
    const auto put = [this](int row, int col, const std::string& text) {
        const QString value = QString::fromStdString(text);
        if (QTableWidgetItem* item = table_->item(row, col)) {
            if (item->text() != value) item->setText(value);
        } else if (!value.isEmpty()) {
            table_->setItem(row, col, new QTableWidgetItem(value));
        }
    };
    const bool writing = std::exchange(writing_, true);
    const QHeaderView* handles = table_->verticalHeader();
    for (int shown = 0; shown < table_->rowCount(); ++shown) {
        const int row = handles->logicalIndex(shown);
        const ParameterRow empty;
        const ParameterRow& r = shown < static_cast<int>(rows.size()) ? rows[shown] : empty;
        put(row, kNameColumn, r.name);
        put(row, kValueColumn, r.value);
        put(row, kDescriptionColumn, r.description);
        // After the value: a span is kept only while the value lies in it.
        sliders_->SetRange(row, r.range);
    }
    writing_ = writing;
}

bool TParameterPanel::MoveParameter(const std::string& name, double value) {
    const QString wanted = QString::fromStdString(name);
    const QHeaderView* handles = table_->verticalHeader();
    for (int shown = 0; shown < table_->rowCount(); ++shown) {
        const int row = handles->logicalIndex(shown);
        const QTableWidgetItem* item = table_->item(row, kNameColumn);
        if (item && item->text().trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return sliders_->MoveTo(row, value);
    }
    return false;
}

std::optional<TParameterRange> TParameterPanel::ShownRange(std::size_t shown) const {
    return sliders_->ShownRange(table_->verticalHeader()->logicalIndex(int(shown)));
}
