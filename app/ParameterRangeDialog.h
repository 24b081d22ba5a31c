#pragma once

#include "SweepDialog.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QFormLayout;
class QLineEdit;

// What the Sweep and Bifurcation diagram dialogs share: a form whose first
// rows are the parameter from `choices` (ParameterBox), From (FromEdit) and
// To (ToEdit). Choosing a parameter puts its span into From and To. A
// parameter asked for before (`name`) keeps the range it was asked for
// (`from`, `to`); any other starts with the first choice and its span.
class TParameterRangeDialog : public QDialog {
public:
    TParameterRangeDialog(QWidget* parent, const QString& title,
                          const std::vector<TSweepChoice>& choices, const std::string& name,
                          double from, double to);

    // The form, for the rows that follow these.
    QFormLayout* Form() const { return form_; }

    std::string Name() const;
    // From and To as numbers; text that is none throws.
    double From() const;
    double To() const;

    // Adds OK and Cancel below the rows and runs the dialog. OK calls `take`,
    // which reads the rows; when it throws, the error is shown and the
    // dialog stays. True when the dialog was accepted.
    bool Ask(const std::function<void()>& take);

private:
    QFormLayout* form_;
    QComboBox* parameter_;
    QLineEdit* from_;
    QLineEdit* to_;
};
