#include "media/Signature.h"

#include "common/Text.h"

#include <string_view>

namespace qs {

namespace {

struct Signature {
    const char* displayName;
    std::string_view bytes;
};

Signature signatureOf(HeaderKind kind) {
    switch (kind) {
    case HeaderKind::G64:
        return {"G64 IMAGE", "GCR-1541"};
    case HeaderKind::PC64:
        return {"PC64", "C64FILE"};
    case HeaderKind::TapeRaw:
        return {"TAPE RAW IMAGE", "C64-TAPE-RAW"};
    case HeaderKind::Cartridge:
        return {"CARTRIDGE", "C64 CARTRIDGE"};
    case HeaderKind::T64:
        return {"T64", "C64"};
    }
    return {"", ""};
}

} // namespace

bool HasSignature(const ByteSource& source, HeaderKind kind) {
    const std::string_view signature = signatureOf(kind).bytes;
    const std::string head = source.read(0, signature.size());
    return head.size() == signature.size() && upperAscii(head) == signature;
}

void MarkInvalidFile(AnalysisRecords& records, const std::string& path, HeaderKind kind) {
    records.reset();
    MediaInfo& m = records.media;
    m.MediaName = std::string("NOT A ") + signatureOf(kind).displayName + " FILE";
    m.FileName = FileNameField(path);
    m.Status = status::InvalidFile;
}

} // namespace qs
