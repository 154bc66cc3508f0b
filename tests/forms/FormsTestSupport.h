#pragma once
// Helpers of the window tests: a scripted answerer for message boxes, a
// window set up inside a temporary folder, and typed look-ups of controls.
#include "forms/frmMain.h"

#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qs::forms::test {

struct ShownBox {
    MsgIcon icon;
    MsgButtons buttons;
    std::string title;
    std::string text;
};

// Records every box and answers from a queue; when the queue is empty: OK / Yes.
class ScriptedPresenter final : public MessageBoxPresenter {
  public:
    std::vector<ShownBox> shown;
    std::deque<MsgAnswer> answers;

    MsgAnswer present(MsgIcon icon, MsgButtons buttons, const std::string& title,
                      const std::string& text) override {
        shown.push_back({icon, buttons, title, text});
        if (!answers.empty()) {
            const MsgAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
};

// A window whose files (results, error log, temporary folder) live in one
// temporary folder, with every outside program present unless told otherwise.
struct WindowFixture {
    QTemporaryDir dir;
    std::shared_ptr<ScriptedPresenter> boxes = std::make_shared<ScriptedPresenter>();
    std::unique_ptr<frmMain> window;

    std::string path(const std::string& relative = {}) const {
        return dir.path().toStdString() + "/" + relative;
    }

    frmMain& open(MainWindowSetup setup = {}) {
        QDir(dir.path()).mkpath(QStringLiteral("tmp"));
        setup.applicationFolder = path("app/");
        if (setup.startFolder.empty())
            setup.startFolder = path();
        setup.resultsFolder = path();
        setup.tools.toolFolder = path("app/");
        setup.tools.tempFolder = path("tmp/");
        setup.errorLogPath = path("ErrorLog.txt");
        setup.presenter = boxes;
        if (!setup.toolPresent)
            setup.toolPresent = [](const std::string&) { return true; };
        window = std::make_unique<frmMain>(std::move(setup));
        return *window;
    }

    template <class T> T* child(const char* name) const {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr)
            qFatal("no control named %s", name);
        return widget;
    }
};

// Writes the program's sample collection into `folder`.
bool writeSampleCollection(const QString& folder);
// The report of the command line with the same request (stdout, LF line ends).
QString cliReport(const QStringList& args);

std::string readFile(const std::string& path);

} // namespace qs::forms::test
