#include "VcdFormat.h"

#include "Channels.h"
#include "SampleRate.h"
#include "WritableFile.h"

#include <QIODevice>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

namespace tarvik {

namespace {

// Text gathered before it goes to the device, in one call.
constexpr std::size_t TextPerWrite = 1 << 20;

struct Timescale {
    long double ticksPerSecond;
    const char* text;
};

// The coarsest tick that still gives every sample a time of its own: the
// first power of ten of a second at or above the rate, down to the tick of
// HighestSampleRate.
Timescale timescaleFor(double rate) {
    constexpr const char* Texts[] = {"1 s",    "100 ms", "10 ms",  "1 ms",  "100 us",
                                     "10 us",  "1 us",   "100 ns", "10 ns", "1 ns",
                                     "100 ps", "10 ps",  "1 ps"};
    long double ticks = 1.0L;
    std::size_t k = 0;
    while (ticks < rate && k + 1 < std::size(Texts)) {
        ticks *= 10.0L;
        ++k;
    }
    return {ticks, Texts[k]};
}

// sigrok's own identifiers: one printable character each, from '!' on.
char idOf(std::size_t channel) {
    return static_cast<char>('!' + channel);
}

class VcdText {
  public:
    VcdText(QIODevice& device, const CaptureFacts& facts)
        : device_(device), lines_(facts.channels.lines()),
          ticksPerSample_(timescaleFor(facts.sampleRate).ticksPerSecond / facts.sampleRate) {
        text_.reserve(TextPerWrite + 4096);
    }

    void append(const char* text) { text_ += text; }
    void append(const QString& text) { text_ += text.toStdString(); }

    long long ticksOf(std::int64_t sample) const {
        return std::llroundl(static_cast<long double>(sample) * ticksPerSample_);
    }

    void time(std::int64_t sample) {
        const long long ticks = ticksOf(sample);
        char digits[24];
        const auto end = std::to_chars(std::begin(digits), std::end(digits), ticks).ptr;
        text_ += '#';
        text_.append(digits, end);
        text_ += '\n';
    }

    void values(std::uint16_t unit, std::uint16_t changed) {
        for (std::size_t k = 0; k < lines_.size(); ++k) {
            const std::uint16_t bit =
                channelBit(Channels[static_cast<std::size_t>(lines_[k].line)]);
            if (changed & bit) {
                const char line[] = {(unit & bit) ? '1' : '0', idOf(k), '\n'};
                text_.append(line, sizeof line);
            }
        }
    }

    // Hands the text to the device once enough has gathered, or at the end.
    bool pass(bool atEnd) {
        if (text_.size() < TextPerWrite && !atEnd)
            return true;
        const bool written = writeAll(device_, text_.data(), static_cast<qint64>(text_.size()));
        text_.clear();
        return written;
    }

  private:
    QIODevice& device_;
    std::vector<LayoutLine> lines_;
    long double ticksPerSample_;
    std::string text_;
};

void appendHeader(VcdText& text, const CaptureFacts& facts) {
    text.append("$version Tarvik " TARVIK_VERSION " $end\n$comment\n  Sample rate ");
    text.append(sampleRateText(facts.sampleRate));
    if (!facts.trigger.isEmpty())
        text.append(QStringLiteral(", trigger ") + facts.trigger);
    if (facts.triggerSample >= 0)
        text.append(QStringLiteral(" held at sample %1 (#%2)")
                        .arg(facts.triggerSample)
                        .arg(text.ticksOf(facts.triggerSample)));
    text.append("\n$end\n$timescale ");
    text.append(timescaleFor(facts.sampleRate).text);
    text.append(" $end\n$scope module tarvik $end\n");
    const std::vector<LayoutLine>& lines = facts.channels.lines();
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const char id[] = {idOf(k), '\0'};
        text.append("$var wire 1 ");
        text.append(id);
        text.append(" ");
        text.append(lines[k].name);
        text.append(" $end\n");
    }
    text.append("$upscope $end\n$enddefinitions $end\n");
}

} // namespace

QString writeVcd(QIODevice& device, SampleSource& source) {
    std::vector<std::uint8_t> block(SamplesPerBlock * BytesPerSample);
    // The header follows the first samples: a live capture knows the
    // trigger's sample only once it held.
    std::int64_t got = source.read(block.data(), SamplesPerBlock);
    if (got < 0)
        return readFailure(source);
    const CaptureFacts facts = source.facts();
    VcdText text(device, facts);
    appendHeader(text, facts);
    std::int64_t index = 0;
    std::uint16_t previous = 0;
    const bool live = source.live();
    const std::uint16_t lineBits = facts.channels.sampleBits();
    for (; got > 0; got = source.read(block.data(), SamplesPerBlock)) {
        std::int64_t k = 0;
        if (index == 0) {
            previous = sampleUnit(block[0], block[1]);
            text.append("#0\n$dumpvars\n");
            text.values(previous, lineBits);
            text.append("$end\n");
            k = 1;
        }
        for (; k < got; ++k) {
            const std::uint16_t unit =
                sampleUnit(block[k * BytesPerSample], block[k * BytesPerSample + 1]);
            if (const std::uint16_t changed = (unit ^ previous) & lineBits) {
                text.time(index + k);
                text.values(unit, changed);
            }
            previous = unit;
        }
        index += got;
        if (!text.pass(live))
            return writeFailureText(device);
    }
    if (got < 0)
        return readFailure(source);
    text.time(index);
    return text.pass(true) ? QString() : writeFailureText(device);
}

} // namespace tarvik
