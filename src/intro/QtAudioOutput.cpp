#include "intro/QtAudioOutput.h"

#include <QMediaDevices>

namespace qs::intro {

std::unique_ptr<AudioOutput> QtAudioOutput::Create() {
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return nullptr;
    QAudioFormat format = device.preferredFormat();
    format.setSampleFormat(QAudioFormat::Int16);
    if (format.sampleRate() <= 0)
        format.setSampleRate(44100);
    if (format.channelCount() <= 0)
        format.setChannelCount(2);
    if (!device.isFormatSupported(format))
        return nullptr;
    return std::make_unique<QtAudioOutput>(device, format);
}

QtAudioOutput::QtAudioOutput(const QAudioDevice& device, const QAudioFormat& format)
    : device_(device), format_(format) {}

QtAudioOutput::~QtAudioOutput() {
    Stop();
}

bool QtAudioOutput::Start(std::shared_ptr<const std::vector<std::int16_t>> samples,
                          std::size_t firstSample) {
    Stop();
    const int channels = format_.channelCount();
    const std::size_t count = firstSample < samples->size() ? samples->size() - firstSample : 0;
    QByteArray data(
        static_cast<qsizetype>(count * static_cast<std::size_t>(channels) * sizeof(std::int16_t)),
        Qt::Uninitialized);
    auto* out = reinterpret_cast<std::int16_t*>(data.data());
    for (std::size_t i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c)
            *out++ = (*samples)[firstSample + i];
    }
    buffer_.setData(data);
    buffer_.open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(device_, format_);
    sink_->start(&buffer_);
    failed_ = sink_->error() != QAudio::NoError && sink_->error() != QAudio::UnderrunError;
    return !failed_;
}

void QtAudioOutput::Stop() {
    if (sink_)
        sink_->stop();
    sink_.reset();
    buffer_.close();
}

AudioOutput::State QtAudioOutput::GetState() const {
    if (failed_)
        return State::Failed;
    if (!sink_)
        return State::Idle;
    const QAudio::Error error = sink_->error();
    if (error != QAudio::NoError && error != QAudio::UnderrunError)
        return State::Failed;
    switch (sink_->state()) {
    case QAudio::ActiveState:
    case QAudio::SuspendedState:
        return State::Playing;
    case QAudio::IdleState:
        // Out of data: the tune has come to its end.
        return buffer_.atEnd() ? State::Finished : State::Playing;
    case QAudio::StoppedState:
        return State::Idle;
    }
    return State::Idle;
}

} // namespace qs::intro
