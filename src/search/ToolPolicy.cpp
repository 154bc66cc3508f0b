#include "search/ToolPolicy.h"

namespace qs {

namespace {

std::optional<ListingProgram> programOf(OutsideTool tool) {
    switch (tool) {
    case OutsideTool::C1541:
        return ListingProgram::C1541;
    case OutsideTool::Tape64:
        return ListingProgram::Tape64;
    case OutsideTool::Archiver:
        break;
    }
    return std::nullopt;
}

// How the person knows the program.
const char* knownAs(OutsideTool tool) {
    switch (tool) {
    case OutsideTool::C1541:
        return "C1541.exe";
    case OutsideTool::Tape64:
        return "Tape64.exe";
    case OutsideTool::Archiver:
        break;
    }
    return "7za.exe (7-zip)";
}

std::string missingText(OutsideTool tool) {
    std::string what;
    for (const ContainerFormat* f : FormatsListedBy(tool).formats())
        what += (what.empty() ? "" : ", ") + std::string(f->caption);
    return std::string(knownAs(tool)) + " is missing in the application folder: " +
           (tool == OutsideTool::Archiver ? "compressed file option" : what + " files analyzing") +
           " is disabled";
}

} // namespace

FormatSet FormatsListedBy(OutsideTool tool) {
    FormatSet set;
    const std::optional<ListingProgram> program = programOf(tool);
    for (const ContainerFormat& f : ContainerFormats())
        if (program && f.listedBy == program)
            set.add(f);
    return set;
}

std::vector<OutsideTool> CheckOutsideTools(const ToolPresence& present, MessageSink& sink,
                                           const FormatSet& formats, bool archives,
                                           bool onlyRequested) {
    std::vector<OutsideTool> missing;
    for (const OutsideTool tool :
         {OutsideTool::C1541, OutsideTool::Tape64, OutsideTool::Archiver}) {
        bool requested = tool == OutsideTool::Archiver && archives;
        for (const ContainerFormat* f : FormatsListedBy(tool).formats())
            requested = requested || formats.contains(*f);
        if ((onlyRequested && !requested) || present(tool))
            continue;
        missing.push_back(tool);
        sink.messageBox(MsgIcon::Information, MsgButtons::Ok, kToolMissingTitle, missingText(tool));
    }
    return missing;
}

std::vector<OutsideTool> CheckOutsideTools(const std::string& toolFolder, MessageSink& sink,
                                           const FormatSet& formats, bool archives,
                                           bool onlyRequested) {
    return CheckOutsideTools([&](OutsideTool tool) { return !FindTool(toolFolder, tool).empty(); },
                             sink, formats, archives, onlyRequested);
}

} // namespace qs
