#pragma once
// What a step at an edge of the program answers (an outside program, a
// folder, an archive): its value, or the failure that kept it from one, for
// the caller to report or raise. Inside the core a failure is raised as an
// Error and trapped once, where the file is reported.
#include "common/Error.h"

#include <string>
#include <utility>
#include <variant>

namespace qs {

struct Failure {
    int number = err::PathFileAccess;
    std::string detail; // what went wrong, in a few words
    [[noreturn]] void raise() const { qs::raise(number, detail); }
};

template <class T> class [[nodiscard]] Result {
  public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return std::get<0>(state_); }
    T& value() & { return std::get<0>(state_); }
    const Failure& failure() const { return std::get<1>(state_); }
    // Raises the failure, if any.
    void orRaise() const {
        if (!ok())
            failure().raise();
    }
    // The value, or the failure raised.
    T take() && {
        if (!ok())
            failure().raise();
        return std::move(std::get<0>(state_));
    }

  private:
    std::variant<T, Failure> state_;
};

// A step that gives nothing but may fail.
struct Done {};
using Outcome = Result<Done>;

} // namespace qs
