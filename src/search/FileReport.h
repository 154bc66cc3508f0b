#pragma once
// What the search shows for one file (or one archive member), kept in order:
// status texts, trapped errors, report texts and the records of its matches
// and warnings. Work done ahead of the report fills one; the search replays
// it when the file's turn comes, so the report never depends on which thread
// analysed what.
#include "common/ErrorTrap.h"
#include "search/ReportRecords.h"

#include <memory>
#include <string>
#include <vector>

namespace qs {

class ReportWriter;

class FileReport final : public ErrorRecorder {
  public:
    enum class Kind { Status, PumpedStatus, Error, Result, FolderProgress, Match, Warning, Block };
    struct Event {
        Kind kind;
        std::string text = {};
        bool log = true;                    // errors: also written to the error log
        std::size_t done = 0, total = 0;    // folder progress
        std::string file = {}, member = {}; // errors: what the error is about, when known
        std::vector<std::string> members = {};
        std::shared_ptr<const MatchRecord> match = {}; // kept apart: events stay small
    };

    // A status text, kept escaped (escapedForLine) as it is one line; `pump`
    // lets window events run after it, as the search does after each step
    // that may take a while.
    void status(std::string text, bool pump = false);
    void result(std::string text);
    // The records of the matches and warnings in the report texts, made at
    // this report's place.
    void match(MatchRecord record);
    void warning(std::string text);
    // The result block just reported is about this report's place.
    void block();
    void recordError(const TrappedMessage& message, bool log) override;
    void folderProgress(std::size_t done, std::size_t total);
    // Error messages about the file at `path` name it `label` instead: an
    // archive member is named as the user can find it, not by where it was
    // read from.
    void nameFile(std::string path, std::string label);
    // A trap whose messages land in this report.
    ErrorTrap trap() { return ErrorTrap(*this); }
    // An error was trapped: the file could not be (fully) searched.
    bool failed() const;
    // The memory the report holds, roughly: what work done ahead of the
    // report keeps in flight is bounded by it.
    std::size_t bytes() const;

    std::vector<Event> events;
    // What the report is about: its file (or folder), and the container kind
    // once a reader ran.
    FindingPlace place;
    bool analysed = false; // a reader ran: the file counts as analysed
    // Files besides it analysed with nothing to show (answered from the
    // index, where nothing of them can match): counted, never replayed.
    int alsoAnalysed = 0;
    int matches = 0;

  private:
    std::string path_, label_;
};

// Shows the report's events in order: statuses, error boxes (and their log
// entries), report texts through the output step, and the records of its
// matches and warnings; answers how many of its matches were reported: all,
// or, when the search was stopped part-way through, those whose records
// went out before.
int Replay(ReportWriter& out, const FileReport& report);

} // namespace qs
