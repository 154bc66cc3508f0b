#pragma once
// Which options the outside programs allow: a request that needs a missing
// program is told so, and the option that needs it is switched off.
#include "common/MessageBox.h"
#include "search/SearchOptions.h"
#include "tools/ToolRunner.h"

#include <functional>
#include <vector>

namespace qs {

inline constexpr const char* kToolMissingTitle = "External file missing";

// The start-up check, in the order c1541, tape64, archiver: each missing tool
// is announced in an information box titled "External file missing" and its
// option (the G64 or TAP file type, the archive option) is cleared and
// disabled. With `onlyWhenRequested` a tool whose option is not ticked is
// passed over silently. Answers the tools found missing and announced.
std::vector<OutsideTool> CheckOutsideTools(const std::string& toolFolder, MessageSink& sink,
                                           SearchOptions& options, bool onlyWhenRequested);
// The same with the presence of each tool told by the caller.
using ToolPresence = std::function<bool(OutsideTool)>;
std::vector<OutsideTool> CheckOutsideTools(const ToolPresence& present, MessageSink& sink,
                                           SearchOptions& options, bool onlyWhenRequested);

} // namespace qs
