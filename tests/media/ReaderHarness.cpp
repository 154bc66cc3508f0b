#include "ReaderHarness.h"

#include <map>

namespace qs::test {

namespace {

std::string flag(bool value) {
    return value ? "1" : "0";
}

std::string entryField(const CbmEntry& e, const std::string& field) {
    // clang-format off
    const std::map<std::string, std::string> fields{
        {"name", e.Name}, {"type", e.FileType}, {"blocks", std::to_string(e.Blocks)},
        {"no", std::to_string(e.EntryNo)}, {"track", std::to_string(e.Track)},
        {"sector", std::to_string(e.Sector)}, {"load", std::to_string(e.LoadAddress)},
        {"end", std::to_string(e.EndAddress)}, {"valid", flag(e.Valid)},
        {"locked", flag(e.Locked)}};
    // clang-format on
    const auto it = fields.find(field);
    return it == fields.end() ? "(no field " + field + ")" : it->second;
}

} // namespace

std::string ReaderHarness::probe(const std::string& key) const {
    const MediaInfo& m = records.media;
    const SidInfo& s = records.sid;
    const auto& entries = records.entries();
    const auto& shown = view.messages;
    if (key.size() > 1 && key[0] == 'e' && key[1] >= '0' && key[1] <= '9') {
        const auto dot = key.find('.');
        const std::size_t i = std::stoul(key.substr(1, dot - 1));
        return i < entries.size() ? entryField(entries[i], key.substr(dot + 1)) : "(no entry)";
    }
    if (key[0] == '#') {
        std::size_t n = 0;
        for (std::size_t i = 1; i < entries.size(); ++i)
            n += key == "#valid" ? entries[i].Valid : entries[i].FileType == key.substr(1);
        return std::to_string(n);
    }
    if (key == "names" || key == "types") {
        std::string list;
        for (std::size_t i = 1; i < entries.size(); ++i) {
            const std::string& name = entries[i].Name;
            list += (i > 1 ? (key == "names" ? "|" : " ") : "") +
                    (key == "names" ? name.substr(0, name.find('\0')) : entries[i].FileType);
        }
        return list;
    }
    if (key == "error offset") { // of a read past the end
        const std::string text = shown.empty() ? "" : shown[0].text;
        const std::string mark = "no byte at offset ";
        const auto at = text.find(mark);
        return at == std::string::npos
                   ? "-"
                   : text.substr(at + mark.size(),
                                 text.find_first_not_of("0123456789", at + mark.size()) - at -
                                     mark.size());
    }
    if (key == "msgfile") {
        const std::string text = shown.empty() ? "" : shown[0].text;
        const auto at = text.find("\r\nFile: ");
        if (at != std::string::npos)
            return text.substr(at + 8);
        return text.size() > 2 && text.substr(text.size() - 2) == "\r\n" ? "CRLF" : "-";
    }
    // clang-format off
    const std::map<std::string, std::string> fields{
        {"file", m.FileName}, {"name", m.MediaName}, {"header", m.HeaderLine},
        {"type", m.MediaType}, {"free", std::to_string(m.BlocksFree)}, {"status", m.Status},
        {"40", flag(m.Tracks40)}, {"err", flag(m.ErrorInfo)},
        {"count", std::to_string(records.entryCount())},
        {"sid.file", s.FileName}, {"sid.name", s.Name}, {"sid.year", s.Year},
        {"sid.status", s.Status}, {"sid.load", s.LoadAddress}, {"sid.init", s.InitAddress},
        {"sid.play", s.PlayAddress}, {"msgs", std::to_string(shown.size())},
        {"msg", shown.empty() ? "" : shown[0].text},
        {"msg2", shown.size() < 2 ? "" : shown[1].text}};
    // clang-format on
    const auto it = fields.find(key);
    return it == fields.end() ? "(no key " + key + ")" : it->second;
}

} // namespace qs::test
