#include "samples/T64Builder.h"

#include <algorithm>

namespace qs::samples {

namespace {

void put16(std::string& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::size_t at, std::uint32_t value) {
    put16(out, at, value & 0xFFFF);
    put16(out, at + 2, value >> 16);
}

} // namespace

T64Builder::T64Builder(std::string tapeName, std::uint16_t maxEntries)
    : tapeName_(std::move(tapeName)), maxEntries_(maxEntries) {}

T64Builder& T64Builder::add(const TapeFilePlan& file) {
    files_.push_back(file);
    return *this;
}

std::string T64Builder::bytes() const {
    const std::size_t records = std::max<std::size_t>(maxEntries_, files_.size());
    std::string out(kHeaderBytes + kRecordBytes * records, '\0');
    const std::string signature = "C64 tape image file";
    out.replace(0, signature.size(), signature);
    put16(out, 32, 0x0101); // version
    put16(out, 34, maxEntries_);
    put16(out, 36, static_cast<std::uint32_t>(files_.size()));
    for (std::size_t i = 0; i < 24; ++i)
        out[40 + i] = i < tapeName_.size() ? tapeName_[i] : ' ';

    for (std::size_t n = 0; n < files_.size(); ++n) {
        const TapeFilePlan& f = files_[n];
        const std::size_t rec = kHeaderBytes + kRecordBytes * n;
        out[rec] = static_cast<char>(f.entryType);
        out[rec + 1] = static_cast<char>(f.fileType);
        put16(out, rec + 2, f.start);
        put16(out, rec + 4, static_cast<std::uint32_t>(f.start + f.data.size()));
        put32(out, rec + 8, static_cast<std::uint32_t>(out.size()));
        for (std::size_t i = 0; i < 16; ++i)
            out[rec + 16 + i] = i < f.name.size() ? f.name[i] : ' ';
        out += f.data;
    }
    return out;
}

} // namespace qs::samples
