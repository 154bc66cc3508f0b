#include "cli/ListCommand.h"

#include "common/Text.h"
#include "media/AnalysisRecords.h"
#include "search/ArchiveMembers.h"
#include "search/Listing.h"

namespace qs {

int ListDirectory(const CliCommand& cmd, const ToolEnv& tools, MessageSink& sink,
                  const ErrorLog& log, std::FILE* out, std::FILE* err) {
    const ErrorTrap trap(sink, log);
    const ListingResult result = ListContainer(cmd.list, tools, cmd.request.externalArchiver, trap);
    if (!result.problem.empty())
        std::fprintf(err, "quillsift-cli: %s\n", result.problem.c_str());
    if (!result.listing)
        return 2;
    // A file of no image's size in which nothing was found (a huge file of
    // zeros, say) has no directory to show: not an empty one.
    const DirectoryListing& l = *result.listing;
    if (l.warning == status::NonStandardSize && l.entries.empty() && l.fields.empty()) {
        const std::string shown = ChainLabel(cmd.list.path, cmd.list.members);
        std::fprintf(err, "quillsift-cli: %s: %s; nothing to list\n", escapedForLine(shown).c_str(),
                     l.warning.c_str());
        return 2;
    }
    if (!result.listing->warning.empty())
        std::fprintf(err, "quillsift-cli: %s\n", result.listing->warning.c_str());
    for (const std::string& line : ListingLines(*result.listing)) {
        std::fwrite(line.data(), 1, line.size(), out);
        std::fputc('\n', out);
    }
    return 0;
}

} // namespace qs
