#include "FakeView.h"

#include "common/Error.h"
#include "common/Text.h"

namespace qs::test {

std::size_t FakeView::resultsLength() const {
    return utf8Length(results);
}

void FakeView::appendResult(const std::string& text) {
    if (failAppendAbove != 0 && utf8Length(results) + utf8Length(text) > failAppendAbove)
        raise(err::OutOfMemory);
    results += "\r\n" + text;
}

MsgAnswer FakeView::messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                               const std::string& text) {
    messages.push_back({icon, buttons, title, text});
    if (!answers.empty()) {
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

} // namespace qs::test
