#include "media/X64Reader.h"

#include "media/D64Reader.h"
#include "media/D71Reader.h"
#include "media/D81Reader.h"

namespace qs {

namespace {

constexpr std::size_t kDeviceAt = 6;

// The image's kind by its size, which the readers check; an image of no
// standard size goes by the header's drive (1570/1571, 1581; else a 1541).
Reader imageReader(std::uint64_t imageSize, std::uint8_t device) {
    switch (imageSize) {
    case kD71Size:
    case kD71SizeWithErrors:
        return readD71;
    case kD81Size:
    case kD81SizeWithErrors:
        return readD81;
    case kD64Size:
    case kD64SizeWithErrors:
    case kD64Size40:
    case kD64Size40WithErrors:
        return readD64;
    default:
        return device == 4 || device == 5 ? readD71 : device == 8 ? readD81 : readD64;
    }
}

} // namespace

void readX64(ReadInput& in) {
    const std::string headBytes = in.bytes.read(0, kX64HeaderBytes);
    const ByteView head(headBytes, in.bytes.origin());
    const std::uint8_t device = head.u8(kDeviceAt);
    const ByteRange image(in.bytes, kX64HeaderBytes);
    ReadInput inner{in.records, image, in.path, in.listings, in.trap};
    imageReader(image.size(), device)(inner);
}

} // namespace qs
