#include "search/IndexRecords.h"

#include "common/Error.h"
#include "common/Petscii.h"
#include "common/Wildcard.h"
#include "search/ArchiveMembers.h"

#include <algorithm>
#include <utility>

namespace qs {

namespace {

// The number of fields of an aggregate, counted by how many values it can be
// initialised from.
struct AnyField {
    template <class T> operator T() const; // never called
};
template <class T, class... Fields> constexpr std::size_t fieldCount() {
    if constexpr (requires { T{Fields{}..., AnyField{}}; })
        return fieldCount<T, Fields..., AnyField>();
    else
        return sizeof...(Fields);
}
template <class T> constexpr std::size_t listed() {
    return std::tuple_size_v<decltype(FieldsOf(std::declval<T&>()))>;
}
static_assert(fieldCount<MediaInfo>() == listed<MediaInfo>(),
              "a field of MediaInfo is missing from its FieldsOf list (AnalysisRecords.h)");
static_assert(fieldCount<CbmEntry>() == listed<CbmEntry>(),
              "a field of CbmEntry is missing from its FieldsOf list (AnalysisRecords.h)");
static_assert(fieldCount<SidInfo>() == listed<SidInfo>(),
              "a field of SidInfo is missing from its FieldsOf list (AnalysisRecords.h)");

void putNumber(std::string& out, std::uint64_t n) {
    while (n >= 0x80) {
        out += static_cast<char>(0x80 | (n & 0x7f));
        n >>= 7;
    }
    out += static_cast<char>(n);
}
void put(std::string& out, std::string_view text) {
    putNumber(out, text.size());
    out += text;
}
void put(std::string& out, const std::string& text) {
    put(out, std::string_view(text));
}
void put(std::string& out, std::int32_t n) {
    // Zig-zag, so that small negative numbers stay short.
    const auto u = static_cast<std::uint32_t>(n);
    putNumber(out, (u << 1) ^ (n < 0 ? 0xffffffffu : 0u));
}
void put(std::string& out, bool b) {
    out += b ? '\1' : '\0';
}
void put(std::string& out, std::uint8_t b) {
    out += static_cast<char>(b);
}

[[noreturn]] void damaged() {
    raise(err::PathFileAccess, "a damaged reading in the index");
}

struct Input {
    std::string_view rest;

    std::uint64_t number() {
        std::uint64_t n = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (rest.empty())
                damaged();
            const auto b = static_cast<std::uint8_t>(rest.front());
            rest.remove_prefix(1);
            n |= std::uint64_t{b & 0x7fu} << shift;
            if ((b & 0x80) == 0)
                return n;
        }
        damaged();
    }
    std::string_view text() {
        const std::uint64_t n = number();
        if (n > rest.size())
            damaged();
        const std::string_view t = rest.substr(0, n);
        rest.remove_prefix(n);
        return t;
    }
    std::uint8_t byte() {
        if (rest.empty())
            damaged();
        const auto b = static_cast<std::uint8_t>(rest.front());
        rest.remove_prefix(1);
        return b;
    }
    void get(std::string& s) { s = text(); }
    void get(std::int32_t& n) {
        const std::uint64_t u = number();
        n = static_cast<std::int32_t>(static_cast<std::uint32_t>(u >> 1) ^
                                      (u & 1 ? 0xffffffffu : 0u));
    }
    void get(bool& b) { b = byte() != 0; }
    void get(std::uint8_t& b) { b = byte(); }
};

// A record as the fields that differ from `before`: a mask of them, then
// each in turn. Entries are kept against the entry before them (a run of
// empty directory slots, or of one type, costs a byte or two an entry), the
// medium's and tune's fields against their defaults.
template <class T, std::size_t... I>
void putFields(std::string& out, const T& record, const T& before, std::index_sequence<I...>) {
    const auto now = FieldsOf(record);
    const auto then = FieldsOf(before);
    std::uint64_t mask = 0;
    ((mask |= std::get<I>(now) == std::get<I>(then) ? 0 : std::uint64_t{1} << I), ...);
    putNumber(out, mask);
    ((mask & (std::uint64_t{1} << I) ? put(out, std::get<I>(now)) : void()), ...);
}
template <class T> void putFields(std::string& out, const T& record, const T& before = T{}) {
    putFields(out, record, before,
              std::make_index_sequence<std::tuple_size_v<decltype(FieldsOf(record))>>{});
}
template <class T, std::size_t... I>
void getFields(Input& in, T& record, std::index_sequence<I...>) {
    const auto fields = FieldsOf(record);
    const std::uint64_t mask = in.number();
    if (mask >> sizeof...(I) != 0)
        damaged();
    ((mask & (std::uint64_t{1} << I) ? in.get(std::get<I>(fields)) : void()), ...);
}
// Into a record that holds what the fields were kept against.
template <class T> void getFields(Input& in, T& record) {
    getFields(in, record,
              std::make_index_sequence<std::tuple_size_v<decltype(FieldsOf(record))>>{});
}

// The narrowing compares bytes by class: a letter and its upper case, and a
// PETSCII byte and its case-swapped form (as the matcher compares names) are
// one class. Worked out rather than looked up, so that a reading's bytes are
// classed many at a time.
constexpr char classOf(std::uint8_t b) {
    if (b >= 193 && b <= 225)
        b = static_cast<std::uint8_t>(b - 128);
    if (b >= 'a' && b <= 'z')
        b = static_cast<std::uint8_t>(b - 'a' + 'A');
    return static_cast<char>(b);
}

} // namespace

