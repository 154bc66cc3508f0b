#pragma once
// Who answers the windows' message boxes: real modal boxes in the program, a
// scripted answerer in tests, so that nothing waits on a box nobody sees.
#include "common/MessageBox.h"

#include <string>

namespace qs::forms {

class MessageBoxPresenter {
  public:
    virtual ~MessageBoxPresenter() = default;
    virtual MsgAnswer present(MsgIcon icon, MsgButtons buttons, const std::string& title,
                              const std::string& text) = 0;
};

// A QMessageBox over the active window.
class QtMessageBoxPresenter final : public MessageBoxPresenter {
  public:
    MsgAnswer present(MsgIcon icon, MsgButtons buttons, const std::string& title,
                      const std::string& text) override;
};

} // namespace qs::forms
