#include "search/Request.h"

#include "common/Error.h"
#include "common/Text.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qs {

std::vector<CheckBox> defaultFileTypes() {
    const std::string slow = " search uses an external program and can slower the process a "
                             "lot. Don't select it if you think it's not necessary";
    return {
        {"D64", "D64", 1, true, ""},
        {"T64", "T64", 1, true, ""},
        {"D81", "D81", 1, true, ""},
        {"G64", "G64", 0, true, "G64" + slow},
        {"PC64", kPc64Tag, 1, true, "Includes all types (P00, S00, U00, etc..)"},
        {"D71", "D71", 1, true, ""},
        {"TAP", "TAP", 0, true, "TAP" + slow},
        {"CRT", "CRT", 1, true, ""},
        {"SID", "SID", 0, true, ""},
    };
}

std::vector<CheckBox> defaultCbmTypes() {
    return {
        {"PRG", "prg", 1, true, ""},
        {"DEL", "del", 0, true, ""},
        {"SEQ", "seq", 0, true, ""},
        {"USR", "usr", 0, true, ""},
        {"REL", "rel", 0, true, ""},
        {"CBM", "cbm", 0, true, "1581 Subdirectories"},
        {"SCR", "scr", 0, true,
         "Scratched Files (deleted but entry still exist in the directory track)"},
        {"Others", "ukw", 0, true,
         "Other non standard extension (i.e. saved Action Replay files in warp mode)"},
    };
}

bool CheckRequest(MainView& view) {
    const SearchOptions& o = view.options();
    std::string message;
    if (o.fileMask.empty()) {
        message = "The file mask cannot be empty. If you want to match ALL files, just insert an "
                  "asterisk (*).\r\nDon't type the extension! Extension is added on the basis of "
                  "PC File Type checks.";
    } else if (o.findStr.empty()) {
        message = "The search string cannot be empty. If you want to match ALL files, just insert "
                  "an asterisk (*)";
    } else {
        bool anyTicked = false;
        for (const CheckBox& box : o.fileTypes)
            if (box.ticked()) {
                anyTicked = true;
                break;
            }
        if (!anyTicked)
            message = "At least one PC File Type must be selected";
        // A starting folder that is gone is never swapped for another one.
        else if (std::error_code ec; !std::filesystem::is_directory(o.startFolder, ec))
            message = o.startFolder + ": no such folder";
    }
    if (message.empty())
        return true;
    view.messageBox(MsgIcon::Information, MsgButtons::Ok, kProgramTitle, message);
    return false;
}

std::string BuildFilePattern(const SearchOptions& options) {
    std::string pattern;
    for (const CheckBox& box : options.fileTypes) {
        if (!box.ticked())
            continue;
        std::size_t start = 0;
        while (true) {
            const std::size_t sep = box.tag.find('\\', start);
            pattern += options.fileMask + "." + box.tag.substr(start, sep - start) + ";";
            if (sep == std::string::npos)
                break;
            start = sep + 1;
        }
    }
    if (pattern.empty())
        return kNoFilePattern;
    pattern.pop_back();
    return pattern;
}

bool GetControlValueByTag(const std::vector<CheckBox>& controls, const std::string& tag) {
    for (const CheckBox& box : controls)
        if (box.tag == tag)
            return box.ticked();
    return false;
}

namespace {

bool toBoolean(const std::string& text) {
    const std::string t = upperAscii(trimBlanks(text));
    if (t == "TRUE")
        return true;
    if (t == "FALSE")
        return false;
    char* end = nullptr;
    const double number = std::strtod(t.c_str(), &end);
    if (t.empty() || end == t.c_str() || *end != '\0')
        raise(err::TypeMismatch, "\"" + text + "\" is not a Boolean");
    return number != 0.0;
}

} // namespace

void SetControlStateByTag(std::vector<CheckBox>& controls, const std::string& tag,
                          const std::string& enabledText, const std::string& valueText) {
    const std::string leave = "LEAVECURRENT";
    for (CheckBox& box : controls) {
        if (tag != "NOSEARCH" && box.tag != tag)
            continue;
        if (enabledText != leave)
            box.enabled = toBoolean(enabledText);
        if (valueText != leave)
            box.value = toBoolean(valueText) ? 1 : 0;
    }
}

bool FileMaskAcceptsKey(char32_t key) {
    switch (key) {
    case U'\\':
    case U'/':
    case U':':
    case U'"':
    case U'>':
    case U'<':
    case U'|':
        return false;
    default:
        return true;
    }
}

bool ConfirmFileMask(MessageSink& sink, const std::string& mask) {
    if (mask.find('.') == std::string::npos)
        return true;
    const std::string text =
        "A period is detected in the file mask. Remember that extension is automatically added "
        "when you choose the PC File Type.For example, if you want to search in all Blast files in "
        "D64, you have to choose D64 from the pc file type, and insert BLAST* in the file mask "
        "(not BLAST*.D64)\r\nPress OK if you think what you it's anyway correct, otherwise press "
        "Cancel";
    return sink.messageBox(MsgIcon::Question, MsgButtons::OkCancel, "Possible mistyping", text) ==
           MsgAnswer::Ok;
}

} // namespace qs
