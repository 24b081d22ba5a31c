#include "FloatEdit.h"
#include "ControlDialogs.h"
#include "FloatText.h"
#include "TestMain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A window with the edit and a second field to move the focus to; message
// boxes are recorded instead of shown.
class FloatEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ =
            SetShowMessageFunc([this](QWidget*, const QString& text) { messages.push_back(text); });
        auto* layout = new QVBoxLayout(&window);
        edit = new TFloatEdit;
        other = new QLineEdit;
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        other->setFocus(Qt::TabFocusReason);
    }
    void TearDown() override {
        SetShowMessageFunc(previous_);
        SetDecimalSeparator('.');
    }

    void Enter() {
        edit->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(edit->hasFocus());
    }
    void Leave() { other->setFocus(Qt::TabFocusReason); }
    void Type(const char* keys) { QTest::keyClicks(edit, QString::fromLatin1(keys)); }

    QWidget window;
    TFloatEdit* edit = nullptr;
    QLineEdit* other = nullptr;
    std::vector<QString> messages;
    TShowMessageFunc previous_;
};

TEST_F(FloatEditTest, StartsAtZeroWithTheDefaultLimits) {
    EXPECT_EQ(edit->text(), "0");
    EXPECT_EQ(edit->Digits(), 1);
    EXPECT_EQ(edit->Min(), 0);
    EXPECT_EQ(edit->Max(), 99999999.9);
    EXPECT_EQ(edit->ErrorMessage(), "[No Text]");
}

TEST_F(FloatEditTest, ShowsTheValueWithDigitsSignificantDigits) {
    edit->SetDigits(6);
    const struct {
        double value;
        const char* text;
    } cases[] = {{1.23456789, "1.23457"},
                 {1234567.8, "1.23457E6"},
                 {0.5, "0.5"},
                 {0.00001234, "1.234E-5"},
                 {100, "100"},
                 {0, "0"}};
    for (const auto& c : cases) {
        edit->SetValue(c.value);
        EXPECT_EQ(edit->text(), c.text) << c.value;
    }
    edit->SetValue(2.7);
    edit->SetDigits(25);
    EXPECT_EQ(edit->Digits(), 18);
    edit->SetDigits(1);
    EXPECT_EQ(edit->text(), "3");
}

TEST_F(FloatEditTest, OutOfRangeValuesAreLimitedWithTheConfiguredMessage) {
    edit->SetDigits(6);
    edit->SetMax(10);
    edit->SetValue(11);
    EXPECT_EQ(edit->text(), "10");
    edit->SetValue(-1);
    EXPECT_EQ(edit->text(), "0");
    edit->SetValue(NAN);
    EXPECT_EQ(edit->text(), "10");
    EXPECT_TRUE(messages.empty()) << "the default message means no message";

    edit->SetErrorMessage("Out of range");
    edit->SetValue(12);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Out of range");
}

TEST_F(FloatEditTest, LimitsThatCrossEachOtherAreRefusedWithAMessage) {
    edit->SetDigits(6);
    edit->SetMax(10);
    edit->SetMin(20);
    EXPECT_EQ(edit->Min(), 10);
    EXPECT_EQ(edit->text(), "10") << "setting Min re-limits the value";
    edit->SetMax(5);
    EXPECT_EQ(edit->Max(), 10);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Min-Value has to be less than or equal to Max-Value !");
    EXPECT_EQ(messages[1], "Max-Value has to be greater than or equal to Min-Value !");
}

TEST_F(FloatEditTest, ReadingTheValueLimitsWithoutTouchingTheText) {
    edit->SetMin(-5);
    edit->SetMax(5);
    const struct {
        const char* text;
        double value;
    } cases[] = {{"", 0}, {"-", 0}, {".", 0}, {"abc", -5}, {"9", 5}, {"-9", -5}, {"2.5", 2.5}};
    for (const auto& c : cases) {
        edit->setText(c.text);
        EXPECT_EQ(edit->Value(), c.value) << c.text;
        EXPECT_EQ(edit->text(), c.text);
    }
}

