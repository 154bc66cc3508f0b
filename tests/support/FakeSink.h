#pragma once
// A scripted front end for tests: message boxes and questions are recorded
// and answered from queues, the results view is a string.
#include "search/ReportSink.h"

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

class FakeSink : public ReportSink {
  public:
    std::vector<ShownMessage> messages;
    std::deque<MsgAnswer> answers; // next answers; when empty: Ok / Yes
    std::vector<std::string> statuses;
    std::string results; // as the view holds it: CR LF before every text
    // The view takes no text that would bring it past this many characters
    // (0: no limit), and then answers the queue (when empty: GoOn).
    std::size_t viewLimit = 0;
    std::deque<FullView> fullAnswers;
    std::vector<std::string> fullAsked; // "saving" or "not saving", one per question
    bool replace = true;                // the answer to replaceResultsFile
    std::vector<std::string> replaceAsked;
    std::vector<MatchRecord> matches;
    std::function<void()> onPump;
    std::vector<std::pair<std::size_t, std::size_t>> fileCounts; // done, total
    std::function<void()> onMatch;                               // after each match record

    void status(const std::string& text) override { statuses.push_back(text); }
    void pump() override {
        if (onPump)
            onPump();
    }
    void fileProgress(std::size_t done, std::size_t total) override {
        fileCounts.emplace_back(done, total);
    }
    void clearResults() override { results.clear(); }
    bool appendResult(const std::string& text) override;
    std::string shownResults() const override { return results; }
    void reportMatch(const MatchRecord& match) override {
        matches.push_back(match);
        if (onMatch)
            onMatch();
    }
    MsgAnswer messageBox(MsgIcon icon, MsgButtons buttons, const std::string& title,
                         const std::string& text) override;
    bool replaceResultsFile(const std::string& path) override {
        replaceAsked.push_back(path);
        return replace;
    }
    FullView resultsViewFull(const std::string& resultsFile, bool saving) override;

    std::string lastStatus() const { return statuses.empty() ? "" : statuses.back(); }
};

} // namespace qs::test
