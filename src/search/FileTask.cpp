#include "search/FileTask.h"

#include "common/Files.h"
#include "search/ArchiveMembers.h"
#include "search/Dispatcher.h"
#include "search/Matcher.h"
#include "tools/ToolRunner.h"

#include <deque>
#include <optional>
#include <utility>

namespace qs {

namespace {

// Runs the dispatcher and the matcher on one file into `report`.
void analyse(const TaskContext& ctx, AnalysisRecords& records, FileReport& report,
             const ByteOpener& open, const ListingRunner& listings, const std::string& path,
             const std::string& shownPath, const std::string& archivePath,
             InflateBudget* budget = nullptr) {
    const ErrorTrap trap = report.trap();
    const ContainerFormat* format = DispatchFile(records, trap, ctx.request.formats, path, open,
                                                 &listings, ctx.request.archives, budget);
    if (format == nullptr)
        return;
    report.place.kind = std::string(format->tag);
    report.analysed = true;
    report.matches = MatchFile(ctx.request, *format, records, report, shownPath, archivePath);
}

// The reports of an archive and of the archives inside it. Each archive's
// own report goes out before its first member's, or after its last when
// something went wrong with that archive as a whole past that point (then
// in a second report of it); each member's goes out as soon as the reading
// is done with it (a member found damaged is forgotten and read again by
// the outside archiver). Nothing is kept for members already out.
class SearchMembers final : public MemberVisitor {
  public:
    SearchMembers(const TaskContext& ctx, AnalysisRecords& records, const std::string& archivePath,
                  const ReportOut& out)
        : ctx_(ctx), records_(records), archivePath_(archivePath), out_(out) {
        levels_.emplace_back(*this).place.file = archivePath;
        head().place = levels_.back().place;
    }
    FileReport& head() { return levels_.front().head; }
    ErrorTrap trap() { return ErrorTrap(levels_.front()); }

    ErrorTrap enter(const MemberAccess& archive) override {
        settle();
        Level& l = levels_.emplace_back(*this);
        l.place = {archivePath_, archive.name, {}, archive.chain};
        l.head.place = l.place;
        l.head.status("Analyzing file " + archive.name + " from archive " + containerLabel(archive),
                      true);
        // Its messages are about it, by the name it goes by.
        l.head.nameFile(archive.label, archive.label);
        l.label = archive.label;
        l.head.status("Creating array filelist for " + archive.label, true);
        return ErrorTrap(l);
    }
    void leave() override {
        settle();
        sendHeads();
        Level& l = levels_.back();
        if (l.tail)
            out_(std::move(*l.tail));
        levels_.pop_back();
    }
    void counted(std::size_t count, const std::string& label) override {
        settle();
        Level& l = levels_.back();
        FileReport said;
        FileReport& to = l.headSent ? said : l.head;
        said.place = l.place;
        to.status("Deflating " + std::to_string(count) + " files from archive " + label, true);
        if (l.headSent)
            out_(std::move(said));
    }
    bool visit(const MemberAccess& m) override {
        settle();
        FileReport& r = pending_.emplace();
        r.place = {archivePath_, m.name, {}, m.chain};
        r.status("Analyzing file " + m.name + " from archive " + containerLabel(m), true);
        if (m.refused) {
            r.recordError(*m.refused, true);
        } else {
            r.nameFile(m.readPath, m.label);
            if (!m.passOver)
                analyse(ctx_, records_, r, m.open, m.listings, m.readPath, m.label,
                        containerLabel(m), &m.budget);
        }
        return !ctx_.stop;
    }
    void forgetLast() override { pending_.reset(); }
    ErrorTrap closing() override { return trap(); }

    // Everything not yet out.
    void finish() {
        settle();
        sendHeads();
        if (levels_.front().tail)
            out_(std::move(*levels_.front().tail));
    }

  private:
    // An archive being read: its own report, and what is said of it once
    // that is out.
    struct Level final : ErrorRecorder {
        explicit Level(SearchMembers& members) : owner(members) {}
        void recordError(const TrappedMessage& message, bool log) override {
            owner.settle();
            if (!headSent) {
                head.recordError(message, log);
                return;
            }
            if (!tail) {
                tail.emplace().place = place;
                if (!label.empty())
                    tail->nameFile(label, label);
            }
            tail->recordError(message, log);
        }
        SearchMembers& owner;
        FindingPlace place;
        std::string label; // an archive inside: how its messages name it
        FileReport head;
        std::optional<FileReport> tail;
        bool headSent = false;
    };

    // The member visited last is done with: out it goes, after the reports
    // of the archives it lies in.
    void settle() {
        if (!pending_)
            return;
        sendHeads();
        out_(std::move(*pending_));
        pending_.reset();
    }
    void sendHeads() {
        for (Level& l : levels_)
            if (!std::exchange(l.headSent, true))
                out_(std::move(l.head));
    }
    // The archive that holds the member, as messages name it.
    static std::string containerLabel(const MemberAccess& m) {
        return m.label.substr(m.name.size() + 4); // after "NAME in "
    }

    const TaskContext& ctx_;
    AnalysisRecords& records_;
    const std::string& archivePath_;
    const ReportOut& out_;
    std::deque<Level> levels_; // stay in place: traps point at them
    std::optional<FileReport> pending_;
};

} // namespace

void AnalyseListedFile(const TaskContext& ctx, AnalysisRecords& records, const std::string& folder,
                       const std::string& name, bool isArchive, const OpenFolder* openFolder,
                       const ReportOut& out) {
    const std::string path = PathInFolder(folder, name);
    if (!isArchive) {
        FileReport report;
        report.place.file = path;
        report.status("Analyzing file " + path, true);
        const ToolListingRunner listings(ctx.tools);
        ByteOpener open;
        if (ctx.opener)
            open = [&] { return ctx.opener(path); };
        else if (openFolder != nullptr)
            open = [&] { return std::make_unique<FileByteSource>(path, *openFolder, name); };
        else
            open = [&] { return std::make_unique<FileByteSource>(path); };
        InflateBudget budget;
        analyse(ctx, records, report, open, listings, path, path, "", &budget);
        out(std::move(report));
        return;
    }
    SearchMembers members(ctx, records, path, out);
    members.head().status("Analyzing file " + path, true);
    members.head().status("Creating array filelist for " + path, true);
    ReadArchiveMembers(ctx.tools, path, {ctx.memberPatterns}, ctx.request.externalArchiver,
                       members.trap(), members);
    members.finish();
}

} // namespace qs
