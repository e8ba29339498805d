#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace vantrelle::files {

// How a file operation failed: the platform's own error number (errno on POSIX,
// GetLastError on Windows) and a description fit to show to the user.
struct Error {
    std::int32_t number = 0;
    std::string description;
};

// The value of a file operation or the error it failed with. Backends report every
// failure this way; they never throw and never print.
template <class T>
class Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    const Error& error() const { return std::get<1>(state_); }

  private:
    std::variant<T, Error> state_;
};

// An operation that delivers nothing but success or an error.
struct Done {};
using Status = Result<Done>;

}  // namespace vantrelle::files
