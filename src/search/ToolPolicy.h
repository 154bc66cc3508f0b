#pragma once
// Which parts of a request the outside programs allow: a request that needs a
// missing program is told so, and the formats (or the archive option) that
// need it are left out.
#include "common/MessageBox.h"
#include "media/Formats.h"
#include "tools/ToolRunner.h"

#include <functional>
#include <vector>

namespace qs {

inline constexpr const char* kToolMissingTitle = "External file missing";

// The formats an outside program lists.
FormatSet FormatsListedBy(OutsideTool tool);

// The start-up check, in the order c1541, tape64, archiver: each missing tool
// is announced in an information box titled "External file missing". With
// `onlyRequested`, a tool that neither `formats` nor the archive option
// needs is passed over silently. Answers the tools found missing and
// announced; the caller leaves out what needs them.
using ToolPresence = std::function<bool(OutsideTool)>;
std::vector<OutsideTool> CheckOutsideTools(const ToolPresence& present, MessageSink& sink,
                                           const FormatSet& formats, bool archives,
                                           bool onlyRequested);
// The same, the tools looked for as a search looks for them.
std::vector<OutsideTool> CheckOutsideTools(const std::string& toolFolder, MessageSink& sink,
                                           const FormatSet& formats, bool archives,
                                           bool onlyRequested);

} // namespace qs
