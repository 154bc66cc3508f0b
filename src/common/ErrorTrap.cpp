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

void ErrorTrap::report(const std::string& text, bool log) const {
    if (recorder_ != nullptr)
        return recorder_->recordError(text, log);
    sink_->messageBox(MsgIcon::Critical, MsgButtons::Ok, "Error Detected", text);
    if (log)
        log_->LogError(text);
}

} // namespace qs
