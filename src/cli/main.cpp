// quillsift-cli: the search engine from the command line.
#include "cli/CliOptions.h"
#include "cli/CliView.h"
#include "cli/ListCommand.h"
#include "common/Files.h"
#include "search/Output.h"
#include "search/Search.h"
#include "search/ToolPolicy.h"

#include <csignal>
#include <cstdio>

namespace {

// Raised by the first Ctrl-C (or termination request): the search stops
// cleanly, and a running outside program with it.
std::atomic<bool> stopAsked{false};

extern "C" void onInterrupt(int) {
    stopAsked.store(true);
}

} // namespace

int main(int argc, char** argv) {
    using namespace qs;
    std::string error;
    auto cmd = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!cmd) {
        std::fprintf(stderr, "quillsift-cli: %s\nTry 'quillsift-cli --help'.\n", error.c_str());
        return 2;
    }
    if (cmd->action == CliCommand::Action::Help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (cmd->action == CliCommand::Action::Version) {
        std::printf("%s\n%s\n", ProgramBanner().c_str(), CopyrightNotice().c_str());
        return 0;
    }

    PrivateTempFolder temp;
    // Said once, before the search: without the usual temporary folder the
    // listing programs and the outside archiver have their files elsewhere
    // or nowhere.
    if (!temp.notice().empty())
        std::fprintf(stderr, "quillsift-cli: %s\n", temp.notice().c_str());
    const std::string appFolder = ApplicationFolder();
    SearchRequest& request = cmd->request;
    cmd->settings.warnings = request.warnings;
    CliView view(cmd->settings, stdout, stderr);
    const std::string errorLog = DataFolder(appFolder) + kErrorLogName;
    if (cmd->action == CliCommand::Action::List)
        return ListDirectory(*cmd, ToolEnv{appFolder, temp.path(), request.toolTimeout}, view,
                             ErrorLog(errorLog), stdout, stderr);

    // Only the outside programs that this request needs are looked for; a
    // missing one is reported and what needs it is left out.
    for (const OutsideTool tool :
         CheckOutsideTools(appFolder, view, request.formats, request.archives, true)) {
        for (const ContainerFormat* f : FormatsListedBy(tool).formats())
            request.formats.remove(*f);
        if (tool == OutsideTool::Archiver)
            request.archives = false;
    }

    // The first Ctrl-C (or termination request) stops the search cleanly, as
    // the stop button does; a second one ends the program at once.
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sa.sa_flags = static_cast<int>(SA_RESETHAND);
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    const SearchEngine engine({appFolder, temp.path(), errorLog});
    const SearchOutcome outcome = engine.Search(request, view, StopToken(stopAsked));
    std::fflush(stdout); // the report before the closing status
    view.finish();

    // Matches found are real whatever else failed; no match means nothing
    // only when every file could be searched.
    if (outcome.end != SearchEnd::Completed || outcome.resultsIncomplete)
        return 2;
    if (outcome.matches > 0)
        return 0;
    return outcome.filesFailed > 0 ? 2 : 1;
}
