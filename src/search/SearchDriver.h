#pragma once
// The run of one search, from the start button to the summary line.
#include "search/FolderWalk.h"
#include "search/Session.h"

#include <string>
#include <vector>

namespace qs {

// The start button: starts a search when idle, asks the running one to stop otherwise.
void StartButtonClick(Session& s);
// Its parts, for a front end that runs the search on a thread of its own:
// the click while a search runs (answers false when none runs), and the
// button's state before and after SearchC64File.
bool StopButtonClick(Session& s);
void BeginSearch(Session& s);
void EndSearch(Session& s);

// The search run itself; its outcome is also kept in s.lastOutcome.
SearchOutcome SearchC64File(Session& s);

// True when the file is handled as an archive under the current options.
bool IsArchiveName(const SearchOptions& o, const std::string& fileName);

} // namespace qs
