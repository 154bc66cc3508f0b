#pragma once
// One reading of a listed file in the form the index keeps it: what each
// reader found and, for an archive, its members in archive order (those read,
// those passed over, the archives within), so that a later search can be
// answered from it as if it had read the file again. Records are kept field
// by field as their structs list them (FieldsOf), a format by its tag: a new
// record field or a new format needs nothing here.
#include "media/AnalysisRecords.h"
#include "media/Formats.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qs {

class KeptReading {
  public:
    enum class Step : std::uint8_t {
        Read = 1, // a member (or the file itself) its reader read
        NoReader, // a member the search looked at, no reader took it
        Passed,   // the MemberShape of members the search did not look at
        Enter,    // an archive inside: its members follow, up to Leave
        Leave,
    };

    KeptReading() = default;
    explicit KeptReading(std::string bytes) : bytes_(std::move(bytes)) {}

    // Kept as the reading goes. A reading that went another way than the
    // steps can tell (the outside archiver) is spoilt: it is not kept.
    void read(const std::string& name, const ContainerFormat& format,
              const AnalysisRecords& records);
    void noReader(const std::string& name);
    void passed(const std::string& name);
    void enter(const std::string& name);
    void leave();
    void spoil() { spoilt_ = true; }
    bool spoilt() const { return spoilt_; }

    // Every text of every record lies in them as its bytes (NameRuns).
    const std::string& bytes() const { return bytes_; }
    // The bytes, handed over (an archive's reading may be megabytes).
    std::string take() { return std::move(bytes_); }
    // The names of the members passed over, kept apart: an archive may pass
    // over hundreds of thousands, of a few shapes, and most searches need
    // only the shapes (PassedNames reads them back).
    const std::string& passedNames() const { return passed_; }
    std::string takePassedNames() { return std::move(passed_); }

    // One step read back; `records` are the bytes DecodeRecords takes.
    struct Kept {
        Step step;
        std::string_view name;
        std::string_view tag = {};
        std::string_view head = {};    // media and tune fields
        std::string_view entries = {}; // the entries
    };
    // Steps in order from the start; none at the end. Raises on bytes that
    // are not a reading (a damaged index).
    class Cursor {
      public:
        explicit Cursor(std::string_view bytes) : rest_(bytes) {}
        std::optional<Kept> next();

      private:
        std::string_view rest_;
    };

  private:
    void step(Step s, const std::string& name);

    std::string bytes_;
    std::string passed_;
    std::set<std::string, std::less<>> shapes_;
    bool spoilt_ = false;
};

// The names of KeptReading::passedNames(), each in turn; false from `use`
// stops. Raises on bytes that are not such names (a damaged index).
bool ForEachPassedName(std::string_view names, const std::function<bool(std::string_view)>& use);

// The records a Read step kept, into fresh records; without `entries` (empty)
// the medium's and tune's fields only. Raises on damaged bytes.
void DecodeRecords(std::string_view head, std::string_view entries, AnalysisRecords& records);

// The literal runs of a search string (LiteralRuns), for narrowing readings.
class NameRuns {
  public:
    NameRuns(const std::string& pattern, bool matchCase);
    // False only when no text of the reading can match the search string:
    // some run lies in none of them, compared without regard to case and
    // to the PETSCII case swap.
    bool mayMatch(std::string_view reading) const;

  private:
    std::vector<std::string> runs_;
    std::size_t longest_ = 0;
};

} // namespace qs