TEST_F(FloatEditTest, KeyFilterAcceptsOnlyAPlausibleNumber) {
    edit->SetDigits(3);
    edit->SetMin(-5);
    Enter();
    edit->clear();
    Type("1a2.3.4-5");
    EXPECT_EQ(edit->text(), "12.345") << "letters, a second separator and a late sign are refused";
    Type("6");
    EXPECT_EQ(edit->text(), "12.345") << "no more than Digits places after the separator";

    // A minus is accepted only as the first character.
    edit->setCursorPosition(0);
    Type("-");
    EXPECT_EQ(edit->text(), "-12.345");
    edit->setCursorPosition(0);
    Type("-");
    EXPECT_EQ(edit->text(), "-12.345");
}

TEST_F(FloatEditTest, KeyFilterTakesTheSelectionIntoAccount) {
    edit->SetDigits(2);
    Enter();
    edit->setText("1.25");
    edit->setSelection(1, 3); // ".25" is replaced, so a separator may come in
    Type(".");
    EXPECT_EQ(edit->text(), "1.");
    edit->setText("1.25");
    edit->setSelection(3, 1); // replacing the last place keeps two places
    Type("9");
    EXPECT_EQ(edit->text(), "1.29");
}

TEST_F(FloatEditTest, MinusIsRefusedUnlessMinIsNegative) {
    Enter();
    edit->clear();
    Type("-");
    EXPECT_EQ(edit->text(), "");
    edit->SetMin(-5);
    edit->clear();
    Type("-");
    EXPECT_EQ(edit->text(), "-0");
    EXPECT_EQ(edit->selectedText(), "0");
    Type("3");
    EXPECT_EQ(edit->text(), "-3");
}

TEST_F(FloatEditTest, LoneSeparatorBecomesZeroPointZero) {
    SetDecimalSeparator(',');
    edit->SetDigits(4);
    Enter();
    edit->clear();
    Type(".");
    EXPECT_EQ(edit->text(), "") << "only the process-wide separator is a separator";
    Type(",");
    EXPECT_EQ(edit->text(), "0,0");
    EXPECT_EQ(edit->selectionStart(), 2);
    EXPECT_EQ(edit->selectedText(), "0");
    Type("5");
    EXPECT_EQ(edit->text(), "0,5");
    EXPECT_EQ(edit->Value(), 0.5);

    edit->SetDigits(0);
    edit->clear();
    Type(",");
    EXPECT_EQ(edit->text(), "") << "no separator without decimal places";
}

// Each row: the text, where the cursor stands (or -1 for all selected), the
// keys, and the text they leave. Keys come with the text the window system
// gives them: Delete as character 127, Backspace as 8.
TEST_F(FloatEditTest, EditingKeysWorkAsInAnyEdit) {
    edit->SetDigits(6);
    const std::pair<Qt::Key, Qt::KeyboardModifiers> del{Qt::Key_Delete, Qt::NoModifier};
    const struct {
        const char* text;
        int cursor;
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
        const char* result;
    } cases[] = {
        {"123", 0, {del}, "23"},
        {"1.5", 1, {del}, "15"},
        {"123", -1, {del}, ""},
        {"123", 3, {{Qt::Key_Backspace, Qt::NoModifier}}, "12"},
        {"123", 3, {{Qt::Key_Home, Qt::NoModifier}, del}, "23"},
        {"123", 0, {{Qt::Key_End, Qt::NoModifier}, {Qt::Key_Left, Qt::NoModifier}, del}, "12"},
        {"123", 0, {{Qt::Key_Right, Qt::ShiftModifier}, del}, "23"},
    };
    const auto text = [](Qt::Key key) {
        return key == Qt::Key_Delete      ? QString(QChar(127))
               : key == Qt::Key_Backspace ? QString(QChar(8))
                                          : QString();
    };
    Enter();
    for (const auto& c : cases) {
        edit->setText(c.text);
        if (c.cursor < 0)
            edit->selectAll();
        else
            edit->setCursorPosition(c.cursor);
        for (const auto& [key, modifiers] : c.keys) {
            QKeyEvent press(QEvent::KeyPress, key, modifiers, text(key));
            QApplication::sendEvent(edit, &press);
            QKeyEvent release(QEvent::KeyRelease, key, modifiers, text(key));
            QApplication::sendEvent(edit, &release);
        }
        EXPECT_EQ(edit->text(), c.result) << c.text << " at " << c.cursor;
    }
}

