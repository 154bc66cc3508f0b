#include "cli/JsonReport.h"

#include "cli/CliView.h"
#include "search/Search.h"

#include <nlohmann/json.hpp>

namespace qs {

namespace {

using Json = nlohmann::ordered_json;

// Absent texts are null rather than empty.
Json textOrNull(const std::string& text) {
    return text.empty() ? Json(nullptr) : Json(text);
}

// The names from the outermost archive in: empty for a plain file.
Json chain(const std::vector<std::string>& members, const std::string& member) {
    Json names = Json::array();
    for (const std::string& name : members)
        names.push_back(name);
    if (names.empty() && !member.empty())
        names.push_back(member);
    return names;
}

Json placed(const char* record, const FindingPlace& place) {
    return {{"record", record},
            {"file", place.file},
            {"member", textOrNull(place.member)},
            {"members", chain(place.members, place.member)},
            {"container", textOrNull(place.kind)}};
}

const char* fieldName(MatchRecord::Field field) {
    switch (field) {
    case MatchRecord::Field::Entry:
        return "entry";
    case MatchRecord::Field::MediumName:
        return "medium name";
    case MatchRecord::Field::FileName:
        return "file name";
    case MatchRecord::Field::SidName:
        return "sid name";
    case MatchRecord::Field::SidAuthor:
        return "sid author";
    case MatchRecord::Field::SidCopyright:
        return "sid copyright";
    }
    return "";
}

std::string hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

template <class T> Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

// Paths and member names are bytes; what is not UTF-8 in them cannot be a
// JSON text and shows as U+FFFD. The shown names are always UTF-8.
std::string line(const Json& object) {
    return object.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace

std::string MatchJson(const MatchRecord& match) {
    Json j = placed("match", match.place);
    const bool entry = match.field == MatchRecord::Field::Entry;
    j["matched"] = fieldName(match.field);
    j["text"] = match.shown;
    j["hex"] = hex(match.bytes);
    j["type"] = entry ? Json(match.type) : Json(nullptr);
    j["blocks"] = entry ? Json(match.blocks) : Json(nullptr);
    j["locked"] = orNull(match.locked);
    j["entry"] = orNull(match.entryNo);
    return line(j);
}

std::string WarningJson(const WarningRecord& warning) {
    Json j = placed("warning", warning.place);
    j["text"] = warning.text;
    return line(j);
}

std::string ErrorJson(const TrappedMessage& error) {
    return line({{"record", "error"},
                 {"text", toLf(error.text)},
                 {"file", textOrNull(error.file)},
                 {"member", textOrNull(error.member)},
                 {"members", chain(error.members, error.member)}});
}

std::string SummaryJson(const SearchOutcome& outcome) {
    // A results file that could not be written whole fails the run.
    const char* end = outcome.end == SearchEnd::Stopped ? "stopped"
                      : outcome.end == SearchEnd::Completed && !outcome.resultsIncomplete
                          ? "completed"
                          : "failed";
    return line({{"record", "summary"},
                 {"files_analysed", outcome.filesAnalysed},
                 {"matches", outcome.matches},
                 {"files_failed", outcome.filesFailed},
                 {"end", end}});
}

} // namespace qs
