#include "search/ToolPolicy.h"

#include "search/Request.h"

namespace qs {

std::vector<OutsideTool> CheckOutsideTools(const std::string& toolFolder, MessageSink& sink,
                                           SearchOptions& options, bool onlyWhenRequested) {
    return CheckOutsideTools([&](OutsideTool tool) { return !FindTool(toolFolder, tool).empty(); },
                             sink, options, onlyWhenRequested);
}

std::vector<OutsideTool> CheckOutsideTools(const ToolPresence& present, MessageSink& sink,
                                           SearchOptions& options, bool onlyWhenRequested) {
    struct Check {
        OutsideTool tool;
        const char* tag; // file type tag; null for the archive option
        const char* text;
    };
    static constexpr Check kChecks[] = {
        {OutsideTool::C1541, "G64",
         "C1541.exe is missing in the application folder: G64 files analyzing is disabled"},
        {OutsideTool::Tape64, "TAP",
         "Tape64.exe is missing in the application folder: TAP files analyzing is disabled"},
        {OutsideTool::Archiver, nullptr,
         "7za.exe (7-zip) is missing in the application folder: compressed file option is "
         "disabled"},
    };
    std::vector<OutsideTool> missing;
    for (const Check& c : kChecks) {
        const bool requested = c.tag != nullptr ? GetControlValueByTag(options.fileTypes, c.tag)
                                                : options.zip.ticked();
        if ((onlyWhenRequested && !requested) || present(c.tool))
            continue;
        missing.push_back(c.tool);
        sink.messageBox(MsgIcon::Information, MsgButtons::Ok, kToolMissingTitle, c.text);
        if (c.tag != nullptr) {
            SetControlStateByTag(options.fileTypes, c.tag, "false", "false");
        } else {
            options.zip.value = 0;
            options.zip.enabled = false;
        }
    }
    return missing;
}

} // namespace qs
