#include "CaptureSummary.h"

#include "SampleRate.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace tarvik {

namespace {

// Where each line's present level began, and whether an edge began it.
struct Run {
    std::int64_t start = 0;
    bool afterEdge = false;
};

void shorten(std::int64_t& shortest, std::int64_t length) {
    if (shortest == 0 || length < shortest)
        shortest = length;
}

QString number(std::int64_t value) {
    return QLocale(QLocale::English).toString(value);
}

QString pulseText(std::int64_t samples, double rate) {
    if (samples == 0)
        return QStringLiteral("none");
    QString text =
        number(samples) + (samples == 1 ? QStringLiteral(" sample") : QStringLiteral(" samples"));
    if (rate > 0) {
        QString micro = QLocale(QLocale::English).toString(samples * 1e6 / rate, 'f', 3);
        while (micro.endsWith(u'0'))
            micro.chop(1);
        if (micro.endsWith(u'.'))
            micro.chop(1);
        text += QStringLiteral(" = %1 us").arg(micro);
    }
    return text;
}

} // namespace

CaptureSummary SummariseCapture(SampleSource& source) {
    CaptureSummary summary;
    const ChannelLayout layout = source.facts().channels;
    std::vector<std::uint16_t> bits;
    for (const LayoutLine& line : layout.lines())
        bits.push_back(channelBit(Channels[static_cast<std::size_t>(line.line)]));
    const std::uint16_t lineBits = layout.sampleBits();
    summary.channels.resize(bits.size());
    std::vector<Run> runs(bits.size());
    std::vector<std::uint8_t> block(SamplesPerBlock * BytesPerSample);
    std::uint16_t previous = 0;
    for (;;) {
        const std::int64_t got = source.read(block.data(), SamplesPerBlock);
        if (got < 0)
            summary.error = source.errorString();
        if (got <= 0)
            break;
        std::int64_t k = 0;
        if (summary.sampleCount == 0) {
            previous = sampleUnit(block[0], block[1]);
            for (std::size_t c = 0; c < bits.size(); ++c)
                summary.channels[c].firstLevel = previous & bits[c];
            k = 1;
        }
        // Lines change seldom, so a sample is first compared whole.
        for (; k < got; ++k) {
            const std::uint16_t unit =
                sampleUnit(block[k * BytesPerSample], block[k * BytesPerSample + 1]);
            const std::uint16_t changed = (unit ^ previous) & lineBits;
            previous = unit;
            if (changed == 0)
                continue;
            const std::int64_t index = summary.sampleCount + k;
            for (std::size_t c = 0; c < bits.size(); ++c) {
                const std::uint16_t bit = bits[c];
                if (!(changed & bit))
                    continue;
                ChannelSummary& channel = summary.channels[c];
                ++channel.edges;
                Run& run = runs[c];
                if (run.afterEdge)
                    shorten(unit & bit ? channel.shortestLow : channel.shortestHigh,
                            index - run.start);
                run = {index, true};
            }
        }
        summary.sampleCount += got;
    }
    return summary;
}

QString summaryText(const CaptureSummary& summary, const CaptureFacts& facts) {
    QString text = QStringLiteral("Samples      %1\nSample rate  %2\n")
                       .arg(number(summary.sampleCount), facts.sampleRate > 0
                                                             ? sampleRateText(facts.sampleRate)
                                                             : QStringLiteral("unknown"));
    if (!facts.trigger.isEmpty())
        text += QStringLiteral("Trigger      %1\n").arg(facts.trigger);
    if (facts.triggerSample >= 0)
        text += QStringLiteral("Held at      sample %1\n").arg(number(facts.triggerSample));

    QList<QStringList> rows{{QStringLiteral("Channel"), QStringLiteral("First"),
                             QStringLiteral("Edges"), QStringLiteral("Shortest high"),
                             QStringLiteral("Shortest low")}};
    const std::vector<LayoutLine>& lines = facts.channels.lines();
    for (std::size_t c = 0; c < summary.channels.size() && c < lines.size(); ++c) {
        const ChannelSummary& channel = summary.channels[c];
        rows.append({lines[c].name, QString::number(int{channel.firstLevel}), number(channel.edges),
                     pulseText(channel.shortestHigh, facts.sampleRate),
                     pulseText(channel.shortestLow, facts.sampleRate)});
    }
    std::array<qsizetype, 5> widths{};
    for (const QStringList& row : rows)
        for (std::size_t k = 0; k < widths.size(); ++k)
            widths[k] = std::max(widths[k], row[k].size());
    text += u'\n';
    for (const QStringList& row : rows) {
        QString line;
        for (std::size_t k = 0; k < widths.size(); ++k) {
            // The count of edges is a number to compare down the column.
            line += k == 2 ? row[k].rightJustified(widths[k]) : row[k].leftJustified(widths[k]);
            line += QStringLiteral("   ");
        }
        text += line.trimmed() + u'\n';
    }
    return text;
}

} // namespace tarvik
