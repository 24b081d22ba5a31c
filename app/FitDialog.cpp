#include "FitDialog.h"

#include "Application.h"
#include "Exception.h"
#include "FloatText.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <exception>

namespace {

constexpr int kMostStarts = 100000;

QString Number(double value) {
    return QString::fromStdString(FloatToText(value));
}

double Bound(const QLineEdit* edit, const std::string& name, const char* which) {
    double value = 0;
    const std::string text = edit->text().trimmed().toStdString();
    if (!TryTextToFloat(text, value) || !std::isfinite(value))
        throw Exception(FormatMessage("%s of '%s' is not a number: '%s'", {which, name, text}));
    return value;
}

} // namespace

TFitDialog::TFitDialog(const TFitRequest& request, QWidget* parent)
    : QDialog(parent), request_(request) {
    setObjectName(QStringLiteral("FitDialog"));
    setWindowTitle(QStringLiteral("Fit"));
    auto* column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    column->addLayout(grid);
    const QStringList headers{QStringLiteral("Estimate"), QString(), QStringLiteral("From"),
                              QStringLiteral("To")};
    for (int c = 0; c < headers.size(); ++c)
        grid->addWidget(new QLabel(headers[c], this), 0, c);
    for (std::size_t i = 0; i < request_.rows.size(); ++i) {
        const TFitChoice& row = request_.rows[i];
        const int r = int(i) + 1;
        const QString suffix = QString::number(i);
        auto* chosen = new QCheckBox(this);
        chosen->setObjectName(QStringLiteral("Choose") + suffix);
        chosen->setChecked(row.chosen);
        // Names come from the model file: shown as they are, never as markup.
        auto* name = new QLabel(QString::fromStdString(row.name), this);
        name->setTextFormat(Qt::PlainText);
        name->setBuddy(chosen);
        auto* from = new QLineEdit(Number(row.from), this);
        from->setObjectName(QStringLiteral("From") + suffix);
        auto* to = new QLineEdit(Number(row.to), this);
        to->setObjectName(QStringLiteral("To") + suffix);
        grid->addWidget(chosen, r, 0, Qt::AlignCenter);
        grid->addWidget(name, r, 1);
        grid->addWidget(from, r, 2);
        grid->addWidget(to, r, 3);
        edits_.push_back({chosen, from, to});
    }
    logarithms_ = new QCheckBox(QStringLiteral("&Logarithmic residuals"), this);
    logarithms_->setObjectName(QStringLiteral("LogarithmsBox"));
    logarithms_->setChecked(request_.logarithms);
    column->addWidget(logarithms_);
    auto* startsRow = new QHBoxLayout;
    starts_ = new QSpinBox(this);
    starts_->setObjectName(QStringLiteral("StartsBox"));
    starts_->setRange(1, kMostStarts);
    starts_->setValue(request_.starts);
    auto* startsLabel = new QLabel(QStringLiteral("&Starts:"), this);
    startsLabel->setBuddy(starts_);
    startsRow->addWidget(startsLabel);
    startsRow->addWidget(starts_);
    startsRow->addStretch(1);
    column->addLayout(startsRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFitDialog::Accepting);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TFitRequest TFitDialog::Taken() const {
    TFitRequest taken = request_;
    bool any = false;
    for (std::size_t i = 0; i < taken.rows.size(); ++i) {
        TFitChoice& row = taken.rows[i];
        row.chosen = edits_[i].chosen->isChecked();
        // The bounds of a row not chosen are kept for the next time only when
        // they read as numbers.
        if (!row.chosen) {
            double from = 0, to = 0;
            if (TryTextToFloat(edits_[i].from->text().trimmed().toStdString(), from) &&
                TryTextToFloat(edits_[i].to->text().trimmed().toStdString(), to)) {
                row.from = from;
                row.to = to;
            }
            continue;
        }
        any = true;
        row.from = Bound(edits_[i].from, row.name, "From");
        row.to = Bound(edits_[i].to, row.name, "To");
        if (!(row.from < row.to))
            throw Exception(
                FormatMessage("The bounds of '%s' hold nothing: From %s is not below To %s",
                              {row.name, FloatToText(row.from), FloatToText(row.to)}));
        if (row.kind != TFitUnknown::TKind::Parameter && row.from < 0)
            throw Exception(FormatMessage("A density cannot be negative: From of '%s' is %s",
                                          {row.name, FloatToText(row.from)}));
    }
    if (!any) throw Exception("Choose at least one parameter or density to estimate");
    taken.logarithms = logarithms_->isChecked();
    taken.starts = starts_->value();
    return taken;
}

void TFitDialog::Accepting() {
    try {
        request_ = Taken();
        accept();
    } catch (const std::exception& error) {
        ShowErrorDisplay(error, this);
    }
}

bool AskFit(QWidget* parent, TFitRequest& request) {
    TFitDialog dialog(request, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    request = dialog.Taken();
    return true;
}
