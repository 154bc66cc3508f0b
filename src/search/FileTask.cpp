#include "search/FileTask.h"

#include "common/Error.h"
#include "common/Files.h"
#include "search/ArchiveMembers.h"
#include "search/Dispatcher.h"
#include "search/IndexRecords.h"
#include "search/Matcher.h"
#include "tools/ToolRunner.h"

#include <deque>

namespace qs {

namespace {

void match(const TaskContext& ctx, const ContainerFormat& format, AnalysisRecords& records,
           FileReport& report, const std::string& shownPath, const std::string& archivePath) {
    report.place.kind = std::string(format.tag);
    report.analysed = true;
    report.matches = MatchFile(ctx.request, format, records, report, shownPath, archivePath);
}

// Runs the dispatcher and the matcher on one file into `report`; with
// `keep`, what the reader found is kept under `keptName` before the matcher
// runs (it swaps the names' case in place).
void analyse(const TaskContext& ctx, AnalysisRecords& records, FileReport& report,
             const ByteOpener& open, const ListingRunner& listings, const std::string& path,
             const std::string& shownPath, const std::string& archivePath, InflateBudget* budget,
             KeptReading* keep, const std::string& keptName) {
    const ErrorTrap trap = report.trap();
    const ContainerFormat* format = DispatchFile(records, trap, ctx.request.formats, path, open,
                                                 &listings, ctx.request.archives, budget);
    if (keep != nullptr) {
        if (format == nullptr)
            keep->noReader(keptName);
        else
            keep->read(keptName, *format, records);
    }
    if (format != nullptr)
        match(ctx, *format, records, report, shownPath, archivePath);
}

// The same from a kept step instead of the reader; false when the step
// lacks the records this request's reader would give.
bool analyseKept(const TaskContext& ctx, AnalysisRecords& records, FileReport& report,
                 const KeptReading::Kept& kept, bool allRecords, const std::string& path,
                 const std::string& shownPath, const std::string& archivePath) {
    std::string inside;
    const ContainerFormat* format =
        DispatchedFormat(ctx.request.formats, path, ctx.request.archives, inside);
    if (format == nullptr) {
        records.reset();
        records.media.Status = status::FalseExtension;
        return true;
    }
    if (kept.step != KeptReading::Step::Read || kept.tag != format->tag)
        return false;
    DecodeRecords(kept.head, allRecords ? kept.entries : std::string_view{}, records);
    match(ctx, *format, records, report, shownPath, archivePath);
    return true;
}

// Each member read, and each archive inside the file, becomes a report of
// its own after the file's, in archive order.
class SearchMembers final : public MemberVisitor {
  public:
    SearchMembers(const TaskContext& ctx, AnalysisRecords& records, const std::string& archivePath,
                  FileReport& first, KeptReading* keep)
        : ctx_(ctx), records_(records), archivePath_(archivePath), keep_(keep) {
        levels_.push_back({&first, 0});
    }

    ErrorTrap enter(const MemberAccess& archive) override {
        if (keep_ != nullptr)
            keep_->enter(archive.name);
        FileReport& r = add(archive);
        // Its messages are about it, by the name it goes by.
        r.nameFile(archive.label, archive.label);
        r.status("Creating array filelist for " + archive.label, true);
        levels_.push_back({&r, members_.size()});
        return r.trap();
    }
    void leave() override {
        if (keep_ != nullptr)
            keep_->leave();
        levels_.pop_back();
    }
    void counted(std::size_t count, const std::string& label) override {
        levels_.back().report->status(
            "Deflating " + std::to_string(count) + " files from archive " + label, true);
    }
    bool visit(const MemberAccess& m) override {
        FileReport& r = add(m);
        if (m.refused) {
            r.recordError(*m.refused, true);
            spoil();
        } else {
            r.nameFile(m.readPath, m.label);
            if (m.passOver)
                spoil();
            else if (replaying_ != nullptr)
                missing_ = !analyseKept(ctx_, records_, r, *replaying_, allRecords_, m.readPath,
                                        m.label, containerLabel(m));
            else
                analyse(ctx_, records_, r, m.open, m.listings, m.readPath, m.label,
                        containerLabel(m), &m.budget, keep_, m.name);
        }
        return !ctx_.stop && !missing_;
    }
    void passed(const std::string& name) override {
        if (keep_ != nullptr)
            keep_->passed(name);
    }
    // The members were read again by the outside archiver: the reading took
    // a way the kept steps cannot tell.
    void forget() override {
        spoil();
        members_.resize(levels_.back().firstMember);
    }
    ErrorTrap closing() override {
        FileReport& r = members_.emplace_back();
        r.place.file = archivePath_;
        return r.trap();
    }

    // A visit that follows a kept step rather than the reader.
    void replay(const KeptReading::Kept* step, bool allRecords) {
        replaying_ = step;
        allRecords_ = allRecords;
    }
    bool missing() const { return missing_; }

    // After the file's own report.
    void done(std::vector<FileReport>& units) {
        for (FileReport& r : members_)
            units.push_back(std::move(r));
    }

