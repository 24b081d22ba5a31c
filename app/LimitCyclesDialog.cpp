#include "LimitCyclesDialog.h"

#include "FloatText.h"
#include "LimitCycleText.h"
#include "TableText.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

TLimitCyclesDialog::TLimitCyclesDialog(const TLimitCycles* found, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("LimitCyclesDialog"));
    setWindowTitle(QStringLiteral("Limit cycles"));
    auto* column = new QVBoxLayout(this);

    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    column->addWidget(message_);

    table_ = new QTableWidget(0, int(kCycleColumns.size()), this);
    QStringList header;
    for (const std::string& name : kCycleColumns)
        header << QString::fromStdString(name);
    table_->setHorizontalHeaderLabels(header);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    column->addWidget(table_);

    notes_ = new QLabel(this);
    notes_->setObjectName(QStringLiteral("LimitCyclesNotes"));
    notes_->setTextFormat(Qt::PlainText);
    notes_->setWordWrap(true);
    notes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(notes_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("CopyButton"));
    connect(copy, &QPushButton::clicked, this, &TLimitCyclesDialog::CopyToClipboard);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);

    Show(found);
    // Wide enough for every column, as far as the screen allows.
    int width = 2 * table_->frameWidth() + column->contentsMargins().left() +
                column->contentsMargins().right();
    for (int col = 0; col < table_->columnCount(); ++col)
        width += std::max(table_->columnWidth(col), 90);
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().width() : width;
    resize(std::clamp(width + 4, 320, std::max(320, room)), 280);
}

void TLimitCyclesDialog::Show(const TLimitCycles* found) {
    const std::vector<TLimitCycle> none;
    const std::vector<TLimitCycle>& cycles = found ? found->cycles : none;
    QString message;
    if (!found)
        message = QString::fromUtf8(kSearching);
    else if (!found->error.empty())
        message = QString::fromStdString(found->error) + QLatin1Char('.');
    else if (found->centre)
        message = QLatin1String(kCentreNote);
    else if (cycles.empty())
        message = QLatin1String(kNoneFound) + QLatin1Char('.');
    message_->setText(message);
    message_->setVisible(!message.isEmpty());

    table_->setRowCount(int(cycles.size()));
    for (std::size_t row = 0; row < cycles.size(); ++row) {
        const std::vector<std::string> fields =
            CycleFields(cycles[row], [](double v) { return FloatToText(v); });
        for (std::size_t col = 0; col < fields.size(); ++col)
            table_->setItem(int(row), int(col),
                            new QTableWidgetItem(QString::fromStdString(fields[col])));
    }
    table_->resizeColumnsToContents();

    QStringList notes;
    if (found && found->error.empty()) {
        for (const std::string& note : found->unresolved)
            notes << QString::fromStdString(note) + QLatin1Char('.');
        if (found->box.IsValid()) {
            const TPlaneRect& b = found->box;
            const auto n = [](double v) { return QString::fromStdString(FloatToText(v + 0.0, 6)); };
            notes << QStringLiteral("The box searched: N1 from %1 to %2, N2 from %3 to %4.")
                         .arg(n(b.n1Min), n(b.n1Max), n(b.n2Min), n(b.n2Max));
        }
    }
    notes_->setText(notes.join(QLatin1Char('\n')));
    notes_->setVisible(!notes.isEmpty());
}

QString TLimitCyclesDialog::TableText() const {
    return TabSeparatedText(*table_);
}

void TLimitCyclesDialog::CopyToClipboard() const {
    QGuiApplication::clipboard()->setText(TableText());
}
