#include "cli/CliOptions.h"

#include "common/Text.h"
#include "common/modGeneral.h"
#include "search/Session.h"

#include <filesystem>

namespace qs {

namespace {

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        std::string item = trimBlanks(list.substr(start, end - start));
        if (!item.empty())
            items.push_back(std::move(item));
        start = end + 1;
    }
    return items;
}

// Ticks exactly the boxes named by caption (without regard to case).
bool tickByCaption(std::vector<CheckBox>& boxes, const std::string& list, std::string& error) {
    for (CheckBox& box : boxes)
        box.value = 0;
    for (const std::string& item : splitList(list)) {
        bool found = false;
        for (CheckBox& box : boxes)
            if (upperAscii(box.caption) == upperAscii(item)) {
                box.value = 1;
                found = true;
            }
        if (!found) {
            error = "unknown type '" + item + "'";
            return false;
        }
    }
    return true;
}

std::string absoluteFolder(const std::string& path) {
    std::error_code ec;
    std::string abs = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec)
        abs = path;
    while (abs.size() > 1 && abs.back() == '/')
        abs.pop_back();
    return abs;
}

} // namespace

std::string usageText() {
    return "Usage: quillsift-cli [OPTIONS] FOLDER\n"
           "Searches the C64 disk, tape, cartridge and tune files below FOLDER.\n\n"
           "  -s, --search TEXT        search string, * and ? as wildcards (default *)\n"
           "  -m, --mask TEXT          file-name mask without extension (default *)\n"
           "  -t, --types LIST         PC file types: D64,T64,D81,G64,PC64,D71,TAP,CRT,SID\n"
           "                           (default D64,T64,D81,PC64,D71,CRT)\n"
           "  -c, --cbm-types LIST     entry types: PRG,DEL,SEQ,USR,REL,CBM,SCR,Others\n"
           "                           (default PRG)\n"
           "      --no-partial         match the whole name only\n"
           "      --match-case         compare letters as typed\n"
           "      --file-name          include the PC file name\n"
           "      --container-name     include the disk or tape name\n"
           "      --warnings           show warnings and invalid files\n"
           "      --sid LIST           SID fields: name,author,copyright (default name)\n"
           "  -z, --archives           look inside archives\n"
           "  -r, --recurse            search the subfolders too\n"
           "  -o, --results-file PATH  also write the report to PATH\n"
           "      --overwrite          replace an existing results file without asking\n"
           "      --tool-timeout SECS  time limit for an outside program (default 60)\n"
           "  -q, --quiet              no status line\n"
           "      --help               this text\n"
           "      --version            program version\n\n"
           "Exit status: 0 matches reported, 1 no match, 2 stopped, failed or usage error.\n";
}

std::optional<CliCommand> parseCommandLine(const std::vector<std::string>& args,
                                           std::string& error) {
    CliCommand cmd;
    SearchOptions& o = cmd.options;
    o.saveFile = false;
    std::vector<std::string> positional;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string inlineValue;
        bool hasInline = false;
        if (arg.rfind("--", 0) == 0) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasInline = true;
            }
        }
        auto value = [&](std::string& into) {
            if (hasInline) {
                into = inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            into = args[++i];
            return true;
        };
        std::string v;
        if (arg == "-s" || arg == "--search") {
            if (!value(o.findStr))
                return std::nullopt;
        } else if (arg == "-m" || arg == "--mask") {
            if (!value(o.fileMask))
                return std::nullopt;
        } else if (arg == "-t" || arg == "--types") {
            if (!value(v) || !tickByCaption(o.fileTypes, v, error))
                return std::nullopt;
        } else if (arg == "-c" || arg == "--cbm-types") {
            if (!value(v) || !tickByCaption(o.cbmTypes, v, error))
                return std::nullopt;
        } else if (arg == "--sid") {
            if (!value(v))
                return std::nullopt;
            o.sidName = o.sidAuthor = o.sidCopyright = false;
            for (const std::string& f : splitList(v)) {
                const std::string u = upperAscii(f);
                if (u == "NAME")
                    o.sidName = true;
                else if (u == "AUTHOR")
                    o.sidAuthor = true;
                else if (u == "COPYRIGHT")
                    o.sidCopyright = true;
                else {
                    error = "unknown SID field '" + f + "'";
                    return std::nullopt;
                }
            }
        } else if (arg == "--no-partial") {
            o.partial = false;
        } else if (arg == "--match-case") {
            o.matchCase = true;
        } else if (arg == "--file-name") {
            o.fileName = true;
        } else if (arg == "--container-name") {
            o.header = true;
        } else if (arg == "--warnings") {
            o.showMediaWarn = true;
        } else if (arg == "-z" || arg == "--archives") {
            o.zip.value = 1;
        } else if (arg == "-r" || arg == "--recurse") {
            o.recurse = true;
        } else if (arg == "-o" || arg == "--results-file") {
            if (!value(v))
                return std::nullopt;
            o.saveFile = true;
            o.resultsFile = absoluteFolder(v);
            // Caught here once rather than as one write error per report line.
            std::error_code ec;
            const auto parent = std::filesystem::path(o.resultsFile).parent_path();
            if (!std::filesystem::is_directory(parent, ec)) {
                error = v + ": the folder " + parent.string() + " does not exist";
                return std::nullopt;
            }
        } else if (arg == "--overwrite") {
            cmd.settings.overwrite = true;
        } else if (arg == "--tool-timeout") {
            if (!value(v))
                return std::nullopt;
            try {
                std::size_t used = 0;
                const long secs = std::stol(v, &used);
                if (used != v.size() || secs <= 0)
                    throw std::invalid_argument(v);
                cmd.toolTimeout = std::chrono::seconds(secs);
            } catch (const std::exception&) {
                error = "--tool-timeout needs a positive number of seconds";
                return std::nullopt;
            }
        } else if (arg == "-q" || arg == "--quiet") {
            cmd.settings.quiet = true;
        } else if (arg == "--help" || arg == "-h") {
            cmd.action = CliCommand::Action::Help;
            return cmd;
        } else if (arg == "--version") {
            cmd.action = CliCommand::Action::Version;
            return cmd;
        } else if (arg == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1,
                              args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 1) {
        error = positional.empty() ? "no FOLDER given" : "only one FOLDER may be given";
        return std::nullopt;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(positional[0], ec)) {
        error = positional[0] + ": no such folder";
        return std::nullopt;
    }
    o.startFolder = absoluteFolder(positional[0]);
    return cmd;
}

} // namespace qs
