#include "search/IndexRecords.h"

#include "common/Error.h"
#include "common/Petscii.h"
#include "common/Wildcard.h"

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

template <class T> void putFields(std::string& out, const T& record) {
    std::apply([&](const auto&... field) { (put(out, field), ...); }, FieldsOf(record));
}
template <class T> void getFields(Input& in, T& record) {
    std::apply([&](auto&... field) { (in.get(field), ...); }, FieldsOf(record));
}

// The texts of a record, folded as NamesMayMatch compares them.
char fold(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
void addName(std::string& names, const std::string& text) {
    if (text.empty())
        return;
    const std::size_t start = names.size();
    for (char c : text)
        names += fold(c);
    names += '\0';
    // The matcher compares PETSCII names case-swapped.
    const std::string swapped = SwapPetsciiCase(text);
    std::string folded;
    for (char c : swapped)
        folded += fold(c);
    if (names.compare(start, folded.size(), folded) != 0) {
        names += folded;
        names += '\0';
    }
}
template <class T> void addNames(std::string& names, const T& record) {
    std::apply(
        [&](const auto&... field) {
            auto one = [&](const auto& f) {
                if constexpr (std::is_same_v<std::decay_t<decltype(f)>, std::string>)
                    addName(names, f);
            };
            (one(field), ...);
        },
        FieldsOf(record));
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
        putFields(part, records.entries()[i]);
    put(bytes_, part);
    addNames(names_, records.media);
    addNames(names_, records.sid);
    for (std::size_t i = 1; i < records.entries().size(); ++i)
        addNames(names_, records.entries()[i]);
}

void KeptReading::noReader(const std::string& name) {
    step(Step::NoReader, name);
}
void KeptReading::passed(const std::string& name) {
    step(Step::Passed, name);
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
    for (std::uint64_t i = 0; i < count; ++i)
        getFields(list, records.appendEntry());
    if (!list.rest.empty())
        damaged();
}

bool NamesMayMatch(const std::string& pattern, bool matchCase, std::string_view names) {
    for (const std::string& run : LiteralRuns(pattern, matchCase)) {
        std::string folded;
        for (char c : run)
            folded += fold(c);
        if (names.find(folded) == std::string_view::npos)
            return false;
    }
    return true;
}

} // namespace qs
