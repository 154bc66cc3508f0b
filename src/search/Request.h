#pragma once
// Checks of a request before a search, and the file pattern it opens.
#include "common/MessageBox.h"
#include "search/SearchRequest.h"

#include <string>

namespace qs {

inline constexpr const char* kProgramTitle = "Quillsift";
// A pattern that no container file fits.
inline constexpr const char* kNoFilePattern = "abcdefghilmno";

// Shows the first failing check's message (the last check: the starting
// folder exists); answers whether the search may go on.
bool CheckRequest(const SearchRequest& request, MessageSink& sink);

// The file list pattern: the mask joined with every extension of every
// requested format; kNoFilePattern when there is none.
std::string BuildFilePattern(const SearchRequest& request);

} // namespace qs
