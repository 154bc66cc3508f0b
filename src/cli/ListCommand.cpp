#include "cli/ListCommand.h"

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
    if (!result.listing->warning.empty())
        std::fprintf(err, "quillsift-cli: %s\n", result.listing->warning.c_str());
    for (const std::string& line : ListingLines(*result.listing)) {
        std::fwrite(line.data(), 1, line.size(), out);
        std::fputc('\n', out);
    }
    return 0;
}

} // namespace qs
