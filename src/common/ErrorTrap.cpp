#include "common/ErrorTrap.h"

namespace qs {

std::string ErrorTrap::messageText(const std::string& procedure, const TrappedError& error,
                                   const std::string& filePath, bool withFile) {
    std::string text =
        "[" + procedure + "] - " + std::to_string(error.number) + " - " + error.description;
    if (withFile)
        text += "\r\nFile: " + filePath;
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
