#include "common/ErrorTrap.h"

#include "common/Text.h"

namespace qs {

std::string ErrorTrap::messageText(const std::string& procedure, const TrappedError& error,
                                   const std::string& filePath, bool withFile) {
    // A message is lines on a terminal and in the log: the paths and names
    // in it are escaped as the report escapes them, so that none can break a
    // line or send the terminal a control sequence.
    std::string text = "[" + procedure + "] - " + std::to_string(error.number) + " - " +
                       escapedForLine(error.description);
    if (withFile)
        text += "\r\nFile: " + escapedForLine(filePath);
    return text;
}

void ErrorTrap::report(const TrappedMessage& message, bool log) const {
    if (recorder_ != nullptr)
        return recorder_->recordError(message, log);
    sink_->errorMessage(message);
    if (log)
        log_->LogError(message.text);
}

} // namespace qs
