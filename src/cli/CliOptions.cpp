#include "cli/CliOptions.h"

#include "common/Text.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <deque>
#include <filesystem>
#include <span>

namespace qs {

namespace {

namespace fs = std::filesystem;

// The one-line reason for a bad command line, as the user sees it.
[[noreturn]] void reject(const std::string& reason) {
    throw CLI::ValidationError(reason);
}

// What a LIST option takes besides its captions.
enum class Word { None, All };

// A LIST option: the captions, without regard to case, of exactly the entries
// to tick ("" ticks none; with Word::All, "all" ticks every one). The help
// shows every caption and, as the default, the entries ticked at the start.
template <class Tick>
CLI::Option* addList(CLI::App& app, const std::string& flags, const std::string& help,
                     const std::vector<std::pair<std::string, Tick*>>& entries,
                     const std::string& what = "type", Word word = Word::None) {
    std::string all, ticked;
    for (const auto& [caption, tick] : entries) {
        all += (all.empty() ? "" : ",") + caption;
        if (*tick)
            ticked += (ticked.empty() ? "" : ",") + caption;
    }
    const auto parse = [entries, what, word](const std::string& list) {
        for (const auto& entry : entries)
            *entry.second = false;
        for (std::size_t start = 0, end = 0; start <= list.size(); start = end + 1) {
            end = std::min(list.find(',', start), list.size());
            const std::string item = trimBlanks(std::string_view(list).substr(start, end - start));
            const auto hit = std::ranges::find_if(
                entries, [&](const auto& e) { return upperAscii(e.first) == upperAscii(item); });
            if (hit != entries.end())
                *hit->second = true;
            else if (word == Word::All && upperAscii(item) == "ALL")
                for (const auto& entry : entries)
                    *entry.second = true;
            else if (!item.empty())
                reject("unknown " + what + " '" + item + "'");
        }
    };
    if (word == Word::All)
        all += " or all";
    return app.add_option_function<std::string>(flags, parse, help + ": " + all)
        ->type_name("LIST")
        ->default_str(ticked);
}

// One tick per row of a table, ticked as the row says by default.
struct Ticks {
    std::vector<std::pair<std::string, bool*>> entries;
    std::deque<bool> ticks; // stable addresses
    template <class Row, class Caption, class Default>
    Ticks(std::span<const Row> rows, Caption caption, Default ticked) {
        for (const Row& row : rows)
            entries.emplace_back(std::string(caption(row)), &ticks.emplace_back(ticked(row)));
    }
};

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const fs::path abs = fs::absolute(path, ec).lexically_normal();
    if (ec)
        return path;
    return (abs.has_filename() ? abs : abs.parent_path()).string(); // without a trailing '/'
}

// FILE, or ARCHIVE::MEMBER when FILE is no file but the text before one of
// its "::" is (a file's own name may hold "::"); a member inside archives
// within it as ARCHIVE::INNER::MEMBER.
ListingSource listTarget(const std::string& target) {
    std::error_code ec;
    if (!fs::exists(target, ec))
        for (auto at = target.find("::"); at != std::string::npos; at = target.find("::", at + 1))
            if (fs::is_regular_file(target.substr(0, at), ec)) {
                ListingSource source{absolutePath(target.substr(0, at))};
                for (std::size_t start = at + 2;;) {
                    const std::size_t end = target.find("::", start);
                    source.members.push_back(target.substr(start, end - start));
                    if (end == std::string::npos)
                        break;
                    start = end + 2;
                }
                return source;
            }
    return {absolutePath(target)};
}

// Longer limits would overflow the clock when an outside program's deadline is set.
constexpr long long kLongestToolTimeout = 100LL * 365 * 24 * 3600;

// The usage line names the single FOLDER that is checked after parsing (CLI11
// would show the collected list as "[FOLDER...]").
class HelpFormat final : public CLI::Formatter {
  public:
    std::string make_usage(const CLI::App*, std::string name) const override {
        return "Usage: " + name + " [OPTIONS] FOLDER\n       " + name +
               " --list FILE[::MEMBER]\n"
               "Searches the C64 disk, tape, cartridge and tune files below FOLDER.\n";
    }
};

// Every option of the command line, declared once: parsing fills in `cmd`,
// and the help text is generated from the same declarations.
struct CommandLine {
    CLI::App app{"", "quillsift-cli"};
    CliCommand cmd;
    std::vector<std::string> folders;
    Ticks formats{ContainerFormats(), [](const ContainerFormat& f) { return f.caption; },
                  [](const ContainerFormat& f) { return f.onByDefault; }};
    Ticks entryTypes{EntryTypes(), [](const EntryType& t) { return t.caption; },
                     [](const EntryType& t) { return t.onByDefault; }};

