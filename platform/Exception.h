#pragma once

#include <stdexcept>
#include <string>

// Base of every error this program raises. It carries the message that the
// application's error display shows (followed by a full stop).
class Exception : public std::exception {
public:
    // A NUL in the message (from a file or an argument) would end what() there
    // and cut the message: it is shown as "\0".
    explicit Exception(std::string message) : message_(std::move(message)) {
        for (std::size_t at = 0; (at = message_.find('\0', at)) != std::string::npos; at += 2)
            message_.replace(at, 1, "\\0");
    }
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A text that is not the number, date or value it should be.
class EConvertError : public Exception {
    using Exception::Exception;
};

// Floating-point faults, found by testing the floating-point flags after the
// arithmetic ran (the hardware never traps).
class EMathError : public Exception {
    using Exception::Exception;
};
class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError("Floating point division by zero") {}
};
class EOverflow : public EMathError {
public:
    EOverflow() : EMathError("Floating point overflow") {}
};
class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError("Invalid floating point operation") {}
};

// Integer faults.
class EIntError : public Exception {
    using Exception::Exception;
};
class EDivByZero : public EIntError {
public:
    EDivByZero() : EIntError("Division by zero") {}
};

// Replaces each "%s" of a message pattern, in order, by the next argument;
// "%%" stands for a single "%".
std::string FormatMessage(const std::string& pattern, std::initializer_list<std::string> args);
