#pragma once
// Run-time errors carry a number and a description, in the classic runtime
// numbering, so trapped messages read "[Procedure] - 9 - Subscript out of range".
#include <exception>
#include <stdexcept>
#include <string>

namespace qs {

namespace err {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int SubscriptOutOfRange = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
} // namespace err

class Error : public std::runtime_error {
  public:
    Error(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const noexcept { return number_; }
    std::string description() const { return what(); }

  private:
    int number_;
};

// The classic description of a runtime error number.
std::string describeError(int number);

// Raises error `number` with its classic description, optionally followed by a detail.
[[noreturn]] void raise(int number, const std::string& detail = {});

// Maps an errno value of a failed file operation onto the runtime numbering.
int errorNumberFromErrno(int e);

// Number and description of whatever an error trap caught.
struct TrappedError {
    int number;
    std::string description;
};
TrappedError describeCurrentException(std::exception_ptr ex);

} // namespace qs
