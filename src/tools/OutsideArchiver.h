#pragma once
// Archives through the outside archiver: the members that fit the search's
// patterns, listed with what the archiver knows of each, and unpacked into a
// fresh folder of their own. No member name is ever handed to the archiver
// in a list file (it reads one as text of its locale, and a name that is not
// fails all of them): it unpacks what fits the patterns, and each listed
// member is then found in the folder.
#include "common/Result.h"
#include "tools/ToolEnv.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qs {

// A member as the archiver's technical listing ("7z l -slt") shows it.
struct ListedMember {
    std::string name;                  // exactly as listed
    std::optional<std::uint64_t> size; // unpacked size, when listed
    bool encrypted = false;
    bool folder = false;
    bool special = false; // a link, a pipe or a device: no file of its own
};

// The archiver's switches that choose members: those whose file name (or
// the name of a folder they lie in) fits one of the ";"-separated patterns
// (none: every member), or exactly the member `name` (every member when the
// name holds a wildcard).
std::vector<std::string> PatternSwitches(const std::string& patterns);
std::vector<std::string> ExactSwitches(const std::string& name);

// The members the switches choose, or why there are none ("not an archive 7z
// can read" for a file it does not take as an archive).
Result<std::vector<ListedMember>> ListArchiveFiles(const ToolEnv& env,
                                                   const std::string& archivePath,
                                                   const std::vector<std::string>& choice);

// The members of a technical listing: one block of "Key = Value" lines each,
// after the "----------" line. Nothing when the listing is not whole (no
// such line, or a last block that never ended).
std::optional<std::vector<ListedMember>> ParseArchiveListing(const std::string& listing);

// What unpacking answered: done, or stopped when the folder passed its cap
// (`stopped`), and the archiver's reason when it ended with a failure (some
// members are then missing or cut short).
struct Unpacking {
    bool stopped = false;
    std::string failure;
};

// Unpacks the members the switches choose into the new folder `workFolder`
// with their inner paths, never overwriting one member with another (a name
// used twice is kept twice, the second renamed), giving a wrong password to
// encrypted members so that they fail alone, and leaving out `excluded` (as
// listed). The archiver is stopped when one file in the folder passes
// kMaxMemberBytes or the folder passes `cap` bytes.
Result<Unpacking> ExtractArchiveFiles(const ToolEnv& env, const std::string& archivePath,
                                      const std::vector<std::string>& choice,
                                      const std::vector<std::string>& excluded,
                                      const std::string& workFolder, std::uint64_t cap);

// The archiver's argument words. The archiver compares names case-sensitively
// unless told otherwise; members must fit the patterns as files do, without
// regard to case, hence the closing "-ssc-".
std::vector<std::string> ArchiveListArguments(const std::string& archivePath,
                                              const std::vector<std::string>& choice);
std::vector<std::string> ArchiveExtractArguments(const std::string& archivePath,
                                                 const std::vector<std::string>& choice,
                                                 const std::vector<std::string>& excluded,
                                                 const std::string& workFolder);

// False for a name that would leave the extraction folder: empty, absolute,
// or holding a ".." step.
bool IsSafeMemberName(const std::string& name);

} // namespace qs