// Rounded to its digits, a value at a limit shows past it; the field must
// still let the user go, silently, keeping the text.
TEST_F(FloatEditTest, AValueShownRoundedPastALimitDoesNotKeepTheFocus) {
    const struct {
        int digits;
        double min, max, value;
        const char* shown;
    } cases[] = {
        {6, 0, 99999999.9, 99999950, "1E8"},
        {6, 0, 99999999.9, 99999999.9, "1E8"},
        {2, 0.123456, 10, 0.123456, "0.12"},
        {1, -0.96, 5, -0.96, "-1"},
    };
    edit->SetErrorMessage("Out of range");
    for (const auto& c : cases) {
        edit->SetMin(-1e9);
        edit->SetMax(1e9);
        edit->SetDigits(c.digits);
        edit->SetMin(c.min);
        edit->SetMax(c.max);
        edit->SetValue(c.value);
        ASSERT_EQ(edit->text(), c.shown);
        int exits = 0;
        edit->OnExit = [&](QObject*) { ++exits; };
        Enter();
        Leave();
        EXPECT_TRUE(other->hasFocus()) << c.shown;
        EXPECT_EQ(edit->text(), c.shown);
        EXPECT_EQ(exits, 2) << c.shown;
        // Typing the limit itself shows it rounded the same way.
        Enter();
        edit->setText(QString::number(c.value, 'g', 17));
        Leave();
        EXPECT_TRUE(other->hasFocus()) << c.shown;
        EXPECT_EQ(edit->text(), c.shown);
        EXPECT_TRUE(c.value == c.min ? edit->Value() == c.min : edit->Value() == c.max)
            << c.shown << " reads " << edit->Value();
        edit->OnExit = nullptr;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(FloatEditTest, LeavingNormalisesAValidTextAndFiresExitTwice) {
    edit->SetDigits(6);
    std::vector<double> exitValues;
    edit->OnExit = [&](QObject* sender) {
        EXPECT_EQ(sender, edit);
        exitValues.push_back(edit->Value());
    };
    Enter();
    edit->setText("5e2"); // pasted: not filtered
    Leave();
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(edit->text(), "500");
    EXPECT_EQ(exitValues, (std::vector<double>{500, 500}));

    Enter();
    edit->setText("1.23456789");
    Leave();
    EXPECT_EQ(edit->text(), "1.23457");
    EXPECT_EQ(edit->Value(), 1.23457) << "the value is exactly what the text shows";
}

TEST_F(FloatEditTest, LeavingWithABadTextRestoresTheEnteredValueAndKeepsTheFocus) {
    edit->SetDigits(6);
    edit->SetMin(1);
    edit->SetValue(7);
    std::vector<double> exitValues;
    edit->OnExit = [&](QObject*) { exitValues.push_back(edit->Value()); };
    Enter();
    edit->setText("seven");
    Leave();
    EXPECT_EQ(edit->text(), "7");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "7");
    EXPECT_EQ(exitValues, (std::vector<double>{1})) << "fired once, reading Min for the bad text";
    EXPECT_TRUE(messages.empty());

    edit->SetErrorMessage("Please type a number");
    edit->setText("200000000");
    Leave();
    EXPECT_EQ(edit->text(), "7");
    EXPECT_TRUE(edit->hasFocus());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Please type a number");
}

TEST_F(FloatEditTest, EscapePutsBackTheValueFromWhenTheFieldWasEntered) {
    edit->SetDigits(6);
    edit->SetValue(3.5);
    int enters = 0;
    edit->OnEnter = [&](QObject*) { ++enters; };
    Enter();
    EXPECT_EQ(enters, 1);
    edit->selectAll();
    Type("42");
    EXPECT_EQ(edit->text(), "42");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "3.5");
    EXPECT_EQ(edit->selectedText(), "3.5");
}

TEST_F(FloatEditTest, SwitchingToAnotherWindowIsNotLeavingTheField) {
    int exits = 0;
    edit->OnExit = [&](QObject*) { ++exits; };
    Enter();
    edit->setText("junk");
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    ProcessEventsFor(20);
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(edit->text(), "junk");
}

} // namespace
