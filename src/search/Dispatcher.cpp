#include "search/Dispatcher.h"

#include "common/Text.h"
#include "common/modGeneral.h"
#include "media/mod_CRT.h"
#include "media/mod_D64.h"
#include "media/mod_D71.h"
#include "media/mod_D81.h"
#include "media/mod_G64.h"
#include "media/mod_PC64.h"
#include "media/mod_SID.h"
#include "media/mod_T64.h"
#include "media/mod_TAP.h"
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
    Route{"D64", analizzaD64},
    Route{"T64", analizzaT64},
    Route{"D81", analizzaD81},
    Route{"CRT", analizzaCRT},
    Route{"G64", analizzaG64},
    Route{"TAP", analizzaTAP},
    Route{"D71", analizzaD71},
    Route{"SID", analizzaSID},
    Route{"PC64", analizzaPC64},
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
