#include "Trigger.h"

#include "Channels.h"

#include <QStringList>

namespace tarvik {

namespace {

std::optional<std::uint16_t> lineBit(const QString& name) {
    for (const Channel& channel : Channels) {
        if (name.compare(QLatin1String(channel.name), Qt::CaseInsensitive) == 0)
            return channelBit(channel);
    }
    return std::nullopt;
}

QString lineNames() {
    QStringList names;
    for (const Channel& channel : Channels)
        names << QLatin1String(channel.name);
    return names.join(QLatin1Char(' '));
}

} // namespace

std::optional<Trigger> Trigger::parse(const QString& text, QString* whyNot) {
    Trigger trigger;
    trigger.text_ = text;
    if (text.isEmpty())
        return trigger;
    std::uint16_t named = 0;
    for (const QString& condition : text.split(QLatin1Char(','))) {
        const qsizetype equals = condition.indexOf(QLatin1Char('='));
        const QString name = condition.left(equals).trimmed();
        const QString kind = equals < 0 ? QString() : condition.mid(equals + 1).trimmed();
        const auto bit = lineBit(name);
        if (!bit) {
            *whyNot = QStringLiteral("'%1' is not a line; the lines are %2").arg(name, lineNames());
            return std::nullopt;
        }
        if (named & *bit) {
            *whyNot = QStringLiteral("%1 has two conditions").arg(name);
            return std::nullopt;
        }
        named |= *bit;
        if (kind == QLatin1String("0")) {
            trigger.levelMask_ |= *bit;
        } else if (kind == QLatin1String("1")) {
            trigger.levelMask_ |= *bit;
            trigger.levelValue_ |= *bit;
        } else if (kind == QLatin1String("r")) {
            trigger.rising_ |= *bit;
        } else if (kind == QLatin1String("f")) {
            trigger.falling_ |= *bit;
        } else if (kind == QLatin1String("e")) {
            trigger.either_ |= *bit;
        } else {
            *whyNot = QStringLiteral("%1 needs a condition: %1=0, %1=1, %1=r (rising), %1=f "
                                     "(falling) or %1=e (either edge)")
                          .arg(name);
            return std::nullopt;
        }
    }
    return trigger;
}

} // namespace tarvik
