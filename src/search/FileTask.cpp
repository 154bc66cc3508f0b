#include "search/FileTask.h"

#include "common/Files.h"
#include "search/ArchiveMembers.h"
#include "search/Dispatcher.h"
#include "search/Matcher.h"
#include "tools/ToolRunner.h"

#include <optional>
#include <utility>

namespace qs {

namespace {

// Runs the dispatcher and the matcher on one file into `report`.
void analyse(const TaskContext& ctx, AnalysisRecords& records, FileReport& report,
             const ByteOpener& open, const ListingRunner& listings, const std::string& path,
             const std::string& shownPath, const std::string& archivePath) {
    const ErrorTrap trap = report.trap();
    const ContainerFormat* format =
        DispatchFile(records, trap, ctx.request.formats, path, open, &listings);
    if (format == nullptr)
        return;
    report.place.kind = std::string(format->tag);
    report.analysed = true;
    report.matches = MatchFile(ctx.request, *format, records, report, shownPath, archivePath);
}

// The reports of an archive: its own, which goes out before its first
// member's, or after its last when something went wrong with the archive as
// a whole past that point; each member's, out as soon as libarchive is
// done with it (a member found damaged is forgotten and read again by the
// outside archiver).
class SearchMembers final : public MemberVisitor, public ErrorRecorder {
  public:
    SearchMembers(const TaskContext& ctx, AnalysisRecords& records, const std::string& archivePath,
                  const ReportOut& out)
        : ctx_(ctx), records_(records), archivePath_(archivePath), out_(out) {
        head_.place.file = tail_.place.file = archivePath;
    }
    FileReport& head() { return head_; }
    ErrorTrap trap() { return ErrorTrap(static_cast<ErrorRecorder&>(*this)); }

    void recordError(const TrappedMessage& message, bool log) override {
        settle();
        (headSent_ ? tail_ : head_).recordError(message, log);
    }
    void counted(std::size_t count) override {
        settle();
        FileReport said;
        FileReport& to = headSent_ ? said : head_;
        to.place.file = archivePath_;
        to.status("Deflating " + std::to_string(count) + " files from archive " + archivePath_,
                  true);
        if (headSent_)
            out_(std::move(said));
    }
    bool visit(const MemberAccess& m) override {
        settle();
        FileReport& r = pending_.emplace();
        r.place = {archivePath_, m.name, {}};
        r.status("Analyzing file " + m.name + " from archive " + archivePath_, true);
        if (m.refused) {
            r.recordError(*m.refused, true);
        } else {
            r.nameFile(m.readPath, m.label);
            if (!m.passOver)
                analyse(ctx_, records_, r, m.open, m.listings, m.readPath, m.label, archivePath_);
        }
        return !ctx_.stop;
    }
    void forgetLast() override { pending_.reset(); }

    // Everything not yet out.
    void finish() {
        settle();
        sendHead();
        if (!tail_.events.empty())
            out_(std::move(tail_));
    }

  private:
    // The member visited last is done with: out it goes, after the archive's report.
    void settle() {
        if (!pending_)
            return;
        sendHead();
        out_(std::move(*pending_));
        pending_.reset();
    }
    void sendHead() {
        if (!std::exchange(headSent_, true))
            out_(std::move(head_));
    }

    const TaskContext& ctx_;
    AnalysisRecords& records_;
    const std::string& archivePath_;
    const ReportOut& out_;
    FileReport head_, tail_;
    bool headSent_ = false;
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
        analyse(ctx, records, report, open, listings, path, path, "");
        out(std::move(report));
        return;
    }
    SearchMembers members(ctx, records, path, out);
    members.head().status("Analyzing file " + path, true);
    members.head().status("Creating array filelist for " + path, true);
    ReadArchiveMembers(ctx.tools, path, {ctx.memberPatterns, std::nullopt},
                       ctx.request.externalArchiver, members.trap(), members);
    members.finish();
}

} // namespace qs
