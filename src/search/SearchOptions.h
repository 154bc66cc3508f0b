#pragma once
// The search request: the states of the main window's option controls at the
// moment the search reads them. Start states are those of a fresh window.
#include <string>
#include <vector>

namespace qs {

struct CheckBox {
    std::string caption;
    std::string tag;
    int value = 0; // 0 clear, 1 ticked (2 greyed counts as ticked)
    bool enabled = true;
    std::string toolTip;
    bool ticked() const { return value != 0; }
};

inline constexpr const char* kArchivePatterns = "*.zip;*.rar;*.7z;*.arj;*.lzh";
inline constexpr const char* kPc64Tag = "P??\\S??\\U??\\R??";

std::vector<CheckBox> defaultFileTypes(); // chkFileType(0..8)
std::vector<CheckBox> defaultCbmTypes();  // chkCBMType(0..7)

struct SearchOptions {
    std::string findStr = "*";  // txFindSTR
    std::string fileMask = "*"; // txFileMask
    std::vector<CheckBox> fileTypes = defaultFileTypes();
    std::vector<CheckBox> cbmTypes = defaultCbmTypes();
    bool partial = true;        // chkPartial
    bool matchCase = false;     // chkMatchCase
    bool fileName = false;      // chkFileName
    bool header = false;        // chkHeader
    bool showMediaWarn = false; // chkShowMediaWarn
    bool sidName = true;        // chkSIDName
    bool sidAuthor = false;     // chkSIDAuthor
    bool sidCopyright = false;  // chkSIDCopyright
    CheckBox zip{"Include Archives", kArchivePatterns, 0, true,
                 "Include ZIP, RAR, ARJ archives. File mask affects the archived files, not the "
                 "file archive."};
    bool recurse = false;    // chkRecurse
    bool saveFile = true;    // chkSaveFile
    std::string startFolder; // DirPrg
    std::string resultsFile; // lbFileName
    // No control: a front end that writes the report in a structured form
    // also asks for its matches and warnings as records (MainView::reportMatch).
    bool records = false;
    // No control: a front end that only needs to know which file each result
    // block is about asks for one place per block (MainView::reportBlock).
    bool blockPlaces = false;
};

} // namespace qs
