#pragma once
// Helpers of the window tests: a scripted answerer for message boxes, a
// window set up inside a temporary folder, and the checks that the window
// shows its request, that its controls stay in place and that a search
// through it has ended.
#include "forms/MainWindow.h"

#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qs::forms::test {

struct ShownBox {
    MsgIcon icon;
    MsgButtons buttons;
    std::string title;
    std::string text;
    bool searchError = false; // the error box of a running search
};

// Records every box and answers from queues; when a queue is empty: OK / Yes.
class ScriptedPresenter final : public MessageBoxPresenter {
  public:
    std::vector<ShownBox> shown;
    std::deque<MsgAnswer> answers;
    std::deque<SearchErrorAnswer> errorAnswers;
    std::deque<bool> checks; // how check boxes are left; when empty: clear

    MsgAnswer present(MsgIcon icon, MsgButtons buttons, const std::string& title,
                      const std::string& text) override {
        shown.push_back({icon, buttons, title, text});
        if (answers.empty())
            return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
        const MsgAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    CheckedAnswer presentWithCheck(MsgIcon icon, MsgButtons buttons, const std::string& title,
                                   const std::string& text, const std::string& check) override {
        const MsgAnswer answer = present(icon, buttons, title, text + "\n[x] " + check);
        const bool checked = !checks.empty() && checks.front();
        if (!checks.empty())
            checks.pop_front();
        return {answer, checked};
    }
    SearchErrorAnswer presentSearchError(const std::string& title,
                                         const std::string& text) override {
        shown.push_back({MsgIcon::Critical, MsgButtons::Ok, title, text, true});
        if (errorAnswers.empty())
            return {};
        const SearchErrorAnswer answer = errorAnswers.front();
        errorAnswers.pop_front();
        return answer;
    }
};

// A window whose files (results, error log, temporary folder, settings) live
// in one temporary folder, with every outside program present unless told
// otherwise.
struct WindowFixture {
    QTemporaryDir dir;
    std::shared_ptr<ScriptedPresenter> boxes = std::make_shared<ScriptedPresenter>();
    std::unique_ptr<MainWindow> window;
    // Opens in the folder the window remembers rather than the temporary one.
    bool startInRememberedFolder = false;

    std::string path(const std::string& relative = {}) const {
        return dir.path().toStdString() + "/" + relative;
    }
    MainWindow& open(MainWindowSetup setup = {});
    // Closes the window as the person would, and forgets it.
    void close();

    template <class T = QWidget> T* child(const QString& name) const {
        T* widget = window->findChild<T*>(name);
        if (widget == nullptr)
            qFatal("no control named %s", qPrintable(name));
        return widget;
    }
    void click(const char* button) const;
    // Clicks START (or runs `start`) and waits until the search has ended
    // (completed or stopped).
    bool runSearch(const std::function<void()>& start = {}) const;
};

// Where every named control that is visible now sits on the window.
std::map<QString, QRect> controlPlaces(const QWidget& window);
// Checks that no control visible before and now has moved or changed size
// (pending layout work done first).
void verifySamePlaces(const std::map<QString, QRect>& before, const QWidget& window);

// The option boxes and the part of the request each one shows.
using Option = bool (*)(const SearchRequest&);
// clang-format off
inline const std::vector<std::pair<const char*, Option>> kOptionBoxes{
    {"chkPartial", [](const SearchRequest& r) { return r.partial; }},
    {"chkMatchCase", [](const SearchRequest& r) { return r.matchCase; }},
    {"chkFileName", [](const SearchRequest& r) { return r.fileNames; }},
    {"chkHeader", [](const SearchRequest& r) { return r.mediumNames; }},
    {"chkShowMediaWarn", [](const SearchRequest& r) { return r.warnings; }},
    {"chkSIDName", [](const SearchRequest& r) { return r.sid.name; }},
    {"chkSIDAuthor", [](const SearchRequest& r) { return r.sid.author; }},
    {"chkSIDCopyright", [](const SearchRequest& r) { return r.sid.copyright; }},
    {"chkRecurse", [](const SearchRequest& r) { return r.recurse; }},
    {"chkSaveFile", [](const SearchRequest& r) { return r.saveResults; }},
    {"chkZIP", [](const SearchRequest& r) { return r.archives; }}};
// clang-format on

// The window's own start: saving on, and the folder and results file given.
SearchRequest freshRequest(const std::string& folder, const std::string& resultsFile);

// Checks that every option control shows what `request` holds: check states,
// captions and tags of the type boxes (one per format and entry type, in
// table order), the texts, the folder and the results file, and the SID
// options exactly while tunes are searched.
void verifyMirrors(const WindowFixture& f, const SearchRequest& request);

// Runs one of our programs (from QS_BIN_DIR) and answers what it printed.
std::string runProgram(const QString& name, const QStringList& args);

} // namespace qs::forms::test