    CommandLine() {
        SearchRequest& o = cmd.request;
        CliSettings& s = cmd.settings;

        app.formatter(std::make_shared<HelpFormat>());
        app.add_option("FOLDER", folders)->group(""); // named in the usage line
        app.footer("Exit status: 0 matches reported, 1 no match, 2 stopped, failed or usage "
                   "error; with --list 0 listed, 2 not.");
        app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        // Help is a flag that stops the parse at once, so it wins over mistakes
        // elsewhere on the line (CLI11's own help flag is looked at last).
        app.set_help_flag();
        app.add_flag_callback(
            "-h,--help", [] { throw CLI::CallForHelp(); }, "this text");
        app.set_version_flag("--version", "", "program version");

        app.add_option("-s,--search", o.pattern, "search string, * and ? as wildcards")
            ->capture_default_str();
        app.add_option("-m,--mask", o.mask, "file-name mask without extension")
            ->capture_default_str();
        addList(app, "-t,--types", "PC file types", formats.entries, "type", Word::All);
        addList(app, "-c,--cbm-types", "entry types", entryTypes.entries);
        app.add_flag_callback(
            "--no-partial", [&o] { o.partial = false; }, "match the whole name only");
        app.add_flag("--match-case", o.matchCase, "compare letters as typed");
        app.add_flag("--file-name", o.fileNames, "include the PC file name");
        app.add_flag("--container-name", o.mediumNames, "include the disk or tape name");
        app.add_flag("--warnings", o.warnings, "show warnings and invalid files");
        addList<bool>(
            app, "--sid", "SID fields",
            {{"name", &o.sid.name}, {"author", &o.sid.author}, {"copyright", &o.sid.copyright}},
            "SID field");
        app.add_flag("-z,--archives", o.archives, "look inside archives");
        app.add_flag("-r,--recurse", o.recurse, "search the subfolders too");
        app.add_option_function<std::string>(
               "-o,--results-file",
               [&o](const std::string& path) {
                   o.saveResults = true;
                   o.resultsFile = absolutePath(path);
                   // Caught here once rather than as one write error per report line.
                   const fs::path parent = fs::path(o.resultsFile).parent_path();
                   std::error_code ec;
                   if (!fs::is_directory(parent, ec))
                       reject(path + ": the folder " + parent.string() + " does not exist");
               },
               "also write the report to PATH")
            ->type_name("PATH");
        app.add_flag("--overwrite", s.overwrite, "replace an existing results file without asking");
        app.add_option_function<std::string>(
               "--tool-timeout",
               [this](const std::string& text) {
                   long long secs = 0;
                   const char* end = text.data() + text.size();
                   const auto [stop, ec] = std::from_chars(text.data(), end, secs);
                   if (ec != std::errc{} || stop != end || secs <= 0)
                       reject("--tool-timeout needs a positive number of seconds");
                   cmd.request.toolTimeout =
                       std::chrono::seconds(std::min(secs, kLongestToolTimeout));
               },
               "time limit for an outside program")
            ->type_name("SECS")
            ->default_str(std::to_string(cmd.request.toolTimeout.count()));
        app.add_option("-j,--jobs", o.jobs,
                       "files analysed side by side (default: one per "
                       "processor; 1: one after another)")
            ->type_name("N")
            ->check(CLI::Range(1u, 1024u).description(""));
        app.add_flag("--external-archiver", o.externalArchiver,
                     "read every archive with the outside archiver (7z)");
        using IndexUse = SearchRequest::IndexUse;
        app.add_flag_callback(
            "--index", [&o] { o.index = std::max(o.index, IndexUse::Use); },
            "answer files unchanged since the last search from the index, keep the rest there");
        app.add_flag_callback(
            "--index-only", [&o] { o.index = IndexUse::Only; },
            "answer from the index alone, without reading the folder");
        app.add_flag_callback(
            "--reindex",
            [&o] {
                o.reindex = true;
                o.index = std::max(o.index, IndexUse::Use);
            },
            "empty the index and make it anew (implies --index)");
        app.add_option_function<std::string>(
               "--index-file", [&o](const std::string& path) { o.indexFile = absolutePath(path); },
               "the index file (default: $XDG_CACHE_HOME/quillsift/index.sqlite)")
            ->type_name("PATH");
        app.add_flag("-q,--quiet", s.quiet, "no status line");
        app.add_flag_callback(
            "--json", [&o, &s] { o.records = s.json = true; },
            "write the report as JSON Lines (with --warnings: warnings and errors too)");
        app.add_option_function<std::string>(
               "--list",
               [this](const std::string& target) {
                   cmd.action = CliCommand::Action::List;
                   cmd.list = listTarget(target);
               },
               "print the directory of one disk, tape, cartridge or tune, or of an archive's "
               "member")
            ->type_name("FILE[::MEMBER]");
    }

