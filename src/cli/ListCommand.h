#pragma once
// quillsift-cli --list: the directory of one container on standard output.
#include "cli/CliOptions.h"
#include "common/ErrorLog.h"
#include "common/MessageBox.h"
#include "tools/ToolEnv.h"

#include <cstdio>

namespace qs {

// Errors go to `sink` and the error log as in a search, a file that cannot
// be listed and the medium's warning to `err`. Answers the exit status: 0
// listed, 2 not.
int ListDirectory(const CliCommand& cmd, const ToolEnv& tools, MessageSink& sink,
                  const ErrorLog& log, std::FILE* out, std::FILE* err);

} // namespace qs
