#include "EquilibriaDialog.h"

#include "FloatText.h"
#include "PlaneAnalysis.h"
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

namespace {
const char* const kNoneFound = "No equilibria in the range shown or the default box";
} // namespace

TEquilibriaDialog::TEquilibriaDialog(const TEquilibria& found, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EquilibriaDialog"));
    setWindowTitle(QStringLiteral("Equilibria"));
    auto* column = new QVBoxLayout(this);

    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setTextFormat(Qt::PlainText);
    if (!found.error.empty())
        message_->setText(QString::fromStdString(found.error) + QLatin1Char('.'));
    else if (found.points.empty() && found.curves.empty())
        message_->setText(QLatin1String(kNoneFound) + QLatin1Char('.'));
    message_->setVisible(!message_->text().isEmpty());
    column->addWidget(message_);

    table_ = new QTableWidget(int(found.points.size()), int(kEquilibriumColumns.size()), this);
    QStringList header;
    for (const std::string& name : kEquilibriumColumns)
        header << QString::fromStdString(name);
    table_->setHorizontalHeaderLabels(header);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (std::size_t row = 0; row < found.points.size(); ++row) {
        const std::vector<std::string> fields =
            EquilibriumFields(found.points[row], [](double v) { return FloatToText(v); });
        for (std::size_t col = 0; col < fields.size(); ++col)
            table_->setItem(int(row), int(col),
                            new QTableWidgetItem(QString::fromStdString(fields[col])));
    }
    table_->resizeColumnsToContents();
    column->addWidget(table_);

    notes_ = new QLabel(this);
    notes_->setObjectName(QStringLiteral("EquilibriaNotes"));
    notes_->setTextFormat(Qt::PlainText);
    notes_->setWordWrap(true);
    notes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QStringList notes;
    for (const TEquilibriumCurve& c : found.curves)
        notes << QString::fromStdString(CurveNote(c)) + QLatin1Char('.');
    if (found.error.empty() && found.box.IsValid()) {
        const TPlaneRect& b = found.box;
        const auto n = [](double v) { return QString::fromStdString(FloatToText(v + 0.0, 6)); };
        notes << QStringLiteral("The box searched: N1 from %1 to %2, N2 from %3 to %4.")
                     .arg(n(b.n1Min), n(b.n1Max), n(b.n2Min), n(b.n2Max));
    }
    notes_->setText(notes.join(QLatin1Char('\n')));
    notes_->setVisible(!notes.isEmpty());
    column->addWidget(notes_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("CopyButton"));
    connect(copy, &QPushButton::clicked, this, &TEquilibriaDialog::CopyToClipboard);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    // Wide enough for every column, kind included, as far as the screen allows.
    int width = 2 * table_->frameWidth() + column->contentsMargins().left() +
                column->contentsMargins().right();
    for (int col = 0; col < table_->columnCount(); ++col)
        width += table_->columnWidth(col);
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().width() : width;
    resize(std::clamp(width + 4, 320, std::max(320, room)), 280);
}

QString TEquilibriaDialog::TableText() const {
    return TabSeparatedText(*table_);
}

void TEquilibriaDialog::CopyToClipboard() const {
    QGuiApplication::clipboard()->setText(TableText());
}