    // Run after parsing: the ticked rows into the request.
    void takeLists() {
        SearchRequest& o = cmd.request;
        o.formats = {};
        for (std::size_t i = 0; i < ContainerFormats().size(); ++i)
            if (formats.ticks[i])
                o.formats.add(ContainerFormats()[i]);
        o.entryTypes.clear();
        for (std::size_t i = 0; i < EntryTypes().size(); ++i)
            if (entryTypes.ticks[i])
                o.entryTypes.emplace_back(EntryTypes()[i].type);
    }

    // Run after parsing: exactly one FOLDER, and it must exist (none with --list).
    void takeFolder() {
        if (cmd.action == CliCommand::Action::List) {
            if (!folders.empty())
                reject("--list takes no FOLDER");
            return;
        }
        if (folders.size() != 1)
            reject(folders.empty() ? "no FOLDER given" : "only one FOLDER may be given");
        if (cmd.request.reindex && cmd.request.index == SearchRequest::IndexUse::Only)
            reject("--reindex reads the folder, --index-only does not: give one of them");
        std::error_code ec;
        // Answering from the index alone, the folder may be offline.
        if (cmd.request.index != SearchRequest::IndexUse::Only && !fs::is_directory(folders[0], ec))
            reject(folders[0] + ": no such folder");
        cmd.request.folder = absolutePath(folders[0]);
    }
};

} // namespace

std::string usageText() {
    return CommandLine().app.help();
}

std::optional<CliCommand> parseCommandLine(const std::vector<std::string>& args, std::string& error,
                                           bool* json) {
    CommandLine line;
    try {
        line.app.parse(
            std::vector<std::string>(args.rbegin(), args.rend())); // CLI11 takes them last first
        line.takeLists();
        line.takeFolder();
        return line.cmd;
    } catch (const CLI::CallForHelp&) {
        line.cmd.action = CliCommand::Action::Help;
        return line.cmd;
    } catch (const CLI::CallForVersion&) {
        line.cmd.action = CliCommand::Action::Version;
        return line.cmd;
    } catch (const CLI::ParseError& e) {
        error = e.what();
        if (json != nullptr)
            *json = line.app.count("--json") > 0;
    }
    return std::nullopt;
}

} // namespace qs
