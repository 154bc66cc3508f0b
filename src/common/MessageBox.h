#pragma once
// Modal message boxes as the core asks for them; each front end shows them in
// its own way (a dialog, a line on standard error, a scripted answer in tests).
#include <string>
#include <vector>

namespace qs {

enum class MsgIcon { Information, Exclamation, Question, Critical };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// A trapped error's message, and the file it is about when that is known:
// its path and, for an archive member, the member's name in its archive and
// the names from the outermost archive in (that name last).
struct TrappedMessage {
    std::string text;
    std::string file = {};
    std::string member = {};
    std::vector<std::string> members = {};
};

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows the box and waits for the answer.
    virtual MsgAnswer messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                                 const std::string& text) = 0;
    // A trapped error: the critical "Error Detected" box, for a front end
    // that does nothing more with it.
    virtual void errorMessage(const TrappedMessage& message) {
        messageBox(MsgIcon::Critical, MsgButtons::Ok, "Error Detected", message.text);
    }
};

} // namespace qs
