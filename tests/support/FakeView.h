#pragma once
// A scripted main window for tests: options are set directly, message boxes
// are recorded and answered from a queue, the results box is a string.
#include "search/MainView.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace qs::test {

struct ShownMessage {
    MsgIcon icon;
    MsgButtons buttons;
    std::string title;
    std::string text;
};

class FakeView : public MainView {
  public:
    SearchOptions opts;
    std::vector<ShownMessage> messages;
    std::deque<MsgAnswer> answers; // next answers; when empty: Ok / Yes
    std::vector<std::string> statuses;
    std::string results; // as the box holds it: CR LF before every text
    bool limited = true;
    std::size_t failAppendAbove = 0; // raise "Out of memory" past this length (0: never)
    std::function<void()> onDoEvents;
    bool running = false;

    SearchOptions& options() override { return opts; }
    void setSaveFile(bool ticked) override { opts.saveFile = ticked; }
    void info(const std::string& text) override { statuses.push_back(text); }
    void doEvents() override {
        if (onDoEvents)
            onDoEvents();
    }
    std::size_t resultsLength() const override;
    bool resultsLimited() const override { return limited; }
    std::string resultsText() const override { return results; }
    void clearResults() override { results.clear(); }
    void appendResult(const std::string& text) override;
    void setSearchRunning(bool isRunning) override { running = isRunning; }
    void setStartCaption(const std::string&) override {}
    MsgAnswer messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                         const std::string& text) override;

    std::string lastStatus() const { return statuses.empty() ? "" : statuses.back(); }
};

// Ticks exactly the boxes with these captions.
inline void tickOnly(std::vector<CheckBox>& boxes, const std::vector<std::string>& captions) {
    for (CheckBox& b : boxes)
        b.value = std::find(captions.begin(), captions.end(), b.caption) != captions.end();
}

} // namespace qs::test
