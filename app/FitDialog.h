#pragma once

#include "FitResiduals.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QSpinBox;

// One row of the Fit dialog: a parameter or an initial density, whether it
// is estimated and the bounds it is held in.
struct TFitChoice {
    TFitUnknown::TKind kind = TFitUnknown::TKind::Parameter;
    std::string name;
    double from = 0, to = 1;
    bool chosen = false;
};

// What Run > Fit... asks for; the last request is offered again.
struct TFitRequest {
    std::vector<TFitChoice> rows; // the parameters, then N1 and N2
    bool logarithms = false;
    int starts = 20;
};

// The "Fit" dialog: a row per parameter and per initial density (a box that
// chooses it, its name, From and To), "Logarithmic residuals" and the number
// of starts. OK with nothing chosen or with bounds that are no numbers or
// hold nothing shows why and keeps the dialog open.
class TFitDialog : public QDialog {
    Q_OBJECT

public:
    TFitDialog(const TFitRequest& request, QWidget* parent = nullptr);

    // The rows as the dialog reads now; throws Exception saying what is wrong.
    TFitRequest Taken() const;

private:
    struct TRowEdits {
        QCheckBox* chosen;
        QLineEdit* from;
        QLineEdit* to;
    };

    void Accepting();

    TFitRequest request_;
    std::vector<TRowEdits> edits_;
    QCheckBox* logarithms_;
    QSpinBox* starts_;
};

// Runs the dialog; true with `request` updated when OK took it.
bool AskFit(QWidget* parent, TFitRequest& request);
