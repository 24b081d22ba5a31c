#include "WindowDriver.h"

#include "FitResultDialog.h"
#include "FloatEdit.h"
#include "FloatText.h"
#include "PlotGraph.h"
#include "ResidualWindow.h"
#include "Series.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <exception>
#include <functional>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace {

// Logistic growth at the rate r·s (s = 1) from N1(0) = 5, observed yearly from 1990 (model time 0)
// with a known scatter; N2 stands still and is never observed.
constexpr double kR = 0.8, kK = 120, kN0 = 5;

double Logistic(double r, double k, double t, double n0 = kN0) {
    return k / (1 + (k / n0 - 1) * std::exp(-r * t));
}

TObservedData LogisticData() {
    TObservedData data;
    for (int i = 0; i <= 20; ++i) {
        data.t.push_back(1990 + i);
        data.n1.push_back(Logistic(kR, kK, i) + 0.4 * ((i * 7) % 5 - 2));
        data.n2.push_back(std::numeric_limits<double>::quiet_NaN());
    }
    return data;
}

class FitWindow : public TWindowDriver {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QString file = dir.filePath("logistic.ini");
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[Time]\nStep=0.1\n[Species 1]\nDensity=5\nRate=r*s*N1*(1 - N1/K)\n"
                  "[Species 2]\nDensity=1\nRate=0\n[Parameters]\nName1=r\nValue1=0.5\n"
                  "Name2=K\nValue2=100\nName3=s\nValue3=1\n");
        out.close();
        form.LoadModelSettings(file);
        ASSERT_EQ(Cell(1, 0), "K");
    }

    // Run > Fit... with `answer` filling in the set-up dialog (r is row 0, K
    // row 1, s row 2, then N1 and N2); the result window it opened, or null.
    TFitResultDialog* AskFit(const std::function<void(QDialog&)>& answer) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answer(*dialog);
        });
        form.Fit1->trigger();
        return form.findChild<TFitResultDialog*>();
    }

    static void Choose(QDialog& dialog, int row) {
        dialog.findChild<QCheckBox*>(QStringLiteral("Choose%1").arg(row))->setChecked(true);
    }
    static QPushButton* Button(QDialog& dialog, QDialogButtonBox::StandardButton which) {
        return dialog.findChild<QDialogButtonBox*>()->button(which);
    }
    static bool WaitDone(TFitResultDialog& result) {
        const QDeadlineTimer deadline(60000);
        while (!result.Done() && !deadline.hasExpired())
            QTest::qWait(20);
        return result.Done();
    }

    QTemporaryDir dir;
};

