#pragma once
// The one error trap of the program. Inside the core a failure is raised as an
// Error; a procedure runs its body through the trap (run, runOnFile), which
// shows what was raised as "[Proc] - number - description" (plus "File: path"
// for procedures that work on one file) in a critical box titled "Error
// Detected", appends it to the error log, and leaves the procedure.
#include "common/Error.h"
#include "common/ErrorLog.h"
#include "common/MessageBox.h"

#include <string>
#include <utility>

namespace qs {

// Takes a trap's messages when they cannot be shown yet: work done ahead of
// the report keeps them, to be shown and logged in the report's order.
class ErrorRecorder {
  public:
    virtual ~ErrorRecorder() = default;
    virtual void recordError(const TrappedMessage& message, bool log) = 0;
};

class ErrorTrap {
  public:
    ErrorTrap(MessageSink& sink, const ErrorLog& log) : sink_(&sink), log_(&log) {}
    explicit ErrorTrap(ErrorRecorder& recorder) : recorder_(&recorder) {}

    // Builds the message text of a trapped error, the description and the
    // path escaped (escapedForLine).
    static std::string messageText(const std::string& procedure, const TrappedError& error,
                                   const std::string& filePath = {}, bool withFile = false);

    // Shows the message as a critical "Error Detected" box and logs its text
    // when asked.
    void report(const TrappedMessage& message, bool log = true) const;

    // Runs `body`; answers true when it finished without error.
    template <class Body> bool run(const std::string& procedure, Body&& body) const {
        return runImpl(procedure, {}, false, true, std::forward<Body>(body));
    }
    // For procedures that work on one file: the message names the file.
    template <class Body>
    bool runOnFile(const std::string& procedure, const std::string& filePath, Body&& body) const {
        return runImpl(procedure, filePath, true, true, std::forward<Body>(body));
    }
    // For handlers that show the message but do not log it.
    template <class Body> bool runUnlogged(const std::string& procedure, Body&& body) const {
        return runImpl(procedure, {}, false, false, std::forward<Body>(body));
    }

  private:
    template <class Body>
    bool runImpl(const std::string& procedure, const std::string& filePath, bool withFile, bool log,
                 Body&& body) const {
        try {
            body();
            return true;
        } catch (...) {
            report({messageText(procedure, describeCurrentException(std::current_exception()),
                                filePath, withFile),
                    withFile ? filePath : std::string{}},
                   log);
            return false;
        }
    }

    MessageSink* sink_ = nullptr;
    const ErrorLog* log_ = nullptr;
    ErrorRecorder* recorder_ = nullptr;
};

} // namespace qs
