#pragma once
// Checks of the request before a search, the file pattern, and the look-up of
// check boxes of a control array by their tag.
#include "search/MainView.h"
#include "search/SearchOptions.h"

#include <string>
#include <vector>

namespace qs {

inline constexpr const char* kProgramTitle = "Quillsift";
// A pattern that no container file fits.
inline constexpr const char* kNoFilePattern = "abcdefghilmno";

// Shows the first failing check's message (the last check: the starting
// folder exists); answers whether the search may go on.
bool CheckRequest(MainView& view);

// The file list pattern: the mask joined with every extension of every ticked
// PC file type; kNoFilePattern when none is ticked.
std::string BuildFilePattern(const SearchOptions& options);

// The first box whose tag equals `tag` exactly decides; no such box: false.
bool GetControlValueByTag(const std::vector<CheckBox>& controls, const std::string& tag);

// Sets enabled state and value of every box with that tag (all for "NOSEARCH");
// "LEAVECURRENT" keeps a property. Other texts convert to a Boolean
// ("true", "false", a number) or raise "Type mismatch".
void SetControlStateByTag(std::vector<CheckBox>& controls, const std::string& tag,
                          const std::string& enabledText, const std::string& valueText);

// The key filter of the file-mask box: false for characters it discards.
bool FileMaskAcceptsKey(char32_t key);
// The loss-of-focus warning of the file-mask box: asks when the mask holds a
// period; answers false when the user chose Cancel (focus goes back).
bool ConfirmFileMask(MessageSink& sink, const std::string& mask);

} // namespace qs