TEST_F(FitWindow, EstimatesTheLogisticAndApplyAndRevertSetTheTable) {
    form.SetObservedData(LogisticData());
    TFitResultDialog* result = AskFit([](QDialog& dialog) {
        Choose(dialog, 0);
        Choose(dialog, 1);
        Choose(dialog, 3);
        dialog.findChild<QSpinBox*>("StartsBox")->setValue(4);
        Button(dialog, QDialogButtonBox::Ok)->click();
    });
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(WaitDone(*result));
    const TFitResult& fit = result->Result();
    ASSERT_TRUE(fit.error.empty()) << fit.error;
    ASSERT_EQ(fit.estimates.size(), 3u);
    EXPECT_EQ(fit.points, 21u);
    EXPECT_TRUE(fit.converged) << fit.why;
    const double truth[3] = {kR, kK, kN0};
    for (int j = 0; j < 3; ++j) {
        const TFitEstimate& e = fit.estimates[std::size_t(j)];
        ASSERT_TRUE(e.identifiable && std::isfinite(e.standardError) && e.standardError > 0)
            << e.name;
        EXPECT_NEAR(e.value, truth[j], 3 * e.standardError) << e.name;
        EXPECT_TRUE(e.lower95 < truth[j] && truth[j] < e.upper95) << e.name;
    }
    const QString text = result->Text->toPlainText();
    EXPECT_TRUE(text.contains(QString::fromStdString(FloatToText(fit.estimates[0].value, 6))))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Converged")) << text.toStdString();

    result->ApplyButton->click();
    EXPECT_EQ(Cell(0, 1), QString::fromStdString(FloatToText(fit.estimates[0].value)));
    EXPECT_EQ(Cell(1, 1), QString::fromStdString(FloatToText(fit.estimates[1].value)));
    const double n0 = fit.estimates[2].value;
    EXPECT_NEAR(form.N1Edit->Value(), n0, 1e-4 * n0);
    EXPECT_EQ(form.N2Edit->Value(), 1);
    // The fitted run starts at the data's first time and spans them.
    const TSeries& fitted = S(5);
    ASSERT_GT(fitted.Points().size(), 2u);
    EXPECT_EQ(fitted.Points().front().X, 0);
    EXPECT_NEAR(fitted.Points().front().Y, n0, 1e-4 * n0);
    EXPECT_NEAR(fitted.Points().back().X, 20, 1e-9);
    EXPECT_NEAR(fitted.Points().back().Y,
                Logistic(fit.estimates[0].value, fit.estimates[1].value, 20, n0), 0.05);

    // The residuals are the model's with the estimates minus the counts.
    result->ResidualsButton->click();
    auto* residuals = form.findChild<TResidualWindow*>();
    ASSERT_NE(residuals, nullptr);
    const TObservedData data = LogisticData();
    ASSERT_EQ(residuals->Residuals().size(), data.Rows());
    for (std::size_t i = 0; i < data.Rows(); ++i) {
        const TResidual& r = residuals->Residuals()[i];
        EXPECT_EQ(r.t, data.t[i]);
        EXPECT_NEAR(r.value,
                    Logistic(fit.estimates[0].value, fit.estimates[1].value, double(i), n0) -
                        data.n1[i],
                    1e-4)
            << i;
    }

    result->RevertButton->click();
    EXPECT_EQ(Cell(0, 1), "0.5");
    EXPECT_EQ(Cell(1, 1), "100");
    EXPECT_EQ(form.N1Edit->Value(), kN0);
    EXPECT_TRUE(S(5).Points().empty());
}

// The fitted curve is drawn in the window's time step within limits, so
// that a tiny step does not hold the window up and a large one still gives
// a curve.
TEST_F(FitWindow, TheFittedCurveTakesABoundedNumberOfSteps) {
    form.SetObservedData(LogisticData());
    const struct {
        const char* dt;
        std::size_t points;
    } cases[] = {{"1e-4", 2001}, {"0.02", 1001}, {"5", 401}};
    for (const auto& c : cases) {
        SetStep(c.dt);
        TFitResultDialog* result = AskFit([](QDialog& dialog) {
            Choose(dialog, 0);
            dialog.findChild<QSpinBox*>("StartsBox")->setValue(1);
            Button(dialog, QDialogButtonBox::Ok)->click();
        });
        ASSERT_NE(result, nullptr);
        ASSERT_TRUE(WaitDone(*result));
        result->ApplyButton->click();
        EXPECT_EQ(S(5).Points().size(), c.points) << c.dt;
        EXPECT_NEAR(S(5).Points().back().X, 20, 1e-6) << c.dt;
    }
}

TEST_F(FitWindow, CancelKeepsTheBestSoFar) {
    form.SetObservedData(LogisticData());
    TFitResultDialog* result = AskFit([](QDialog& dialog) {
        Choose(dialog, 0);
        Choose(dialog, 1);
        Choose(dialog, 3);
        dialog.findChild<QSpinBox*>("StartsBox")->setValue(5000);
        Button(dialog, QDialogButtonBox::Ok)->click();
    });
    ASSERT_NE(result, nullptr);
    const QDeadlineTimer deadline(60000);
    while (result->Progress->text().startsWith("0 of") && !deadline.hasExpired())
        QTest::qWait(5);
    result->CancelButton->click();
    ASSERT_TRUE(WaitDone(*result));
    const TFitResult& fit = result->Result();
    EXPECT_TRUE(fit.cancelled);
    EXPECT_GE(fit.startsDone, 1);
    EXPECT_LT(fit.startsDone, 5000);
    EXPECT_EQ(fit.estimates.size(), 3u);
    EXPECT_TRUE(result->ApplyButton->isEnabled());
    EXPECT_TRUE(result->Text->toPlainText().contains("Cancelled"));
}

