#pragma once
// Modal message boxes as the core asks for them; each front end shows them in
// its own way (a dialog, a line on standard error, a scripted answer in tests).
#include <string>

namespace qs {

enum class MsgIcon { Information, Exclamation, Question, Critical };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows the box and waits for the answer.
    virtual MsgAnswer messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                                 const std::string& text) = 0;
};

} // namespace qs
