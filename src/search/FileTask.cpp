#include "search/FileTask.h"

#include "common/Error.h"
#include "common/Files.h"
#include "search/ArchiveMembers.h"
#include "search/Dispatcher.h"
#include "search/IndexRecords.h"
#include "search/Matcher.h"
#include "tools/ToolRunner.h"

#include <deque>
#include <optional>
#include <unordered_map>
#include <utility>

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
// runs (it swaps the names' case in place). A reading that took the other
// files of a set is not kept: they may change on their own.
void analyse(const TaskContext& ctx, AnalysisRecords& records, FileReport& report,
             const ByteOpener& open, const ListingRunner& listings, const std::string& path,
             const std::string& shownPath, const std::string& archivePath, InflateBudget* budget,
             const SiblingOpener* siblings, KeptReading* keep, const std::string& keptName) {
    const ErrorTrap trap = report.trap();
    SiblingOpener watched;
    if (siblings != nullptr)
        watched = [&](const std::string& fileName) {
            if (keep != nullptr)
                keep->spoil();
            return (*siblings)(fileName);
        };
    const ContainerFormat* format =
        DispatchFile(records, trap, ctx.request.formats, path, open, &listings,
                     ctx.request.archives, budget, siblings != nullptr ? &watched : nullptr);
    if (keep != nullptr) {
        if (format == nullptr)
            keep->noReader(keptName);
        else
            keep->read(keptName, *format, records);
    }
    if (format != nullptr)
        match(ctx, *format, records, report, shownPath, archivePath);
}

// The same from a kept step instead of the reader.
void analyseKept(const TaskContext& ctx, AnalysisRecords& records, FileReport& report,
                 const KeptReading::Kept& kept, const ContainerFormat* format, bool allRecords,
                 const std::string& shownPath, const std::string& archivePath) {
    if (format == nullptr) {
        records.reset();
        records.media.Status = status::FalseExtension;
        return;
    }
    DecodeRecords(kept.head, allRecords ? kept.entries : std::string_view{}, records);
    match(ctx, *format, records, report, shownPath, archivePath);
}

// The format a kept step is to be matched as: what the dispatcher would
// read the file as today. False when the step does not hold that reader's
// records.
bool keptFormat(const TaskContext& ctx, const std::string& path, const KeptReading::Kept& kept,
                const ContainerFormat*& format) {
    format = DispatchedFormat(ctx.request.formats, path, ctx.request.archives, kept.tag);
    if (format == nullptr)
        return kept.step == KeptReading::Step::Read || kept.step == KeptReading::Step::NoReader;
    return kept.step == KeptReading::Step::Read && kept.tag == format->tag;
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
                  const ReportOut& out, KeptReading* keep)
        : ctx_(ctx), records_(records), archivePath_(archivePath), out_(out), keep_(keep) {
        levels_.emplace_back(*this).place.file = archivePath;
        head().place = levels_.back().place;
    }
    FileReport& head() { return levels_.front().head; }
    ErrorTrap trap() { return ErrorTrap(levels_.front()); }

    ErrorTrap enter(const MemberAccess& archive) override {
        settle();
        if (keep_ != nullptr)
            keep_->enter(archive.name);
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
        if (keep_ != nullptr)
            keep_->leave();
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
            spoil();
        } else {
            r.nameFile(m.readPath, m.label);
            if (m.passOver)
                spoil();
            else if (replaying_ != nullptr)
                analyseKept(ctx_, records_, r, *replaying_, replayFormat_, allRecords_, m.label,
                            containerLabel(m));
            else
                analyse(ctx_, records_, r, m.open, m.listings, m.readPath, m.label,
                        containerLabel(m), &m.budget, m.siblings, keep_, m.name);
        }
        return !ctx_.stop;
    }
    void passed(const std::string& name) override {
        if (keep_ != nullptr)
            keep_->passed(name);
    }
    // The reading took a way the kept steps cannot tell.
    void byOutsideArchiver() override { spoil(); }
    void forgetLast() override {
        spoil();
        pending_.reset();
    }
    ErrorTrap closing() override { return trap(); }
    void held(const MemberAccess& part) override {
        spoil(); // a set is read from several members
        settle();
        sendHeads();
        Waiting& w = queue_.emplace_back();
        w.report.emplace().place = {archivePath_, part.name, {}, part.chain};
        w.report->status("Analyzing file " + part.name + " from archive " + containerLabel(part),
                         true);
        heldAt_[part.label] = queued_ + queue_.size() - 1;
    }

    // A visit that follows a kept step, read as `format`, rather than the reader.
    void replay(const KeptReading::Kept* step, const ContainerFormat* format, bool allRecords) {
        replaying_ = step;
        replayFormat_ = format;
        allRecords_ = allRecords;
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
    void spoil() {
        if (keep_ != nullptr)
            keep_->spoil();
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
    KeptReading* keep_;
    const KeptReading::Kept* replaying_ = nullptr;
    const ContainerFormat* replayFormat_ = nullptr;
    bool allRecords_ = true;
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

// Leads `members` through a kept reading of the archive at `archivePath` as
// ReadArchiveMembers leads them through the archive itself; without
// `members`, only says whether it can (false when the request takes a
// member that reading passed over, or whose records it lacks) and counts in
// `analysed` the members a reader would read.
bool replayMembers(const TaskContext& ctx, const std::string& archivePath, std::string_view kept,
                   const std::optional<std::string>& passed, bool allRecords,
                   SearchMembers* members, int* analysed = nullptr) {
    struct Level {
        std::string label;
        std::vector<std::string> chain;
    };
    std::vector<Level> levels{{archivePath, {}}};
    const ToolListingRunner listings(ctx.tools);
    const ByteOpener none = [] {
        raise(err::InvalidCall, "a kept member has no bytes");
        return std::unique_ptr<ByteSource>();
    };
    InflateBudget budget;
    // Prepared once a search and thread: an archive may hold hundreds of
    // thousands of members, and a search many archives.
    thread_local std::optional<std::pair<std::string, MemberTaker>> prepared;
    if (!prepared || prepared->first != ctx.memberPatterns)
        prepared.emplace(ctx.memberPatterns, MemberTaker(ctx.memberPatterns));
    const MemberTaker& takes = prepared->second;
    // The members passed over: by their shapes when these tell, else by
    // their names (checked once, before the members are led through).
    const bool byShape = takes.seesShapes();
    if (!byShape && members == nullptr &&
        (!passed ||
         !ForEachPassedName(*passed, [&](std::string_view name) { return !takes(name); })))
        return false;
    KeptReading::Cursor cursor(kept);
    while (const std::optional<KeptReading::Kept> step = cursor.next()) {
        if (step->step == KeptReading::Step::Leave) {
            if (levels.size() < 2)
                return false;
            levels.pop_back();
            if (members != nullptr)
                members->leave();
            continue;
        }
        if (step->step == KeptReading::Step::Passed) {
            if (byShape && takes(step->name))
                return false;
            continue;
        }
        const bool taken = takes(step->name);
        if (!taken)
            continue;
        const std::string name(step->name);
        const Level& level = levels.back();
        const std::string label = MemberLabel(name, level.label);
        std::vector<std::string> chain = level.chain;
        chain.push_back(name);
        const MemberAccess access{name, label, chain, name, none, listings, budget};
        if (step->step == KeptReading::Step::Enter) {
            if (members != nullptr)
                members->enter(access);
            levels.push_back({label, std::move(chain)});
            continue;
        }
        const ContainerFormat* format = nullptr;
        if (!keptFormat(ctx, name, *step, format))
            return false;
        if (members == nullptr) {
            if (analysed != nullptr && format != nullptr)
                ++*analysed;
            continue;
        }
        members->replay(&*step, format, allRecords);
        members->visit(access);
        if (ctx.stop)
            return true;
    }
    return levels.size() == 1;
}

} // namespace

void AnalyseListedFile(const TaskContext& ctx, AnalysisRecords& records, const std::string& folder,
                       const std::string& name, bool isArchive, const OpenFolder* openFolder,
                       const ReportOut& out, KeptReading* keep) {
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
        analyse(ctx, records, report, open, listings, path, path, "", &budget, &openNamed, keep,
                {});
        out(std::move(report));
        return;
    }
    SearchMembers members(ctx, records, path, out, keep);
    members.head().status("Analyzing file " + path, true);
    members.head().status("Creating array filelist for " + path, true);
    ReadArchiveMembers(ctx.tools, path, {ctx.memberPatterns, {}, ctx.request.formats},
                       ctx.request.externalArchiver, members.trap(), members);
    members.finish();
}

