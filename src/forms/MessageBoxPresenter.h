#pragma once
// Who answers the windows' message boxes: real modal boxes in the program, a
// scripted answerer in tests, so that nothing waits on a box nobody sees.
#include "common/MessageBox.h"

#include <string>

namespace qs::forms {

// The answer to an error box shown while a search runs: besides OK it offers
// to stop the search and to show no further errors of this search.
struct SearchErrorAnswer {
    bool stopSearch = false;
    bool showNoMore = false;
};

// The answer to a box that also offers a check box ("Don't ask again").
struct CheckedAnswer {
    MsgAnswer answer = MsgAnswer::Ok;
    bool checked = false;
};

class MessageBoxPresenter {
  public:
    virtual ~MessageBoxPresenter() = default;
    virtual MsgAnswer present(MsgIcon icon, MsgButtons buttons, const std::string& title,
                              const std::string& text) = 0;
    // The box with a check box captioned `check` below its text; an answerer
    // that shows none leaves it clear.
    virtual CheckedAnswer presentWithCheck(MsgIcon icon, MsgButtons buttons,
                                           const std::string& title, const std::string& text,
                                           const std::string& /*check*/) {
        return {present(icon, buttons, title, text), false};
    }
    // A critical box while a search runs, so that a run of failing files
    // never locks the user out of the stop button.
    virtual SearchErrorAnswer presentSearchError(const std::string& title,
                                                 const std::string& text) = 0;
};

// A QMessageBox over the active window.
class QtMessageBoxPresenter final : public MessageBoxPresenter {
  public:
    MsgAnswer present(MsgIcon icon, MsgButtons buttons, const std::string& title,
                      const std::string& text) override;
    CheckedAnswer presentWithCheck(MsgIcon icon, MsgButtons buttons, const std::string& title,
                                   const std::string& text, const std::string& check) override;
    SearchErrorAnswer presentSearchError(const std::string& title,
                                         const std::string& text) override;
};

} // namespace qs::forms
