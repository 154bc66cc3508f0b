#include "search/FileTask.h"

#include "common/Files.h"
#include "search/ArchiveMembers.h"
#include "search/Dispatcher.h"
#include "search/Matcher.h"
#include "tools/ToolRunner.h"

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

// Each member read becomes a report of its own after the archive's.
class SearchMembers final : public MemberVisitor {
  public:
    SearchMembers(const TaskContext& ctx, AnalysisRecords& records, const std::string& archivePath,
                  std::vector<FileReport>& units)
        : ctx_(ctx), records_(records), archivePath_(archivePath), units_(units) {}

    void counted(std::size_t count) override {
        units_.front().status(
            "Deflating " + std::to_string(count) + " files from archive " + archivePath_, true);
    }
    bool visit(const MemberAccess& m) override {
        FileReport& r = members_.emplace_back();
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
    void forget() override { members_.clear(); }

    // After the archive's own report, which says how many there are.
    void done() {
        for (FileReport& r : members_)
            units_.push_back(std::move(r));
    }

  private:
    const TaskContext& ctx_;
    AnalysisRecords& records_;
    const std::string& archivePath_;
    std::vector<FileReport>& units_;
    std::vector<FileReport> members_;
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
        ByteOpener open;
        if (ctx.opener)
            open = [&] { return ctx.opener(path); };
        else if (openFolder != nullptr)
            open = [&] { return std::make_unique<FileByteSource>(path, *openFolder, name); };
        else
            open = [&] { return std::make_unique<FileByteSource>(path); };
        analyse(ctx, records, first, open, listings, path, path, "");
        return units;
    }
    first.status("Creating array filelist for " + path, true);
    SearchMembers members(ctx, records, path, units);
    ReadArchiveMembers(ctx.tools, path, {ctx.memberPatterns, std::nullopt},
                       ctx.request.externalArchiver, first.trap(), members);
    members.done();
    return units;
}

} // namespace qs
