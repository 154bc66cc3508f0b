#pragma once
// Runs one reader on bytes held in memory with a scripted window, and checks
// what it found as "key = value" pairs (see probe()).
#include "FakeSink.h"
#include "common/Error.h"
#include "common/ErrorLog.h"
#include "common/ErrorTrap.h"
#include "media/Formats.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qs::test {

using Expect = std::vector<std::pair<std::string, std::string>>;

struct ReaderHarness {
    FakeSink view;
    ErrorLog log{""}; // writes nothing
    ErrorTrap trap{view, log};
    AnalysisRecords records;

    // The other files of a set, by name: those a reader may open besides its own.
    std::map<std::string, std::string> siblings;

    // The format's reader sees `path` holding exactly `bytes`, as the
    // dispatcher runs it.
    void run(const ContainerFormat& format, const std::string& path, const std::string& bytes) {
        const SiblingOpener open = [this](const std::string& name) {
            const auto it = siblings.find(name);
            if (it == siblings.end())
                raise(err::FileNotFound, name);
            return std::unique_ptr<ByteSource>(std::make_unique<MemoryByteSource>(it->second));
        };
        ReadContainer(
            format, records, trap, path,
            [&bytes] { return std::make_unique<MemoryByteSource>(bytes); }, nullptr, {}, &open);
    }

    // "file", "name", "header", "type", "free", "status", "40", "err": the
    // medium; "count", "names" (cut at the first byte 0, joined by "|"),
    // "types", "#valid", "#TYPE": the entries; "e3.name", "e3.blocks", ...:
    // one entry; "sid.name", ...: the tune; "msgs", "msg", "msg2", "msgfile"
    // (what follows "File: ", "CRLF" for a bare line break, else "-"),
    // "error offset" (the offset a read past the end names, else "-").
    std::string probe(const std::string& key) const;

    // Every pair must hold; a value ending in "*" is compared as a prefix.
    void expect(const Expect& pairs) const {
        for (const auto& [key, want] : pairs) {
            const std::string got = probe(key);
            if (!want.empty() && want.back() == '*')
                EXPECT_EQ(got.substr(0, want.size() - 1), want.substr(0, want.size() - 1)) << key;
            else
                EXPECT_EQ(got, want) << key;
        }
    }
};

} // namespace qs::test
