#include "search/Request.h"

#include "common/Text.h"

#include <filesystem>
#include <system_error>

namespace qs {

bool CheckRequest(const SearchRequest& request, MessageSink& sink) {
    std::string message;
    if (request.mask.empty()) {
        message = "The file mask cannot be empty. If you want to match ALL files, just insert an "
                  "asterisk (*).\r\nDon't type the extension! Extension is added on the basis of "
                  "PC File Type checks.";
    } else if (request.pattern.empty()) {
        message = "The search string cannot be empty. If you want to match ALL files, just insert "
                  "an asterisk (*)";
    } else if (request.formats.empty()) {
        message = "At least one PC File Type must be selected";
    } else if (std::error_code ec; request.index != SearchRequest::IndexUse::Only &&
                                   !std::filesystem::is_directory(request.folder, ec)) {
        // A starting folder that is gone is never swapped for another one.
        // (Answering from the index alone, the folder may be offline.)
        message = escapedForLine(request.folder) + ": no such folder";
    }
    if (message.empty())
        return true;
    sink.messageBox(MsgIcon::Information, MsgButtons::Ok, kProgramTitle, message);
    return false;
}

std::string BuildFilePattern(const SearchRequest& request) {
    const std::string patterns = FormatFilePatterns(request.formats, request.mask);
    return patterns.empty() ? kNoFilePattern : patterns;
}

} // namespace qs
