// The program's error model: every failure is an exception carrying the text the user will see.
// Portable: no Win32 types, so the package core can raise the same errors when built natively.
#pragma once
#include <stdexcept>
#include <string>

namespace qs {

// Base of every error the program raises; what() is the message shown to the user (without the final full stop
// that the error report appends).
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Input/output error of a file-system operation. Code is a Win32 error code or one of the pseudo-codes below.
class EInOutError : public Exception {
public:
    // A read that delivered fewer bytes than a record needs, and a write that wrote fewer than it was given.
    static constexpr int kReadBeyondEnd = 100;
    static constexpr int kDiskFull = 101;

    explicit EInOutError(int code) : Exception(TextOf(code)), code_(code) {}
    int Code() const { return code_; }

    // "File not found", "File access denied", "Read beyond end of file", "Disk full", else "I/O error %d".
    static std::string TextOf(int code);

private:
    int code_;
};

// A text that is not a whole number: "'%s' is not a valid integer value".
class EConvertError : public Exception {
public:
    using Exception::Exception;
    static EConvertError NotInteger(const std::string& text);
};

// A profile write that failed: "Unable to write to %s".
class EIniFileException : public Exception {
public:
    using Exception::Exception;
    static EIniFileException UnableToWrite(const std::string& fileName);
};

// An operation a component refuses in its current state (for example a gauge maximum below its minimum).
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

}  // namespace qs
