#include "media/CrtReader.h"

#include "common/Text.h"

#include <algorithm>
#include <array>

namespace qs {

namespace {

constexpr std::size_t kHeaderBytes = 64;

constexpr std::array<const char*, 28> kHardwareNames{
    "Normal cartridge",
    "Action Replay",
    "KCS Power Cartridge",
    "Final Cartridge III",
    "Simons Basic",
    "Ocean type 1",
    "Expert Cartridge",
    "Fun Play",
    "Super Games",
    "Atomic Power",
    "Epyx Fastload",
    "Westermann Learning",
    "Rex Utility",
    "Final Cartridge I",
    "Magic Formel",
    "C64GS",
    "WarpSpeed",
    "Dinamic",
    "Zaxxon, Super Zaxxon (SEGA)",
    "Magic Desk, Domark, HES Australia",
    "Super Snapshot 5",
    "Comal-80",
    "Structured Basic",
    "Ross",
    "Dela EP64",
    "Dela EP7x8",
    "Dela EP256",
    "Rex EP256",
};

} // namespace

std::string CrtHardwareName(std::int32_t hardwareType) {
    if (hardwareType < 0 || static_cast<std::size_t>(hardwareType) >= kHardwareNames.size())
        return "Unknown HW Type";
    return kHardwareNames[static_cast<std::size_t>(hardwareType)];
}

void readCrt(ReadInput& in) {
    AnalysisRecords& rec = in.records;
    const std::string headBytes = in.bytes.read(0, kHeaderBytes);
    const ByteView head(headBytes);

    MediaInfo& m = rec.media;
    m.MediaName = CrtHardwareName(head.u16be(22));
    m.HeaderLine = "\"" + m.MediaName + "\" type";
    SetNameFields(m, in.path);
    m.BlocksFree = 0;
    m.Tracks40 = m.ErrorInfo = false;

    CbmEntry& e = rec.appendEntry();
    // The name is the header's last field: a file that ends inside it is
    // shorter than its header, error 9.
    head.u8(kHeaderBytes - 1);
    std::string name = head.text(32, 32);
    name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
    e.Name = trimBlanks(name);
    e.FileType = "prg";
    e.Blocks = static_cast<std::int32_t>((in.bytes.size() - kHeaderBytes) / 254);
    e.EntryNo = 1;
    e.Valid = true;
    e.Locked = false;
}

} // namespace qs
