#include "SampleRateOverride.h"

namespace tarvik {

namespace {

class RateOverride : public SampleSource {
  public:
    RateOverride(std::unique_ptr<SampleSource> source, double rate)
        : source_(std::move(source)), rate_(rate) {}

    CaptureFacts facts() const override {
        CaptureFacts facts = source_->facts();
        facts.sampleRate = rate_;
        return facts;
    }
    std::int64_t read(std::uint8_t* pairs, std::int64_t maxSamples) override {
        return source_->read(pairs, maxSamples);
    }
    QString errorString() const override { return source_->errorString(); }

  private:
    std::unique_ptr<SampleSource> source_;
    double rate_;
};

} // namespace

std::unique_ptr<SampleSource> withSampleRate(std::unique_ptr<SampleSource> source, double rate) {
    return std::make_unique<RateOverride>(std::move(source), rate);
}

} // namespace tarvik
