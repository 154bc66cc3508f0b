#include "search/FileTask.h"

#include "common/Files.h"
#include "search/ArchiveMembers.h"
#include "search/Dispatcher.h"
#include "search/Matcher.h"
#include "tools/ToolRunner.h"

#include <deque>
#include <optional>
#include <unordered_map>
#include <utility>

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
            send(std::move(*l.tail));
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
            send(std::move(said));
    }
    bool visit(const MemberAccess& m) override {
        settle();
        // A set is reported in its head's place, held for it; its other
        // parts' places go.
        FileReport& r = m.setParts == nullptr ? pending_.emplace() : *takeHeld(m, *m.setParts);
        if (m.setParts == nullptr) {
            r.place = {archivePath_, m.name, {}, m.chain};
            r.status("Analyzing file " + m.name + " from archive " + containerLabel(m), true);
        }
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
    void forgetLast() override { pending_.reset(); }
    ErrorTrap closing() override { return trap(); }
    void held(const MemberAccess& part) override {
        settle();
        sendHeads();
        Waiting& w = queue_.emplace_back();
        w.report.emplace().place = {archivePath_, part.name, {}, part.chain};
        w.report->status("Analyzing file " + part.name + " from archive " + containerLabel(part),
                         true);
        heldAt_[part.label] = queued_ + queue_.size() - 1;
    }

    // Everything not yet out.
    void finish() {
        settle();
        sendHeads();
        if (levels_.front().tail)
            send(std::move(*levels_.front().tail));
        flush();
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
        if (pending_) {
            sendHeads();
            send(std::move(*pending_));
            pending_.reset();
        }
        flush();
    }
    void sendHeads() {
        for (Level& l : levels_)
            if (!std::exchange(l.headSent, true))
                send(std::move(l.head));
    }
    // Out it goes, or into the queue while a set part waits.
    void send(FileReport&& report) {
        if (queue_.empty())
            return out_(std::move(report));
        Waiting& w = queue_.emplace_back();
        w.report.emplace(std::move(report));
        w.ready = true;
    }
    void flush() {
        while (!queue_.empty() && queue_.front().ready) {
            if (queue_.front().report)
                out_(std::move(*queue_.front().report));
            queue_.pop_front();
            ++queued_;
        }
    }
    // The report of the set headed by `head`, in its place; the places of
    // its other parts go.
    FileReport* takeHeld(const MemberAccess& head, const std::vector<std::string>& parts) {
        for (const std::string& part : parts) {
            Waiting& w = queue_[heldAt_.at(part) - queued_];
            w.ready = true;
            if (part != head.label)
                w.report.reset();
        }
        FileReport* r = &*queue_[heldAt_.at(head.label) - queued_].report;
        for (const std::string& part : parts)
            heldAt_.erase(part);
        return r;
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
    // Reports that wait behind a set part held, in order: the part's place
    // until its set is read (then its report, or nothing when another part
    // heads the set).
    struct Waiting {
        std::optional<FileReport> report;
        bool ready = false;
    };
    std::deque<Waiting> queue_;
    std::size_t queued_ = 0; // reports that left the front of the queue
    std::unordered_map<std::string, std::size_t> heldAt_; // by label
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
        analyse(ctx, records, report, open, listings, path, path, "", &budget, &openNamed);
        out(std::move(report));
        return;
    }
    SearchMembers members(ctx, records, path, out);
    members.head().status("Analyzing file " + path, true);
    members.head().status("Creating array filelist for " + path, true);
    ReadArchiveMembers(ctx.tools, path, {ctx.memberPatterns, {}, ctx.request.formats},
                       ctx.request.externalArchiver, members.trap(), members);
    members.finish();
}

} // namespace qs
