// quillsift-cli: the search engine from the command line.
#include "cli/CliOptions.h"
#include "cli/CliView.h"
#include "cli/JsonReport.h"
#include "cli/ListCommand.h"
#include "common/Files.h"
#include "common/Text.h"
#include "search/Output.h"
#include "search/Search.h"
#include "search/ToolPolicy.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Raised by the first Ctrl-C, termination request, hang-up or broken pipe:
// the search stops cleanly, and a running outside program with it.
std::atomic<bool> stopAsked{false};

extern "C" void onInterrupt(int) {
    stopAsked.store(true);
}

// A standard stream that was closed must not become the next file opened
// (the results file would get the report): it gets /dev/null, opened so that
// writing to it still fails as writing to a closed stream does.
void takeClosedStandardStreams() {
    for (const int fd : {0, 1, 2})
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
}

// The first Ctrl-C, termination request or hang-up stops the search as the
// stop button does, and a second one ends the program at once; a broken pipe
// stops it too, the writes that meet it failing and said.
void catchStopSignals() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGPIPE, &sa, nullptr);
    sa.sa_flags = static_cast<int>(SA_RESETHAND);
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    using namespace qs;
    takeClosedStandardStreams();
    std::string error;
    bool json = false;
    auto cmd = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error, &json);
    if (!cmd) {
        std::fprintf(stderr, "quillsift-cli: %s\nTry 'quillsift-cli --help'.\n", error.c_str());
        // A refused request closes its JSON Lines with the summary as well.
        if (json) {
            SearchOutcome refused;
            refused.end = SearchEnd::Stopped;
            std::printf("%s\n", SummaryJson(refused).c_str());
        }
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

    catchStopSignals();
    PrivateTempFolder temp;
    // Said once, before the search: without the usual temporary folder the
    // listing programs and the outside archiver have their files elsewhere
    // or nowhere.
    if (!temp.notice().empty())
        std::fprintf(stderr, "quillsift-cli: %s\n", escapedForLine(temp.notice()).c_str());
    const std::string appFolder = ApplicationFolder();
    SearchRequest& request = cmd->request;
    cmd->settings.warnings = request.warnings;
    CliView view(cmd->settings, stdout, stderr);
    view.onReportLost = [] { stopAsked.store(true); };
    const std::string errorLog = DataFolder(appFolder) + kErrorLogName;
    // The report, or the listing, could not be written whole: said, and a failure as grep's.
    auto reportLost = [&view] {
        std::fprintf(stderr, "quillsift-cli: the report could not be written: %s\n",
                     std::strerror(view.reportLost()));
        return 2;
    };
    if (cmd->action == CliCommand::Action::List) {
        const int status =
            ListDirectory(*cmd, ToolEnv{appFolder, temp.path(), request.toolTimeout, &stopAsked},
                          view, ErrorLog(errorLog), stdout, stderr);
        errno = 0;
        if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
            std::fprintf(stderr, "quillsift-cli: the listing could not be written: %s\n",
                         std::strerror(errno != 0 ? errno : EIO));
            return 2;
        }
        return status;
    }

    // Only the outside programs that this request needs are looked for; a
    // missing one is reported and what needs it is left out.
    for (const OutsideTool tool :
         CheckOutsideTools(appFolder, view, request.formats, request.archives, true)) {
        for (const ContainerFormat* f : FormatsListedBy(tool).formats())
            request.formats.remove(*f);
        if (tool == OutsideTool::Archiver)
            request.archives = false;
    }

    const SearchEngine engine({appFolder, temp.path(), errorLog});
    const SearchOutcome outcome = engine.Search(request, view, StopToken(stopAsked));
    view.finish();
    if (view.reportLost() != 0)
        return reportLost();

    // Matches found are real whatever else failed; no match means nothing
    // only when every file could be searched.
    if (outcome.end != SearchEnd::Completed || outcome.resultsIncomplete)
        return 2;
    if (outcome.matches > 0)
        return 0;
    return outcome.filesFailed > 0 ? 2 : 1;
}
