#include "search/FileTask.h"

#include "common/Files.h"
#include "search/ArchiveMembers.h"
#include "search/Dispatcher.h"
#include "search/Matcher.h"
#include "tools/ToolRunner.h"

#include <deque>
#include <unordered_map>
#include <unordered_set>

namespace qs {

namespace {

// Runs the dispatcher and the matcher on one file into `report`.
void analyse(const TaskContext& ctx, AnalysisRecords& records, FileReport& report,
             const ByteOpener& open, const ListingRunner& listings, const std::string& path,
             const std::string& shownPath, const std::string& archivePath, InflateBudget* budget,
             const SiblingOpener* siblings) {
    const ErrorTrap trap = report.trap();
    const ContainerFormat* format = DispatchFile(records, trap, ctx.request.formats, path, open,
                                                 &listings, ctx.request.archives, budget, siblings);
    if (format == nullptr)
        return;
    report.place.kind = std::string(format->tag);
    report.analysed = true;
    report.matches = MatchFile(ctx.request, *format, records, report, shownPath, archivePath);
}

// Each member read, and each archive inside the file, becomes a report of
// its own after the file's, in archive order.
class SearchMembers final : public MemberVisitor {
  public:
    SearchMembers(const TaskContext& ctx, AnalysisRecords& records, const std::string& archivePath,
                  FileReport& first)
        : ctx_(ctx), records_(records), archivePath_(archivePath) {
        levels_.push_back({&first, 0});
    }

    ErrorTrap enter(const MemberAccess& archive) override {
        FileReport& r = add(archive);
        // Its messages are about it, by the name it goes by.
        r.nameFile(archive.label, archive.label);
        r.status("Creating array filelist for " + archive.label, true);
        levels_.push_back({&r, members_.size()});
        return r.trap();
    }
    void leave() override { levels_.pop_back(); }
    void counted(std::size_t count, const std::string& label) override {
        levels_.back().report->status(
            "Deflating " + std::to_string(count) + " files from archive " + label, true);
    }
    void held(const MemberAccess& part) override {
        heldPlaces_[part.label] = members_.size();
        add(part);
    }
    bool visit(const MemberAccess& m) override {
        // A set is reported in its head's place; its other parts' places go.
        FileReport& r = m.setParts == nullptr ? add(m) : members_[heldPlaces_.at(m.label)];
        if (m.setParts != nullptr)
            for (const std::string& part : *m.setParts)
                if (part != m.label)
                    givenUp_.insert(heldPlaces_.at(part));
        if (m.refused) {
            r.recordError(*m.refused, true);
        } else {
            r.nameFile(m.readPath, m.label);
            if (!m.passOver)
                analyse(ctx_, records_, r, m.open, m.listings, m.readPath, m.label,
                        containerLabel(m), &m.budget, m.siblings);
        }
        return !ctx_.stop;
    }
    void forget() override {
        members_.resize(levels_.back().firstMember);
        std::erase_if(heldPlaces_,
                      [&](const auto& held) { return held.second >= members_.size(); });
        std::erase_if(givenUp_, [&](std::size_t place) { return place >= members_.size(); });
    }
    ErrorTrap closing() override {
        FileReport& r = members_.emplace_back();
        r.place.file = archivePath_;
        return r.trap();
    }

    // After the file's own report.
    void done(std::vector<FileReport>& units) {
        for (std::size_t i = 0; i < members_.size(); ++i)
            if (!givenUp_.contains(i))
                units.push_back(std::move(members_[i]));
    }

  private:
    // A member's report, with the archive it is in named in its status.
    FileReport& add(const MemberAccess& m) {
        FileReport& r = members_.emplace_back();
        r.place = {archivePath_, m.name, {}, m.chain};
        r.status("Analyzing file " + m.name + " from archive " + containerLabel(m), true);
        return r;
    }
    // The archive that holds the member, as messages name it.
    static std::string containerLabel(const MemberAccess& m) {
        return m.label.substr(m.name.size() + 4); // after "NAME in "
    }

    struct Open {
        FileReport* report; // the archive's own report
        std::size_t firstMember;
    };
    const TaskContext& ctx_;
    AnalysisRecords& records_;
    const std::string& archivePath_;
    std::deque<FileReport> members_; // stay in place while archives within are read
    std::vector<Open> levels_;
    // The places of the set parts held, by label; those given up to their set's head.
    std::unordered_map<std::string, std::size_t> heldPlaces_;
    std::unordered_set<std::size_t> givenUp_;
};

} // namespace

std::vector<FileReport> AnalyseListedFile(const TaskContext& ctx, AnalysisRecords& records,
                                          const std::string& folder, const std::string& name,
                                          bool isArchive, const OpenFolder* openFolder) {
    const std::string path = PathInFolder(folder, name);
    std::vector<FileReport> units(1);
    FileReport& first = units.front();
    first.place.file = path;
    first.status("Analyzing file " + path, true);
    if (!isArchive) {
        const ToolListingRunner listings(ctx.tools);
        // The file, or another of its set, by its name in the folder.
        const SiblingOpener openNamed = [&](const std::string& fileName) {
            const std::string named = PathInFolder(folder, fileName);
            if (ctx.opener)
                return ctx.opener(named);
            if (openFolder != nullptr)
                return std::unique_ptr<ByteSource>(
                    std::make_unique<FileByteSource>(named, *openFolder, fileName));
            return std::unique_ptr<ByteSource>(std::make_unique<FileByteSource>(named));
        };
        const ByteOpener open = [&] { return openNamed(name); };
        InflateBudget budget;
        analyse(ctx, records, first, open, listings, path, path, "", &budget, &openNamed);
        return units;
    }
    first.status("Creating array filelist for " + path, true);
    SearchMembers members(ctx, records, path, first);
    ReadArchiveMembers(ctx.tools, path, {ctx.memberPatterns, {}, ctx.request.formats},
                       ctx.request.externalArchiver, first.trap(), members);
    members.done(units);
    return units;
}

} // namespace qs
