#include "search/Dispatcher.h"

#include "common/Files.h"
#include "common/Text.h"
#include "media/CrtReader.h"
#include "media/D64Reader.h"
#include "media/D71Reader.h"
#include "media/D81Reader.h"
#include "media/G64Reader.h"
#include "media/Pc64Reader.h"
#include "media/SidReader.h"
#include "media/T64Reader.h"
#include "media/TapReader.h"
#include "search/Request.h"

#include <array>
#include <utility>

namespace qs {

namespace {

struct Route {
    const char* extension;
    Reader reader;
};

// One line per reader, in the order the extensions are compared.
// clang-format off
const std::array kRoutes{
    Route{"D64", readD64},
    Route{"T64", readT64},
    Route{"D81", readD81},
    Route{"CRT", readCrt},
    Route{"G64", readG64},
    Route{"TAP", readTap},
    Route{"D71", readD71},
    Route{"SID", readSid},
    Route{"PC64", readPc64},
};
// clang-format on

bool isP00Family(const std::string& ext) {
    if (ext.size() < 3)
        return false;
    const char first = ext[0];
    const bool digits = ext[1] >= '0' && ext[1] <= '9' && ext[2] >= '0' && ext[2] <= '9';
    return (first == 'P' || first == 'S' || first == 'U' || first == 'R') && digits;
}

const Route* routeFor(const std::string& extension) {
    for (const Route& r : kRoutes)
        if (extension == r.extension)
            return &r;
    return nullptr;
}

} // namespace

Reader ReaderForExtension(const std::string& extension) {
    const Route* r = routeFor(extension);
    return r != nullptr ? r->reader : nullptr;
}

const char* DispatchFile(ReaderContext& ctx, const std::vector<CheckBox>& fileTypes,
                         const std::string& path) {
    // Every reader starts from empty records, so that a file that fails
    // early can never show the previous file's findings.
    ctx.records.reset();

    const auto dot = path.find_last_of('.');
    const std::string ext = upperAscii(dot == std::string::npos ? path : path.substr(dot + 1));

    if (isP00Family(ext) && GetControlValueByTag(fileTypes, kPc64Tag)) {
        if (const Route* pc64 = routeFor("PC64")) {
            pc64->reader(ctx, path);
            return pc64->extension;
        }
    }
    const Route* route = routeFor(ext);
    if (!GetControlValueByTag(fileTypes, ext) || route == nullptr) {
        ctx.records.media.Status = status::FalseExtension;
        return nullptr;
    }
    route->reader(ctx, path);
    if (ext == "SID") {
        ctx.records.media.MediaType = "SID";
        ctx.records.media.FileName = ctx.records.sid.FileName;
    }
    return route->extension;
}

} // namespace qs
