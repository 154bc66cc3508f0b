#include "intro/MciFacade.h"

#include "common/Files.h"

#include <charconv>

namespace qs::intro {

namespace {

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// Words in lower case; a double-quoted path is one word, kept as written.
std::vector<std::string> splitWords(const std::string& command) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < command.size()) {
        if (command[i] == ' ') {
            ++i;
            continue;
        }
        if (command[i] == '"') {
            const std::size_t close = command.find('"', i + 1);
            const std::size_t end = close == std::string::npos ? command.size() : close;
            words.push_back(command.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        const std::size_t end = std::min(command.find(' ', i), command.size());
        words.push_back(lower(command.substr(i, end - i)));
        i = end;
    }
    return words;
}

} // namespace

MciFacade::MciFacade(AudioOutputFactory factory, SynthSettings settings)
    : factory_(std::move(factory)), settings_(settings) {}

MciFacade::~MciFacade() {
    for (auto& [alias, device] : devices_)
        device.output->Stop();
}

std::string MciFacade::Send(const std::string& command, bool* ok) {
    std::string reply;
    bool done = false;
    try {
        const std::vector<std::string> words = splitWords(command);
        if (words.size() >= 2) {
            const std::string& verb = words[0];
            if (verb == "open") {
                done = open(command, words);
            } else if (verb == "close" && words[1] == "all") {
                devices_.clear();
                done = true;
            } else if (auto found = devices_.find(lower(words[1])); found != devices_.end()) {
                if (verb == "close") {
                    found->second.output->Stop();
                    devices_.erase(found);
                    done = true;
                } else if (verb == "play") {
                    done = play(found->second, words);
                } else if (verb == "status") {
                    done = status(found->second, words, reply);
                }
            }
        }
    } catch (...) {
        // A device that cannot be opened or played is silent, never a message.
        done = false;
        reply.clear();
    }
    if (ok)
        *ok = done;
    return reply;
}

bool MciFacade::open(const std::string& command, const std::vector<std::string>& words) {
    // open "PATH" type sequencer alias NAME
    if (words.size() != 6 || command.find('"') == std::string::npos || words[2] != "type" ||
        words[3] != "sequencer" || words[4] != "alias" || devices_.count(words[5]))
        return false;
    std::unique_ptr<AudioOutput> output = factory_ ? factory_() : nullptr;
    if (!output)
        return false;
    SynthSettings settings = settings_;
    settings.sampleRate = output->SampleRate();
    const MidiTune tune = ParseMidi(ReadWholeFile(words[1]));
    Device device{std::move(output),
                  std::make_shared<const std::vector<std::int16_t>>(RenderTune(tune, settings))};
    devices_.emplace(words[5], std::move(device));
    return true;
}

bool MciFacade::play(Device& device, const std::vector<std::string>& words) {
    // play NAME [from MS]: milliseconds, the sequencer's time format here
    std::size_t first = 0;
    if (words.size() == 4 && words[2] == "from") {
        std::uint64_t ms = 0;
        const auto r = std::from_chars(words[3].data(), words[3].data() + words[3].size(), ms);
        if (r.ec != std::errc() || ms > 24ull * 3600 * 1000)
            return false;
        first = static_cast<std::size_t>(
            ms * static_cast<std::uint64_t>(device.output->SampleRate()) / 1000);
    } else if (words.size() != 2) {
        return false;
    } else if (device.output->GetState() == AudioOutput::State::Playing) {
        return true;
    }
    first = std::min(first, device.samples->size());
    device.output->Stop();
    return device.output->Start(device.samples, first);
}

bool MciFacade::status(Device& device, const std::vector<std::string>& words, std::string& reply) {
    if (words.size() != 3 || words[2] != "mode")
        return false;
    switch (device.output->GetState()) {
    case AudioOutput::State::Playing:
        reply = "playing";
        return true;
    case AudioOutput::State::Idle:
    case AudioOutput::State::Finished:
        reply = "stopped";
        return true;
    case AudioOutput::State::Failed:
        break;
    }
    return false;
}

} // namespace qs::intro
