#include "samples/SidBuilder.h"

namespace qs::samples {

namespace {

void putBe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void putText(std::string& out, const std::string& text) {
    std::string field = text.substr(0, 32);
    field.resize(32, '\0');
    out += field;
}

} // namespace

std::string makeSid(const SidPlan& tune) {
    std::string out = "PSID";
    putBe(out, 2, 2);    // version
    putBe(out, 0x7C, 2); // data offset
    putBe(out, 0, 2);    // load address: in the data
    putBe(out, tune.init, 2);
    putBe(out, tune.play, 2);
    putBe(out, 1, 2); // songs
    putBe(out, 1, 2); // start song
    putBe(out, 0, 4); // speed
    putText(out, tune.name);
    putText(out, tune.author);
    putText(out, tune.released);
    putBe(out, 0x0014, 2); // flags: PAL, 6581
    out.append(4, '\0');   // start page, page length, second and third SID
    out += static_cast<char>(tune.load & 0xFF);
    out += static_cast<char>(tune.load >> 8);
    return out + tune.code;
}

} // namespace qs::samples
