#include "FpErrors.h"
#include "Exception.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Opaque to the optimiser, so the faulting arithmetic really runs.
volatile double gZero = 0.0;
volatile double gHuge = 1E308;
volatile double gMinusOne = -1.0;

template <class E> void ExpectRaised(double (*op)(), const char* message) {
    ClearFpFlags();
    volatile double r = op();
    (void)r;
    try {
        RaiseFpFlags();
        ADD_FAILURE() << "nothing raised for " << message;
    } catch (const E& e) {
        EXPECT_STREQ(e.what(), message);
    }
    EXPECT_FALSE(FpFaultPending()) << "flags stay cleared after raising";
}

TEST(FpErrors, TurnsEachFlagIntoItsException) {
    ExpectRaised<EZeroDivide>([] { return 1.0 / gZero; }, "Floating point division by zero");
    ExpectRaised<EOverflow>([] { return gHuge * 10.0; }, "Floating point overflow");
    ExpectRaised<EInvalidOp>([] { return std::sqrt(gMinusOne); },
                             "Invalid floating point operation");
    ExpectRaised<EInvalidOp>([] { return gZero / gZero; }, "Invalid floating point operation");
}

TEST(FpErrors, UnderflowAndInexactPassSilently) {
    ClearFpFlags();
    volatile double tiny = 1E-308;
    volatile double r = tiny * 1E-100 + 1.0 / 3.0;
    (void)r;
    EXPECT_FALSE(FpFaultPending());
    EXPECT_NO_THROW(RaiseFpFlags());
}

TEST(FpErrors, MathErrorsShareOneBase) {
    try {
        throw EZeroDivide();
    } catch (const EMathError& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
    try {
        throw EDivByZero();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Division by zero");
    }
}

TEST(FpErrors, ConversionsTo32BitIntegers) {
    constexpr std::int64_t kNone = 1LL << 40; // no 32-bit integer: EInvalidOp
    const struct {
        double v;
        std::int64_t trunc, round;
    } cases[] = {
        {0.49999999999999994, 0, 0},
        {-2.5, -2, -3},
        {2147483647.49, 2147483647, 2147483647},
        {2147483647.5, 2147483647, kNone},
        {2147483647.99, 2147483647, kNone},
        {2147483648.0, kNone, kNone},
        {-2147483648.49, -2147483648LL, -2147483648LL},
        {-2147483648.5, -2147483648LL, kNone},
        {-2147483648.99, -2147483648LL, kNone},
        {-2147483649.0, kNone, kNone},
        {std::nan(""), kNone, kNone},
        {-HUGE_VAL, kNone, kNone},
    };
    for (const auto& c : cases) {
        const auto check = [&](std::int32_t (*convert)(double), std::int64_t expected) {
            if (expected == kNone)
                EXPECT_THROW(convert(c.v), EInvalidOp) << c.v;
            else
                EXPECT_EQ(convert(c.v), expected) << c.v;
        };
        check(TruncToInt32, c.trunc);
        check(RoundToInt32, c.round);
    }
}

} // namespace
