#include "ParameterRangeDialog.h"

#include "Application.h"
#include "FloatText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSignalBlocker>

#include <exception>

namespace {

QString Q(double value) {
    return QString::fromStdString(FloatToText(value));
}

} // namespace

TParameterRangeDialog::TParameterRangeDialog(QWidget* parent, const QString& title,
                                             const std::vector<TSweepChoice>& choices,
                                             const std::string& name, double from, double to)
    : QDialog(parent), form_(new QFormLayout(this)), parameter_(new QComboBox(this)),
      from_(new QLineEdit(Q(from), this)), to_(new QLineEdit(Q(to), this)) {
    setWindowTitle(title);
    parameter_->setObjectName(QStringLiteral("ParameterBox"));
    for (const TSweepChoice& choice : choices)
        parameter_->addItem(QString::fromStdString(choice.name));
    from_->setObjectName(QStringLiteral("FromEdit"));
    to_->setObjectName(QStringLiteral("ToEdit"));
    form_->addRow(QStringLiteral("Parameter:"), parameter_);
    form_->addRow(QStringLiteral("From:"), from_);
    form_->addRow(QStringLiteral("To:"), to_);

    // The dialog lives no longer than the caller's choices.
    connect(parameter_, &QComboBox::currentIndexChanged, this, [this, &choices](int index) {
        if (index < 0 || index >= int(choices.size())) return;
        from_->setText(Q(choices[std::size_t(index)].range.min));
        to_->setText(Q(choices[std::size_t(index)].range.max));
    });
    const int start = parameter_->findText(QString::fromStdString(name));
    if (start >= 0) {
        const QSignalBlocker quiet(parameter_);
        parameter_->setCurrentIndex(start);
    } else if (!choices.empty()) {
        from_->setText(Q(choices.front().range.min));
        to_->setText(Q(choices.front().range.max));
    }
}

std::string TParameterRangeDialog::Name() const {
    return parameter_->currentText().toStdString();
}

double TParameterRangeDialog::From() const {
    return TextToFloat(from_->text().toStdString());
}

double TParameterRangeDialog::To() const {
    return TextToFloat(to_->text().toStdString());
}

bool TParameterRangeDialog::Ask(const std::function<void()>& take) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form_->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this, &take] {
        try {
            take();
            accept();
        } catch (const std::exception& error) {
            ShowErrorDisplay(error);
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return exec() == QDialog::Accepted;
}
