#pragma once
// The command line's flags, turned into the request and the run settings.
#include "cli/CliView.h"
#include "search/Listing.h"
#include "search/SearchRequest.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace qs {

struct CliCommand {
    enum class Action { Search, List, Help, Version } action = Action::Search;
    SearchRequest request;
    CliSettings settings;
    ListingSource list; // --list FILE or ARCHIVE::MEMBER
};

// Parses argv; a usage error is reported in `error` and the result is empty
// (`json` then tells whether --json was given, so that the refusal can still
// close with its summary record).
std::optional<CliCommand> parseCommandLine(const std::vector<std::string>& args, std::string& error,
                                           bool* json = nullptr);

std::string usageText();

} // namespace qs
