#include "FitResultDialog.h"

#include "FitWorker.h"
#include "FloatText.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kDigits = 6;

// In characters, not bytes: names may be any letters.
std::size_t Width(const std::string& text) {
    return std::size_t(QString::fromStdString(text).size());
}

std::string Number(double value) {
    return std::isfinite(value) ? FloatToText(value, kDigits) : std::string("-");
}

// Columns padded to their widest cell, two blanks apart, so that the text
// reads as a table in a fixed font and pastes as one.
std::string Columns(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (widths.size() <= c) widths.push_back(0);
            widths[c] = std::max(widths[c], Width(row[c]));
        }
    std::string text;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line += std::string(widths[c] - Width(row[c]) + 2, ' ');
        }
        text += line + '\n';
    }
    return text;
}

} // namespace

QString FitResultText(const TFitResult& result) {
    if (!result.error.empty())
        return QString::fromStdString("Nothing was fitted: " + result.error + ".\n");
    std::vector<std::vector<std::string>> table{
        {"name", "estimate", "standard error", "95 % interval"}};
    for (const TFitEstimate& e : result.estimates) {
        if (!e.identifiable)
            table.push_back({e.name, Number(e.value), "not identifiable", ""});
        else
            table.push_back(
                {e.name, Number(e.value), Number(e.standardError),
                 std::isfinite(e.lower95) ? Number(e.lower95) + " to " + Number(e.upper95) : "-"});
    }
    std::string text = Columns(table);
    text += "\nSSR " + Number(result.ssr) + ", " + std::to_string(result.points) + " points, AIC " +
            Number(result.aic) + "\n";

    std::vector<std::vector<std::string>> matrix{{""}};
    for (const TFitEstimate& e : result.estimates)
        matrix[0].push_back(e.name);
    for (std::size_t i = 0; i < result.correlation.size(); ++i) {
        std::vector<std::string> row{result.estimates[i].name};
        for (double r : result.correlation[i])
            row.push_back(std::isfinite(r) ? FloatToText(std::round(r * 1e4) / 1e4) : "-");
        matrix.push_back(row);
    }
    text += "\nCorrelation\n" + Columns(matrix);

    text += "\n";
    for (const TFitEstimate& e : result.estimates)
        if (!e.identifiable)
            text += "'" + e.name +
                    "' is not identifiable: the data determine it only together with others.\n";
    if (result.cancelled)
        text += "Cancelled after " + std::to_string(result.startsDone) +
                " starts: the best point so far.\n";
    if (result.converged)
        text += "Converged.\n";
    else
        text += "Did not converge: " + result.why + ".\n";
    if (result.startsFailed > 0)
        text += std::to_string(result.startsFailed) + " starts could not be integrated.\n";
    if (result.badSteps > 0)
        text += std::to_string(result.badSteps) +
                " trial points could not be integrated and were turned down.\n";
    return QString::fromStdString(text);
}

TFitResultDialog::TFitResultDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FitResultDialog"));
    setWindowTitle(QStringLiteral("Fit"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 420);
    auto* column = new QVBoxLayout(this);
    // Texts from the run (names from the model file, the minimiser's reasons)
    // are never markup.
    Progress = new QLabel(this);
    Progress->setTextFormat(Qt::PlainText);
    column->addWidget(Progress);
    Text = new QPlainTextEdit(this);
    Text->setReadOnly(true);
    Text->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    column->addWidget(Text, 1);
    auto* buttons = new QHBoxLayout;
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    ApplyButton = new QPushButton(QStringLiteral("&Apply"), this);
    RevertButton = new QPushButton(QStringLiteral("&Revert"), this);
    ResidualsButton = new QPushButton(QStringLiteral("Re&siduals"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {CancelButton, ApplyButton, RevertButton, ResidualsButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(close);
    column->addLayout(buttons);
    ApplyButton->setEnabled(false);
    RevertButton->setEnabled(false);
    ResidualsButton->setEnabled(false);

    worker_ = new TFitWorker(this);
    worker_->OnProgress = [this](int done, double bestSsr) {
        Progress->setText(QStringLiteral("%1 of %2 starts done, least SSR %3")
                              .arg(done)
                              .arg(starts_)
                              .arg(QString::fromStdString(Number(bestSsr))));
    };
    worker_->OnResult = [this](const TFitResult& result) { Finished(result); };
    connect(CancelButton, &QPushButton::clicked, this, [this] { worker_->Cancel(); });
    connect(ApplyButton, &QPushButton::clicked, this, [this] {
        if (OnApply) OnApply(result_);
        RevertButton->setEnabled(true);
    });
    connect(RevertButton, &QPushButton::clicked, this, [this] {
        if (OnRevert) OnRevert();
        RevertButton->setEnabled(false);
    });
    connect(ResidualsButton, &QPushButton::clicked, this, [this] {
        if (OnResiduals) OnResiduals(result_);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
}

// The worker goes first, while the dialog its answers would reach is whole.
TFitResultDialog::~TFitResultDialog() {
    delete worker_;
}

void TFitResultDialog::Run(std::unique_ptr<TCompiledModel> model, TObservedData data,
                           TFitOptions options) {
    done_ = false;
    starts_ = options.starts;
    Progress->setText(QStringLiteral("0 of %1 starts done").arg(starts_));
    Text->clear();
    CancelButton->setEnabled(true);
    ApplyButton->setEnabled(false);
    ResidualsButton->setEnabled(false);
    worker_->Run(std::move(model), std::move(data), std::move(options));
}

void TFitResultDialog::Finished(const TFitResult& result) {
    result_ = result;
    done_ = true;
    CancelButton->setEnabled(false);
    const bool fitted = result_.error.empty() && !result_.estimates.empty();
    ApplyButton->setEnabled(fitted);
    ResidualsButton->setEnabled(fitted);
    Progress->setText(
        fitted ? QStringLiteral("%1 of %2 starts done").arg(result_.startsDone).arg(starts_)
               : QStringLiteral("The fit failed"));
    Text->setPlainText(FitResultText(result_));
}
