#include "FakeSink.h"

#include "common/Text.h"

namespace qs::test {

bool FakeSink::appendResult(const std::string& text) {
    if (viewLimit != 0 && utf8Length(results) + 2 + utf8Length(text) > viewLimit)
        return false;
    results += "\r\n" + text;
    return true;
}

MsgAnswer FakeSink::messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                               const std::string& text) {
    messages.push_back({icon, buttons, title, text});
    if (!answers.empty()) {
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

SearchQuestions::FullView FakeSink::resultsViewFull(const std::string&, bool saving) {
    fullAsked.push_back(saving ? "saving" : "not saving");
    if (fullAnswers.empty())
        return FullView::GoOn;
    const FullView answer = fullAnswers.front();
    fullAnswers.pop_front();
    return answer;
}

} // namespace qs::test