void KeptReading::step(Step s, const std::string& name) {
    bytes_ += static_cast<char>(s);
    put(bytes_, name);
}

void KeptReading::read(const std::string& name, const ContainerFormat& format,
                       const AnalysisRecords& records) {
    step(Step::Read, name);
    put(bytes_, format.tag);
    std::string part;
    putFields(part, records.media);
    putFields(part, records.sid);
    put(bytes_, part);
    part.clear();
    putNumber(part, records.entryCount());
    for (std::size_t i = 1; i < records.entries().size(); ++i)
        putFields(part, records.entries()[i], records.entries()[i - 1]);
    put(bytes_, part);
}

void KeptReading::noReader(const std::string& name) {
    step(Step::NoReader, name);
}
void KeptReading::passed(const std::string& name) {
    put(passed_, name);
    std::string shape = MemberShape(name);
    if (!shapes_.contains(shape)) {
        step(Step::Passed, shape);
        shapes_.insert(std::move(shape));
    }
}
void KeptReading::enter(const std::string& name) {
    step(Step::Enter, name);
}
void KeptReading::leave() {
    step(Step::Leave, {});
}

std::optional<KeptReading::Kept> KeptReading::Cursor::next() {
    if (rest_.empty())
        return std::nullopt;
    Input in{rest_};
    const std::uint8_t s = in.byte();
    if (s < static_cast<std::uint8_t>(Step::Read) || s > static_cast<std::uint8_t>(Step::Leave))
        damaged();
    Kept kept{static_cast<Step>(s), in.text()};
    if (kept.step == Step::Read) {
        kept.tag = in.text();
        kept.head = in.text();
        kept.entries = in.text();
    }
    rest_ = in.rest;
    return kept;
}

bool ForEachPassedName(std::string_view names, const std::function<bool(std::string_view)>& use) {
    Input in{names};
    while (!in.rest.empty())
        if (!use(in.text()))
            return false;
    return true;
}

void DecodeRecords(std::string_view head, std::string_view entries, AnalysisRecords& records) {
    records.reset();
    Input in{head};
    getFields(in, records.media);
    getFields(in, records.sid);
    if (!in.rest.empty())
        damaged();
    if (entries.empty())
        return;
    Input list{entries};
    const std::uint64_t count = list.number();
    // Each entry takes a byte or more: a count past that is damage.
    if (count > list.rest.size())
        damaged();
    records.entries().reserve(count + 1);
    for (std::uint64_t i = 0; i < count; ++i) {
        CbmEntry& e = records.appendEntry();
        e = records.entries()[records.entries().size() - 2];
        getFields(list, e);
    }
    if (!list.rest.empty())
        damaged();
}

NameRuns::NameRuns(const std::string& pattern, bool matchCase) {
    for (std::string run : LiteralRuns(pattern, matchCase)) {
        for (char& c : run)
            c = classOf(static_cast<std::uint8_t>(c));
        longest_ = std::max(longest_, run.size());
        runs_.push_back(std::move(run));
    }
}

bool NameRuns::mayMatch(std::string_view reading) const {
    if (runs_.empty())
        return true;
    // Every text of the records lies in the reading as its bytes. It is
    // classed a piece at a time, each piece beginning with the end of the
    // one before, so that a run across two pieces is found.
    const std::size_t pieceSize = std::max<std::size_t>(16 * 1024, 2 * longest_);
    const std::size_t overlap = longest_ > 0 ? longest_ - 1 : 0;
    thread_local std::string classed;
    if (classed.size() < pieceSize)
        classed.resize(pieceSize);
    thread_local std::vector<char> found;
    found.assign(runs_.size(), 0);
    std::size_t left = runs_.size();
    for (std::size_t at = 0;; at += pieceSize - overlap) {
        const std::size_t n = std::min(pieceSize, reading.size() - at);
        char* const out = classed.data();
        const char* const in = reading.data() + at;
        for (std::size_t i = 0; i < n; ++i)
            out[i] = classOf(static_cast<std::uint8_t>(in[i]));
        const std::string_view piece(out, n);
        for (std::size_t r = 0; r < runs_.size(); ++r)
            if (!found[r] && piece.find(runs_[r]) != std::string_view::npos) {
                found[r] = 1;
                --left;
            }
        if (left == 0)
            return true;
        if (at + n >= reading.size())
            return false;
    }
}

} // namespace qs
