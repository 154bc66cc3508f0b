#include "media/ZipcodeReader.h"

#include "common/Error.h"
#include "common/Files.h"
#include "common/Text.h"
#include "media/D64Reader.h"

#include <algorithm>
#include <array>

namespace qs {

namespace {

constexpr int kTracks = 40;
constexpr std::size_t kSectorBytes = 256;
constexpr std::size_t kImage35 = 174848;

int sectorsOn(int track) {
    return track <= 17 ? 21 : track <= 24 ? 19 : track <= 30 ? 18 : 17;
}

// The place of a track's first sector in the image, counted in sectors.
std::size_t firstSectorOf(int track) {
    std::size_t n = 0;
    for (int t = 1; t < track; ++t)
        n += static_cast<std::size_t>(sectorsOn(t));
    return n;
}

int sectorsOfPart(int part) {
    const ZipcodeTracks tracks = ZipcodeTracksOf(part);
    int n = 0;
    for (int t = tracks.first; t <= tracks.last; ++t)
        n += sectorsOn(t);
    return n;
}

// A record's 256 bytes from method 10: bytes as they are, and the marker
// byte followed by a count and the byte repeated. False unless they come to
// exactly 256.
bool unpackRuns(const ByteView& encoded, std::uint8_t marker, std::array<char, kSectorBytes>& out) {
    std::size_t filled = 0;
    for (std::size_t i = 0; i < encoded.size();) {
        std::size_t count = 1;
        std::uint8_t value = encoded.u8(i);
        if (value == marker) {
            if (encoded.size() - i < 3)
                return false;
            count = encoded.u8(i + 1);
            value = encoded.u8(i + 2);
            i += 3;
        } else {
            ++i;
        }
        if (count > kSectorBytes - filled)
            return false;
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(filled), count,
                    static_cast<char>(value));
        filled += count;
    }
    return filled == kSectorBytes;
}

// A part's bytes, or why there are none to unpack.
struct PartBytes {
    std::string bytes;
    int error = 0; // the error number of why it could not be had
    std::string why;
};

PartBytes partBytes(const ByteSource& source) {
    if (source.size() > kMaxSetPartBytes)
        return {{}, err::OutOfMemory, "is larger than 1 MiB"};
    return {source.readAll(), 0, {}};
}

PartBytes siblingBytes(const ReadInput& in, const std::string& name) {
    if (in.siblings == nullptr)
        return {{}, err::FileNotFound, "is missing"};
    try {
        return partBytes(*(*in.siblings)(name));
    } catch (const Error& e) {
        if (e.number() == err::FileNotFound)
            return {{}, err::FileNotFound, "is missing"};
        return {{}, e.number(), "cannot be read: " + e.description()};
    }
}

} // namespace

ZipcodeTracks ZipcodeTracksOf(int part) {
    static constexpr ZipcodeTracks kParts[kZipcodeParts] = {
        {1, 8}, {9, 16}, {17, 25}, {26, 35}, {36, 40}};
    return kParts[std::clamp(part, 1, kZipcodeParts) - 1];
}

ZipcodeImage::ZipcodeImage()
    : bytes(firstSectorOf(kTracks + 1) * kSectorBytes, '\0'), unpacked(firstSectorOf(kTracks + 1)) {
}

bool ZipcodeImage::whole(int firstTrack, int lastTrack) const {
    const auto begin = unpacked.begin() + static_cast<std::ptrdiff_t>(firstSectorOf(firstTrack));
    const auto end = unpacked.begin() + static_cast<std::ptrdiff_t>(firstSectorOf(lastTrack + 1));
    return std::all_of(begin, end, [](bool b) { return b; });
}