std::optional<int> CountedAlone(const TaskContext& ctx, const std::string& path, bool isArchive,
                                std::string_view kept, const std::optional<std::string>& passed,
                                bool namesMayMatch) {
    // Nothing of the reading can match, and nothing else is shown of a file
    // without a match.
    const SearchRequest& o = ctx.request;
    if (namesMayMatch || o.warnings || o.fileNames)
        return std::nullopt;
    int analysed = 0;
    if (isArchive) {
        if (!replayMembers(ctx, path, kept, passed, false, nullptr, &analysed))
            return std::nullopt;
        return analysed;
    }
    KeptReading::Cursor cursor(kept);
    const std::optional<KeptReading::Kept> step = cursor.next();
    const ContainerFormat* format = nullptr;
    if (!step || cursor.next() || !keptFormat(ctx, path, *step, format))
        return std::nullopt;
    return format != nullptr ? 1 : 0;
}

bool ReplayListedFile(const TaskContext& ctx, AnalysisRecords& records, const std::string& folder,
                      const std::string& name, bool isArchive, std::string_view kept,
                      const std::optional<std::string>& passed, bool namesMayMatch,
                      const ReportOut& out) {
    const std::string path = PathInFolder(folder, name);
    if (const std::optional<int> analysed =
            CountedAlone(ctx, path, isArchive, kept, passed, namesMayMatch)) {
        FileReport counted;
        counted.place.file = path;
        counted.alsoAnalysed = *analysed;
        out(std::move(counted));
        return true;
    }
    if (!isArchive) {
        KeptReading::Cursor cursor(kept);
        const std::optional<KeptReading::Kept> step = cursor.next();
        const ContainerFormat* format = nullptr;
        if (!step || cursor.next() || !keptFormat(ctx, path, *step, format))
            return false;
        FileReport report;
        report.place.file = path;
        report.status("Analyzing file " + path, true);
        analyseKept(ctx, records, report, *step, format, namesMayMatch, path, "");
        out(std::move(report));
        return true;
    }
    // Checked whole before anything goes out.
    if (!replayMembers(ctx, path, kept, passed, namesMayMatch, nullptr))
        return false;
    SearchMembers members(ctx, records, path, out, nullptr);
    members.head().status("Analyzing file " + path, true);
    members.head().status("Creating array filelist for " + path, true);
    replayMembers(ctx, path, kept, passed, namesMayMatch, &members);
    members.finish();
    return true;
}

} // namespace qs
