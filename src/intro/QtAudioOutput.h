#pragma once
// Sound of the music facade through Qt Multimedia's default output device.
#include "intro/MciFacade.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>

#include <memory>

namespace qs::intro {

class QtAudioOutput final : public AudioOutput {
  public:
    // nullptr when there is no output device or it takes no 16-bit sound.
    static std::unique_ptr<AudioOutput> Create();
    QtAudioOutput(const QAudioDevice& device, const QAudioFormat& format);
    ~QtAudioOutput() override;

    int SampleRate() const override { return format_.sampleRate(); }
    bool Start(std::shared_ptr<const std::vector<std::int16_t>> samples,
               std::size_t firstSample) override;
    void Stop() override;
    State GetState() const override;

  private:
    QAudioDevice device_;
    QAudioFormat format_;
    std::unique_ptr<QAudioSink> sink_;
    QBuffer buffer_;
    bool failed_ = false;
};

} // namespace qs::intro