  private:
    void spoil() {
        if (keep_ != nullptr)
            keep_->spoil();
    }
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
    KeptReading* keep_;
    const KeptReading::Kept* replaying_ = nullptr;
    bool allRecords_ = true;
    bool missing_ = false;
    std::deque<FileReport> members_; // stay in place while archives within are read
    std::vector<Open> levels_;
};

// Leads `members` through a kept reading of the archive at `archivePath` as
// ReadArchiveMembers leads them through the archive itself; false when the
// request takes a member that reading passed over, or lacks its records.
bool replayMembers(const TaskContext& ctx, const std::string& archivePath, const KeptReading& kept,
                   bool allRecords, SearchMembers& members) {
    struct Level {
        std::string label;
        std::vector<std::string> chain;
        std::size_t count = 0; // members taken
    };
    std::vector<Level> levels{{archivePath, {}}};
    const ToolListingRunner listings(ctx.tools);
    const ByteOpener none = [] {
        raise(err::InvalidCall, "a kept member has no bytes");
        return std::unique_ptr<ByteSource>();
    };
    InflateBudget budget;
    KeptReading::Cursor cursor(kept.bytes());
    while (const std::optional<KeptReading::Kept> step = cursor.next()) {
        const std::string name(step->name);
        if (step->step == KeptReading::Step::Leave) {
            if (levels.size() < 2)
                return false;
            if (levels.back().count > 0)
                members.counted(levels.back().count, levels.back().label);
            levels.pop_back();
            members.leave();
            continue;
        }
        const bool taken = TakesMember(ctx.memberPatterns, name);
        if (step->step == KeptReading::Step::Passed) {
            if (taken)
                return false;
            continue;
        }
        if (!taken)
            continue;
        Level& level = levels.back();
        ++level.count;
        const std::string label = MemberLabel(name, level.label);
        std::vector<std::string> chain = level.chain;
        chain.push_back(name);
        const MemberAccess access{name, label, chain, name, none, listings, budget};
        if (step->step == KeptReading::Step::Enter) {
            members.enter(access);
            levels.push_back({label, std::move(chain)});
            continue;
        }
        members.replay(&*step, allRecords);
        members.visit(access);
        if (members.missing() || ctx.stop)
            return false;
    }
    if (levels.size() != 1)
        return false;
    if (levels.front().count > 0)
        members.counted(levels.front().count, archivePath);
    return true;
}

// The file's first report, as every reading of it begins.
std::vector<FileReport> firstReport(const std::string& path, bool isArchive) {
    std::vector<FileReport> units(1);
    FileReport& first = units.front();
    first.place.file = path;
    first.status("Analyzing file " + path, true);
    if (isArchive)
        first.status("Creating array filelist for " + path, true);
    return units;
}

} // namespace

std::vector<FileReport> AnalyseListedFile(const TaskContext& ctx, AnalysisRecords& records,
                                          const std::string& folder, const std::string& name,
                                          bool isArchive, const OpenFolder* openFolder,
                                          KeptReading* keep) {
    const std::string path = PathInFolder(folder, name);
    std::vector<FileReport> units = firstReport(path, isArchive);
    FileReport& first = units.front();
    if (!isArchive) {
        const ToolListingRunner listings(ctx.tools);
        ByteOpener open;
        if (ctx.opener)
            open = [&] { return ctx.opener(path); };
        else if (openFolder != nullptr)
            open = [&] { return std::make_unique<FileByteSource>(path, *openFolder, name); };
        else
            open = [&] { return std::make_unique<FileByteSource>(path); };
        InflateBudget budget;
        analyse(ctx, records, first, open, listings, path, path, "", &budget, keep, {});
        return units;
    }
    // The outside archiver lists only the members it takes: what it passes
    // over cannot be told.
    if (keep != nullptr && ctx.request.externalArchiver)
        keep->spoil();
    SearchMembers members(ctx, records, path, first, keep);
    ReadArchiveMembers(ctx.tools, path, {ctx.memberPatterns}, ctx.request.externalArchiver,
                       first.trap(), members);
    members.done(units);
    return units;
}

std::optional<std::vector<FileReport>>
ReplayListedFile(const TaskContext& ctx, AnalysisRecords& records, const std::string& folder,
                 const std::string& name, bool isArchive, const KeptReading& kept,
                 bool namesMayMatch) {
    const std::string path = PathInFolder(folder, name);
    std::vector<FileReport> units = firstReport(path, isArchive);
    if (!isArchive) {
        KeptReading::Cursor cursor(kept.bytes());
        const std::optional<KeptReading::Kept> step = cursor.next();
        if (!step || cursor.next() ||
            !analyseKept(ctx, records, units.front(), *step, namesMayMatch, path, path, ""))
            return std::nullopt;
        return units;
    }
    SearchMembers members(ctx, records, path, units.front(), nullptr);
    if (!replayMembers(ctx, path, kept, namesMayMatch, members))
        return std::nullopt;
    members.done(units);
    return units;
}

} // namespace qs
