#pragma once

#include <stdexcept>
#include <string>

namespace envio {

// Root of every failure the program raises. The message is the text the operator, the journals and the
// event notes see; handlers look only at it.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }
};

// Ends the running action without a message: raised after a failure was already reported.
class SilentAbort : public Error {
public:
    SilentAbort() : Error("Operation aborted") {}
};

// A failure reported by the database server or the client library.
class DatabaseError : public Error {
public:
    DatabaseError(const std::string& message, long sqlCode = 0, long gdsCode = 0)
        : Error(message), sqlCode_(sqlCode), gdsCode_(gdsCode) {}
    long sqlCode() const { return sqlCode_; }
    long gdsCode() const { return gdsCode_; }

private:
    long sqlCode_;
    long gdsCode_;
};

} // namespace envio
