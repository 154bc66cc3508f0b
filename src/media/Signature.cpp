#include "media/Signature.h"

#include "common/Text.h"

namespace qs {

bool HasSignature(const ByteSource& source, std::string_view signature) {
    const std::string head = source.read(0, signature.size());
    return head.size() == signature.size() && upperAscii(head) == signature;
}

bool HasMagic(const ByteSource& source, std::string_view magic) {
    return source.read(0, magic.size()) == magic;
}

void MarkInvalidFile(AnalysisRecords& records, const std::string& path, std::string_view what) {
    records.reset();
    MediaInfo& m = records.media;
    m.MediaName = "NOT A " + std::string(what) + " FILE";
    m.FileName = FileNameField(path);
    m.Status = status::InvalidFile;
}

} // namespace qs
