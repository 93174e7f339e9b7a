#include "SigrokMetadata.h"

#include "Channels.h"
#include "SampleRate.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace tarvik {

namespace {

constexpr char DeviceSection[] = "device 1";
constexpr char OwnSection[] = "tarvik";
// The most bytes a unit of the thirteen lines needs.
constexpr int LongestUnit = 2;

std::optional<int> lineNamed(const QString& name) {
    for (std::size_t k = 0; k < Channels.size(); ++k)
        if (name == QLatin1String(Channels[k].name))
            return static_cast<int>(k);
    return std::nullopt;
}

using Section = QHash<QString, QString>;

// The key-file syntax sigrok reads: [sections], key=value lines, # comments.
QHash<QString, Section> parseKeyFile(const QByteArray& text) {
    QHash<QString, Section> sections;
    Section* section = nullptr;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = &sections[line.mid(1, line.size() - 2)];
        } else if (const qsizetype equals = line.indexOf(u'='); section && equals > 0) {
            section->insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
        }
    }
    return sections;
}

} // namespace

QByteArray composeSessionMetadata(const CaptureFacts& facts) {
    const ChannelLayout layout = facts.channels.packed();
    // The order matters to sigrok: "total probes" makes the channels that
    // the probe keys then name.
    QString text = QStringLiteral("[%1]\ncapturefile=%2\ntotal probes=%3\n")
                       .arg(QLatin1String(DeviceSection), QLatin1String(SessionCaptureFile))
                       .arg(layout.lines().size());
    if (facts.sampleRate > 0)
        text += QStringLiteral("samplerate=%1\n").arg(sampleRateText(facts.sampleRate));
    text += QStringLiteral("total analog=0\n");
    QStringList lines;
    for (const LayoutLine& line : layout.lines()) {
        text += QStringLiteral("probe%1=%2\n").arg(line.bit + 1).arg(line.name);
        lines << QLatin1String(Channels[static_cast<std::size_t>(line.line)].name);
    }
    text += QStringLiteral("unitsize=%1\n").arg(layout.unitSize());
    text += QStringLiteral("\n[%1]\nlines=%2\n").arg(QLatin1String(OwnSection), lines.join(u','));
    if (!facts.trigger.isEmpty())
        text += QStringLiteral("trigger=%1\n").arg(facts.trigger);
    if (!facts.trigger.isEmpty() && facts.triggerSample >= 0)
        text += QStringLiteral("triggersample=%1\n").arg(facts.triggerSample);
    return text.toUtf8();
}

namespace {

// The channels of the device section as lines on their bits, in the order of
// the channels.
QString readChannels(const Section& device, const Section& own, int unitSize,
                     ChannelLayout& layout) {
    QMap<int, QString> probes;
    for (auto key = device.cbegin(); key != device.cend(); ++key) {
        if (!key.key().startsWith(u"probe"))
            continue;
        bool number = false;
        const int probe = key.key().mid(5).toInt(&number);
        if (!number)
            return QStringLiteral("its metadata has an unknown key \"%1\"").arg(key.key());
        probes.insert(probe, key.value());
    }
    const int total = device.value(QStringLiteral("total probes")).toInt();
    for (auto probe = probes.cbegin(); probe != probes.cend(); ++probe)
        if (probe.key() < 1 || probe.key() > unitSize * 8 || probe.key() > total)
            return QStringLiteral("its channel %1 lies outside its units").arg(probe.key());
    // Which line each channel is, from the program's own section, which
    // sigrok drops when it writes the session again.
    const QString ownLines = own.value(QStringLiteral("lines"));
    const QStringList lineNames = ownLines.isEmpty() ? QStringList() : ownLines.split(u',');
    if (!lineNames.isEmpty() && lineNames.size() != probes.size())
        return QStringLiteral("it names %1 lines for %2 channels")
            .arg(lineNames.size())
            .arg(probes.size());
    std::vector<LayoutLine> lines;
    std::uint16_t seen = 0;
    for (auto probe = probes.cbegin(); probe != probes.cend(); ++probe) {
        const QString lineName =
            lineNames.isEmpty() ? probe.value() : lineNames[static_cast<qsizetype>(lines.size())];
        const std::optional<int> line = lineNamed(lineName);
        if (!line)
            return QStringLiteral("its channel %1 is no printer port line (S7 ... S3, D7 ... D0)")
                .arg(lineName);
        const std::uint16_t bit = channelBit(Channels[static_cast<std::size_t>(*line)]);
        if (seen & bit)
            return QStringLiteral("it holds the line %1 twice").arg(lineName);
        seen |= bit;
        lines.push_back({*line, probe.value(), probe.key() - 1});
    }
    if (lines.empty())
        return QStringLiteral("it has no channels");
    // Sessions of old list the lines in the order of their bits; the window
    // shows them S7 first.
    if (lineNames.isEmpty())
        std::sort(lines.begin(), lines.end(),
                  [](const LayoutLine& a, const LayoutLine& b) { return a.line < b.line; });
    layout = ChannelLayout(std::move(lines));
    return {};
}

} // namespace

QString parseSessionMetadata(const QByteArray& text, SessionMetadata& metadata) {
    const QHash<QString, Section> sections = parseKeyFile(text);
    const auto device = sections.constFind(QLatin1String(DeviceSection));
    if (device == sections.cend())
        return QStringLiteral("its metadata describes no device");
    metadata.captureFile = device->value(QStringLiteral("capturefile"));
    if (metadata.captureFile.isEmpty())
        return QStringLiteral("its metadata names no capture file");
    if (device->value(QStringLiteral("total analog"), QStringLiteral("0")) != u"0")
        return QStringLiteral("it holds analog channels");
    const QString unitSize = device->value(QStringLiteral("unitsize"));
    if (unitSize.isEmpty())
        return QStringLiteral("its metadata gives no unit size");
    const int unitBytes = unitSize.toInt();
    if (unitBytes < 1 || unitBytes > LongestUnit)
        return QStringLiteral("its unit size is %1, not 1 or %2").arg(unitSize).arg(LongestUnit);
    const Section own = sections.value(QLatin1String(OwnSection));
    if (QString wrong = readChannels(*device, own, unitBytes, metadata.channels); !wrong.isEmpty())
        return wrong;
    metadata.unitSize = unitBytes;

    metadata.sampleRate = 0.0;
    // sigrok saves a capture without a rate as "0 Hz".
    static const QRegularExpression unknownRate(QStringLiteral("^0+(\\.0*)? *([kMG]?Hz)?$"));
    if (const QString rate = device->value(QStringLiteral("samplerate"));
        !rate.isEmpty() && !unknownRate.match(rate).hasMatch()) {
        const std::optional<double> parsed = parseSampleRate(rate);
        if (!parsed)
            return QStringLiteral("its sample rate \"%1\" is not a rate").arg(rate);
        metadata.sampleRate = *parsed;
    }
    metadata.trigger = own.value(QStringLiteral("trigger"));
    bool known = false;
    const qlonglong triggerSample = own.value(QStringLiteral("triggersample")).toLongLong(&known);
    metadata.triggerSample = known && triggerSample >= 0 ? triggerSample : -1;
    return {};
}

} // namespace tarvik