// A newer fit cancels the one running, and so does closing its window: had
// either waited for its 5000 starts, this would take minutes.
TEST_F(FitWindow, ANewerFitOrClosingCancelsTheRunningOne) {
    form.SetObservedData(LogisticData());
    const auto many = [](QDialog& dialog) {
        Choose(dialog, 0);
        Choose(dialog, 1);
        Choose(dialog, 3);
        dialog.findChild<QSpinBox*>("StartsBox")->setValue(5000);
        Button(dialog, QDialogButtonBox::Ok)->click();
    };
    QElapsedTimer clock;
    clock.start();
    const QPointer<TFitResultDialog> first = AskFit(many);
    ASSERT_FALSE(first.isNull());
    QTest::qWait(50);
    TFitResultDialog* second = AskFit(many);
    EXPECT_TRUE(first.isNull());
    ASSERT_NE(second, nullptr);
    QTest::qWait(50);
    EXPECT_FALSE(second->Done());
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(form.findChild<TFitResultDialog*>(), nullptr);
    EXPECT_LT(clock.elapsed(), 20000);
}

// r and s act only as their product: the data cannot tell them apart, and
// the result says so rather than give either a standard error.
TEST_F(FitWindow, SaysWhatTheDataCannotDetermine) {
    form.SetObservedData(LogisticData());
    TFitResultDialog* result = AskFit([](QDialog& dialog) {
        for (int row : {0, 1, 2})
            Choose(dialog, row);
        dialog.findChild<QSpinBox*>("StartsBox")->setValue(2);
        Button(dialog, QDialogButtonBox::Ok)->click();
    });
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(WaitDone(*result));
    const TFitResult& fit = result->Result();
    ASSERT_EQ(fit.estimates.size(), 3u) << fit.error;
    EXPECT_TRUE(fit.estimates[1].identifiable);
    const QStringList lines = result->Text->toPlainText().split('\n');
    for (int j : {0, 2}) {
        const TFitEstimate& e = fit.estimates[std::size_t(j)];
        EXPECT_FALSE(e.identifiable) << e.name;
        // The estimate's line: its name, its value and no error.
        ASSERT_GT(lines.size(), j + 1);
        EXPECT_TRUE(lines[j + 1].startsWith(QString::fromStdString(e.name) + ' '));
        EXPECT_TRUE(lines[j + 1].contains("not identifiable")) << lines[j + 1].toStdString();
        EXPECT_FALSE(lines[j + 1].contains("e+")) << lines[j + 1].toStdString();
    }
}

// Wrong answers are refused with a message and the dialog stays open;
// without data there is nothing to fit.
TEST_F(FitWindow, RefusesWhatCannotBeFitted) {
    try {
        form.Fit1Click();
        ADD_FAILURE() << "a fit without data";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find("no observed data"), std::string::npos);
    }

    form.SetObservedData(LogisticData());
    const struct {
        bool chooseR;
        const char* from;
        const char* to;
        const char* says;
    } cases[] = {
        {false, "0", "1", "at least one"},
        {true, "abc", "1", "not a number"},
        {true, "1", "1", "hold nothing"},
        {true, "2", "1", "hold nothing"},
    };
    int refused = 0;
    TFitResultDialog* result = AskFit([&](QDialog& dialog) {
        for (const auto& c : cases) {
            gDialogs.errors.clear();
            dialog.findChild<QCheckBox*>("Choose0")->setChecked(c.chooseR);
            dialog.findChild<QLineEdit*>("From0")->setText(c.from);
            dialog.findChild<QLineEdit*>("To0")->setText(c.to);
            Button(dialog, QDialogButtonBox::Ok)->click();
            EXPECT_TRUE(dialog.isVisible()) << c.from;
            if (gDialogs.errors.size() == 1 && gDialogs.errors[0].text.contains(c.says)) ++refused;
        }
        Button(dialog, QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(refused, int(std::size(cases)));
    EXPECT_EQ(result, nullptr);
}

} // namespace
