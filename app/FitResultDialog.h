#pragma once

#include "Fit.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class TFitWorker;

// The fit as plain text: a line per estimate (value, standard error, 95 %
// interval, or "not identifiable"), SSR, points and AIC, the correlation
// matrix, whether it converged and why not, and how a cancelled or troubled
// run ended.
QString FitResultText(const TFitResult& result);

// A fit running and then its result, in a window of its own beside the main
// one: while it runs, the starts done of how many and the least SSR so far,
// and Cancel (which keeps the best so far); then the result as copyable text
// with Apply (the estimates into the window) and Revert (the values from
// before). Closing it cancels a fit still running.
class TFitResultDialog : public QDialog {
    Q_OBJECT

public:
    explicit TFitResultDialog(QWidget* parent = nullptr);
    ~TFitResultDialog() override;

    // Starts the fit; a fit this dialog still runs is cancelled and dropped.
    void Run(std::unique_ptr<TCompiledModel> model, TObservedData data, TFitOptions options);
    bool Done() const { return done_; }
    const TFitResult& Result() const { return result_; }

    QLabel* Progress = nullptr;
    QPlainTextEdit* Text = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ApplyButton = nullptr;
    QPushButton* RevertButton = nullptr;
    QPushButton* ResidualsButton = nullptr;

    std::function<void(const TFitResult& result)> OnApply;
    std::function<void()> OnRevert;
    std::function<void(const TFitResult& result)> OnResiduals;

private:
    void Finished(const TFitResult& result);

    TFitWorker* worker_;
    TFitResult result_;
    int starts_ = 0;
    bool done_ = false;
};
