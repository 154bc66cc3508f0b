#pragma once
// What the analysis of an archive member needs beyond the member's bytes:
// the name it goes by, a listing program for G64 and TAP members, and the
// check that an extracted member may be read and deleted.
#include "media/ListingRunner.h"
#include "tools/ToolEnv.h"

#include <string>

namespace qs {

class ArchiveMember;

// The name a member goes by in what the user reads.
std::string MemberLabel(const std::string& member, const std::string& archivePath);

// A G64 or TAP member is written alone to the temporary folder for its
// listing program; nothing else of an archive touches the disk.
class MemberListingRunner final : public ListingRunner {
  public:
    MemberListingRunner(const ToolEnv& env, const ArchiveMember& member)
        : env_(env), member_(member) {}
    std::string listing(ListingProgram program, const std::string& path) const override;

  private:
    const ToolEnv& env_;
    const ArchiveMember& member_;
};

// An extracted member is analysed and deleted only when it is an ordinary file
// that lies inside the extraction folder (no link, nothing reached through
// one). A member the archiver did not unpack is left to the reader, which
// reports the missing file.
enum class MemberState { Inside, Missing, Outside };
MemberState ExtractedMemberState(const std::string& workFolder, const std::string& memberPath);

} // namespace qs
