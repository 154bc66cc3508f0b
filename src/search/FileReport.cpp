#include "search/FileReport.h"

#include "common/Text.h"
#include "search/Output.h"

namespace qs {

// A status text is one line, and the paths it names may hold anything: it is
// shown escaped.
void FileReport::status(std::string text, bool pump) {
    if (!isPlainLine(text))
        text = escapedForLine(text);
    events.push_back({pump ? Kind::PumpedStatus : Kind::Status, std::move(text)});
}

void FileReport::result(std::string text) {
    events.push_back({Kind::Result, std::move(text)});
}

void FileReport::match(MatchRecord record) {
    record.place = place;
    Event e{Kind::Match};
    e.match = std::make_shared<const MatchRecord>(std::move(record));
    events.push_back(std::move(e));
}

void FileReport::block() {
    events.push_back({Kind::Block});
}

void FileReport::warning(std::string text) {
    events.push_back({Kind::Warning, std::move(text)});
}

void FileReport::recordError(const TrappedMessage& message, bool log) {
    const std::string& text = message.text;
    // The message names the path escaped, as it is to name the label.
    const std::string trailer = "\r\nFile: " + escapedForLine(path_);
    Event e{Kind::Error, text, log};
    if (!path_.empty() && text.size() >= trailer.size() &&
        text.compare(text.size() - trailer.size(), trailer.size(), trailer) == 0)
        e.text =
            text.substr(0, text.size() - trailer.size()) + "\r\nFile: " + escapedForLine(label_);
    // Whatever goes wrong while a file is analysed is about that file, unless
    // the message names another.
    const bool elsewhere = !message.file.empty() && message.file != path_;
    e.file = elsewhere ? message.file : place.file;
    e.member = elsewhere ? std::string{} : place.member;
    if (!elsewhere)
        e.members = place.members;
    events.push_back(std::move(e));
}

bool FileReport::failed() const {
    for (const Event& e : events)
        if (e.kind == Kind::Error)
            return true;
    return false;
}

std::size_t FileReport::bytes() const {
    const auto text = [](const std::string& t) { return t.capacity() > 15 ? t.capacity() : 0; };
    std::size_t total = sizeof *this + events.capacity() * sizeof(Event) + text(place.file) +
                        text(place.member) + text(path_) + text(label_);
    for (const Event& e : events) {
        total += text(e.text) + text(e.file) + text(e.member);
        if (e.match)
            total += sizeof *e.match + text(e.match->shown) + text(e.match->bytes) +
                     text(e.match->place.file) + text(e.match->place.member);
    }
    return total;
}

void FileReport::folderProgress(std::size_t done, std::size_t total) {
    events.push_back({Kind::FolderProgress, {}, false, done, total});
}

void FileReport::nameFile(std::string path, std::string label) {
    path_ = std::move(path);
    label_ = std::move(label);
}

int Replay(ReportWriter& out, const FileReport& report) {
    ReportSink& sink = out.sink();
    int reported = 0;
    for (const FileReport::Event& e : report.events) {
        switch (e.kind) {
        case FileReport::Kind::Status:
            sink.status(e.text);
            break;
        case FileReport::Kind::PumpedStatus:
            sink.status(e.text);
            sink.pump();
            break;
        case FileReport::Kind::Error:
            out.trap().report({e.text, e.file, e.member, e.members}, e.log);
            break;
        case FileReport::Kind::Result:
            out.text(e.text);
            break;
        case FileReport::Kind::FolderProgress:
            sink.progress(e.done, e.total);
            break;
        // Left out, as their report texts are, once the search is to stop.
        case FileReport::Kind::Match:
            if (!out.stopped()) {
                sink.reportMatch(*e.match);
                ++reported;
            }
            break;
        case FileReport::Kind::Warning:
            if (!out.stopped())
                sink.reportWarning({report.place, e.text});
            break;
        case FileReport::Kind::Block:
            if (!out.stopped())
                sink.reportBlock(report.place);
            break;
        }
    }
    // Without records the matches are the report's own texts.
    return out.stopped() ? reported : report.matches;
}

} // namespace qs
