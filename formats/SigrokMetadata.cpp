#include "SigrokMetadata.h"

#include "Channels.h"
#include "SampleRate.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QRegularExpression>

namespace tarvik {

namespace {

constexpr char DeviceSection[] = "device 1";
constexpr char OwnSection[] = "tarvik";
constexpr int TotalProbes = BytesPerSample * 8;

// sigrok numbers the probes of a unit from 1, bit 0 of its first byte first.
int probeOf(const Channel& channel) {
    return channel.byte * 8 + channel.bit + 1;
}

QMap<int, QString> ourProbes() {
    QMap<int, QString> probes;
    for (const Channel& channel : Channels)
        probes.insert(probeOf(channel), QString::fromLatin1(channel.name));
    return probes;
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
    // The order matters to sigrok: "total probes" makes the channels that
    // the probe keys then name.
    QString text = QStringLiteral("[%1]\ncapturefile=%2\ntotal probes=%3\n")
                       .arg(QLatin1String(DeviceSection), QLatin1String(SessionCaptureFile))
                       .arg(TotalProbes);
    if (facts.sampleRate > 0)
        text += QStringLiteral("samplerate=%1\n").arg(sampleRateText(facts.sampleRate));
    text += QStringLiteral("total analog=0\n");
    const QMap<int, QString> probes = ourProbes();
    for (auto probe = probes.cbegin(); probe != probes.cend(); ++probe)
        text += QStringLiteral("probe%1=%2\n").arg(probe.key()).arg(probe.value());
    text += QStringLiteral("unitsize=%1\n").arg(BytesPerSample);
    if (!facts.trigger.isEmpty())
        text +=
            QStringLiteral("\n[%1]\ntrigger=%2\n").arg(QLatin1String(OwnSection), facts.trigger);
    if (!facts.trigger.isEmpty() && facts.triggerSample >= 0)
        text += QStringLiteral("triggersample=%1\n").arg(facts.triggerSample);
    return text.toUtf8();
}

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
    if (unitSize != QString::number(BytesPerSample))
        return QStringLiteral("its unit size is %1, not %2").arg(unitSize).arg(BytesPerSample);

    QMap<int, QString> probes;
    for (auto key = device->cbegin(); key != device->cend(); ++key) {
        if (!key.key().startsWith(u"probe"))
            continue;
        bool number = false;
        const int probe = key.key().mid(5).toInt(&number);
        if (!number)
            return QStringLiteral("its metadata has an unknown key \"%1\"").arg(key.key());
        probes.insert(probe, key.value());
    }
    const QString total = device->value(QStringLiteral("total probes"));
    if (probes != ourProbes() || total.toInt() != TotalProbes)
        return QStringLiteral("its channels are not a printer port's S7 ... S3 and D7 ... D0 on "
                              "bits 7 ... 3 and 15 ... 8");

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
    const Section own = sections.value(QLatin1String(OwnSection));
    metadata.trigger = own.value(QStringLiteral("trigger"));
    bool known = false;
    const qlonglong triggerSample = own.value(QStringLiteral("triggersample")).toLongLong(&known);
    metadata.triggerSample = known && triggerSample >= 0 ? triggerSample : -1;
    return {};
}

} // namespace tarvik
