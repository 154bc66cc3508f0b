#pragma once
// The report as JSON Lines (--json): one object per match, warning, error and
// a closing summary, each named by its field "record". README.md lists the
// fields.
#include "common/MessageBox.h"
#include "search/ReportRecords.h"

#include <string>

namespace qs {

struct SearchOutcome;

// Each answers one line of JSON, without its line end.
std::string MatchJson(const MatchRecord& match);
std::string WarningJson(const WarningRecord& warning);
std::string ErrorJson(const TrappedMessage& error);
std::string SummaryJson(const SearchOutcome& outcome);

} // namespace qs
