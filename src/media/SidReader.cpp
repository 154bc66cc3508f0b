#include "media/SidReader.h"

#include "common/Text.h"

#include <algorithm>
#include <charconv>

namespace qs {

namespace {

std::string fitTo(const std::string& text, std::size_t width, char fill, bool left) {
    if (text.size() >= width)
        return text.substr(0, width);
    const std::string pad(width - text.size(), fill);
    return left ? pad + text : text + pad;
}

std::size_t widthOf(int width) {
    return width > 0 ? static_cast<std::size_t>(width) : 0;
}

} // namespace

std::string LeadingNumberText(std::string_view text) {
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ')
            ++i;
    };
    skipBlanks();
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string whole, fraction;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ')
            continue;
        if (c >= '0' && c <= '9')
            (point ? fraction : whole) += c;
        else if (c == '.' && !point)
            point = true;
        else
            break;
    }
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    fraction.erase(fraction.find_last_not_of('0') + 1);
    std::string number = whole.empty() ? "0" : whole;
    if (!fraction.empty())
        number += "." + fraction;
    return negative && number != "0" ? "-" + number : number;
}

std::string FieldNormalizer(std::string_view value, int mode, int width, int decimals,
                            bool separator) {
    const std::string text = trimBlanks(value);
    const std::size_t w = widthOf(width);
    switch (mode) {
    case 1:
        return fitTo(text, w, ' ', false);
    case 2:
        return fitTo(text, w, ' ', true);
    case 3:
        return fitTo(text, w, '0', true);
    case 4:
        return text.empty() ? std::string(w, ' ') : fitTo(text, w, '0', true);
    case 0: {
        std::string wholePart = text, decimalPart;
        const auto comma = text.find(',');
        if (decimals >= 1 && comma != std::string::npos) {
            wholePart = text.substr(0, comma);
            decimalPart = text.substr(comma + 1);
        }
        if (decimals >= 1)
            decimalPart = fitTo(decimalPart, widthOf(decimals), '0', false);
        else
            decimalPart.clear();
        return fitTo(LeadingNumberText(wholePart), w, '0', true) + (separator ? "," : "") +
               decimalPart;
    }
    default:
        return {};
    }
}

std::string FieldNormalizer(std::int64_t value, int mode, int width, int decimals, bool separator) {
    return FieldNormalizer(std::to_string(value), mode, width, decimals, separator);
}

std::string GetHexByte(std::int64_t value, int width) {
    char hex[8];
    char* const end =
        std::to_chars(hex, hex + sizeof hex, static_cast<std::uint32_t>(value), 16).ptr;
    std::transform(hex, end, hex, [](char c) { return c >= 'a' ? static_cast<char>(c - 32) : c; });
    return FieldNormalizer(std::string_view(hex, static_cast<std::size_t>(end - hex)), 3, width);
}

std::string TrimSidField(std::string& text) {
    std::replace(text.begin(), text.end(), '\0', ' ');
    text = trimBlanks(text);
    return text;
}

void readSid(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    SidInfo& sid = rec.sid;
    // Named before the size test, so that a rejected tune's report line
    // still says which file it is.
    rec.media.FileName = FileNameField(in.path);
    rec.media.MediaType = MediaTypeField(in.path);
    sid.FileName = rec.media.FileName;
    if (in.bytes.size() > kSidSizeLimit) {
        sid.Status = "NOT A VALID FILE";
        return;
    }
    // Everything used lies in the first 126 bytes.
    const std::string headBytes = in.bytes.read(0, 126);
    const ByteView head(headBytes);
    const auto size = static_cast<std::int64_t>(in.bytes.size());

    sid.PlayAddress = GetHexByte(head.u8(12), 2) + GetHexByte(head.u8(13), 2);
    sid.InitAddress = GetHexByte(head.u8(10), 2) + GetHexByte(head.u8(11), 2);
    // The C64 data is taken to start at offset 124 with its load address.
    const std::uint8_t loadHi = head.u8(125), loadLo = head.u8(124);
    sid.LoadAddress = GetHexByte(loadHi, 2) + GetHexByte(loadLo, 2);
    sid.EndAddress = GetHexByte(loadHi * 256 + loadLo + size - 126, 4);

    std::string field = head.text(22, 32);
    sid.Name = TrimSidField(field);
    field = head.text(54, 32);
    sid.Author = TrimSidField(field);
    field = head.text(86, 32);
    sid.Copyright = TrimSidField(field);
    sid.Year = replaceAll(FieldNormalizer(LeadingNumberText(sid.Copyright), 1, 4), " ", "?");
}

} // namespace qs
