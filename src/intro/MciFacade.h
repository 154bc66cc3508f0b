#pragma once
// The music device of the about window, driven by multimedia command strings:
//   open "PATH" type sequencer alias NAME   play NAME [from MS]
//   status NAME mode                        close NAME | close all
// A sequencer reads a standard MIDI file, renders it with the synthesiser and
// hands the sound to an AudioOutput. Every failure (no device, a bad file) is
// an error answer with empty text: nothing is shown, and with no sound the
// mode is never "stopped".
#include "intro/Synth.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qs::intro {

class AudioOutput {
  public:
    enum class State { Idle, Playing, Finished, Failed };
    virtual ~AudioOutput() = default;
    // The sample rate the output wants its sound in.
    virtual int SampleRate() const = 0;
    // Plays mono samples from `firstSample`; false when the output cannot play.
    virtual bool Start(std::shared_ptr<const std::vector<std::int16_t>> samples,
                       std::size_t firstSample) = 0;
    virtual void Stop() = 0;
    virtual State GetState() const = 0;
};

// Makes an output for a newly opened device; nullptr when there is no sound device.
using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

class MciFacade {
  public:
    explicit MciFacade(AudioOutputFactory factory, SynthSettings settings = {});
    ~MciFacade();
    MciFacade(const MciFacade&) = delete;
    MciFacade& operator=(const MciFacade&) = delete;

    // The reply text; "" both for commands without a reply and for errors.
    std::string Send(const std::string& command, bool* ok = nullptr);

  private:
    struct Device {
        std::unique_ptr<AudioOutput> output;
        std::shared_ptr<const std::vector<std::int16_t>> samples;
    };
    bool open(const std::string& command, const std::vector<std::string>& words);
    bool play(Device& device, const std::vector<std::string>& words);
    bool status(Device& device, const std::vector<std::string>& words, std::string& reply);

    AudioOutputFactory factory_;
    SynthSettings settings_;
    std::map<std::string, Device> devices_;
};

} // namespace qs::intro