ZipcodePartRead UnpackZipcodePart(std::string_view bytes, int part, ZipcodeImage& image) {
    const ZipcodeTracks tracks = ZipcodeTracksOf(part);
    const ByteView file(bytes);
    std::string stop;
    std::size_t at = 0;
    // The first part may carry the two ID bytes its disk was formatted with.
    if (part == 1 && bytes.substr(0, 2) == std::string_view("\xFE\x03", 2))
        at = 4;
    else if (bytes.substr(0, 2) == std::string_view("\x00\x04", 2))
        at = 2;
    else
        stop = "no Zipcode load address";
    std::array<char, kSectorBytes> sector{};
    while (stop.empty() && at < file.size()) {
        const ByteView rest = file.sub(at, file.size() - at);
        if (rest.size() < 2) {
            stop = "a record cut short";
            break;
        }
        const int method = rest.u8(0) >> 6, track = rest.u8(0) & 0x3F, s = rest.u8(1);
        if (track < tracks.first || track > tracks.last || s >= sectorsOn(track)) {
            stop = "a record out of range (track " + std::to_string(track) + ", sector " +
                   std::to_string(s) + ")";
            break;
        }
        std::size_t length = 0; // after the two address bytes
        if (method == 0) {
            length = kSectorBytes;
            if (rest.size() >= 2 + length)
                std::copy_n(rest.bytes().begin() + 2, kSectorBytes, sector.begin());
        } else if (method == 1) {
            length = 1;
            if (rest.size() >= 2 + length)
                sector.fill(static_cast<char>(rest.u8(2)));
        } else if (method == 2) {
            length = rest.size() >= 3 ? 2 + std::size_t{rest.u8(2)} : 2;
            if (rest.size() >= 2 + length &&
                !unpackRuns(rest.sub(4, length - 2), rest.u8(3), sector)) {
                stop = "a run-length record that does not come to 256 bytes";
                break;
            }
        } else {
            stop = "a record of method 11";
            break;
        }
        if (rest.size() < 2 + length) {
            stop = "a record cut short";
            break;
        }
        const std::size_t index = firstSectorOf(track) + static_cast<std::size_t>(s);
        std::copy(sector.begin(), sector.end(),
                  image.bytes.begin() + static_cast<std::ptrdiff_t>(index * kSectorBytes));
        image.unpacked[index] = true;
        at += 2 + length;
    }
    ZipcodePartRead read;
    const auto begin =
        image.unpacked.begin() + static_cast<std::ptrdiff_t>(firstSectorOf(tracks.first));
    const auto end =
        image.unpacked.begin() + static_cast<std::ptrdiff_t>(firstSectorOf(tracks.last + 1));
    read.sectors = static_cast<int>(std::count(begin, end, true));
    const int expected = sectorsOfPart(part);
    if (read.sectors < expected)
        read.damage = (stop.empty() ? "its records end" : stop) + " at offset " +
                      std::to_string(at) + ", " + std::to_string(read.sectors) + " of its " +
                      std::to_string(expected) + " sectors unpacked";
    return read;
}

bool IsZipcodePartName(std::string_view upperName) {
    return upperName.size() >= 3 && upperName[0] >= '1' && upperName[0] <= '0' + kZipcodeParts &&
           upperName[1] == '!' && upperName[2] != '!';
}

int ZipcodePartOf(std::string_view fileName) {
    return fileName.empty() ? 0 : fileName[0] - '0';
}

std::string ZipcodePartName(std::string_view fileName, int part) {
    std::string name(fileName);
    if (!name.empty())
        name[0] = static_cast<char>('0' + part);
    return name;
}

void readZipcode(ReadInput& in) {
    const std::string own = FileNameOf(in.path);
    if (!IsZipcodePartName(upperAscii(own)))
        raise(err::InvalidCall, own + " is not named as a part of a Zipcode set");
    const int ownPart = ZipcodePartOf(own);
    ZipcodeImage image;
    std::string problems;
    bool fortyTracks = false;
    for (int part = 1; part <= kZipcodeParts; ++part) {
        const std::string name = ZipcodePartName(own, part);
        const PartBytes got = part == ownPart ? partBytes(in.bytes) : siblingBytes(in, name);
        // A set of 35 tracks has no fifth part.
        if (part == kZipcodeParts && got.error == err::FileNotFound)
            continue;
        fortyTracks = fortyTracks || part == kZipcodeParts;
        std::string why = got.why;
        if (got.error == 0) {
            const ZipcodePartRead read = UnpackZipcodePart(got.bytes, part, image);
            if (!read.damage.empty())
                why = "is damaged: " + read.damage;
        }
        // Without the whole of track 18 there is no directory to read.
        if (part == kZipcodeDirectoryPart && !image.whole(18, 18))
            raise(got.error != 0 ? got.error : err::SubscriptOutOfRange,
                  name + " " + why + "; it holds the set's directory");
        if (!why.empty())
            problems += (problems.empty() ? "" : "; ") + name + " " + why;
    }
    if (!fortyTracks)
        image.bytes.resize(kImage35);
    const MemoryByteSource disk(std::move(image.bytes));
    ReadInput asD64{in.records, disk, in.path, in.listings, in.trap};
    readD64(asD64);
    // Its name and extension as they are: parts often have none, or one of
    // another length than three.
    const auto dot = own.find_last_of('.');
    MediaInfo& m = in.records.media;
    m.FileName = upperAscii(own.substr(0, dot));
    m.MediaType = dot == std::string::npos ? std::string() : upperAscii(own.substr(dot + 1));
    if (!problems.empty()) {
        std::string& status = m.Status;
        status += (status.empty() ? "" : " ") +
                  std::string("[WARNING] - Zipcode set incomplete: ") + problems;
    }
}

} // namespace qs
