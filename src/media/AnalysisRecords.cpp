#include "media/AnalysisRecords.h"

#include "common/Files.h"
#include "common/Text.h"

namespace qs {

std::string TypeText(std::uint8_t typeByte) {
    switch (typeByte) {
    case 0:
    case 64:
        return "scr";
    case 128:
    case 192:
        return "del";
    case 129:
    case 193:
        return "seq";
    case 130:
    case 194:
        return "prg";
    case 131:
    case 195:
        return "usr";
    case 132:
    case 196:
        return "rel";
    case 133:
    case 197:
        return "cbm";
    default:
        return "ukw";
    }
}

std::uint8_t ListedTypeByte(const std::string& typeText, bool unclosed, bool locked) {
    if (typeText == "scr")
        return 0;
    static const std::string kTypes[] = {"del", "seq", "prg", "usr", "rel", "cbm"};
    std::uint8_t code = 6;
    for (std::uint8_t i = 0; i < 6; ++i)
        if (typeText == kTypes[i])
            code = i;
    return static_cast<std::uint8_t>(code | (unclosed ? 0 : 0x80) | (locked ? 0x40 : 0));
}

std::string FileNameField(const std::string& path) {
    std::string_view name = path;
    name.remove_prefix(name.find_last_of('/') + 1); // npos + 1 is 0
    return upperAscii(name.size() > 4 ? name.substr(0, name.size() - 4) : std::string_view{});
}

std::string MediaTypeField(const std::string& path) {
    const std::string_view p = path;
    return upperAscii(p.size() > 3 ? p.substr(p.size() - 3) : p);
}

void SetNameFields(MediaInfo& media, const std::string& path) {
    media.FileName = FileNameField(path);
    media.MediaType = MediaTypeField(path);
}

} // namespace qs
