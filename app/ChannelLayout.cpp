#include "ChannelLayout.h"

#include <QStringList>

#include <algorithm>

namespace tarvik {

namespace {

// Long enough for any signal's name, short enough for a column of --show.
constexpr qsizetype LongestName = 32;

std::optional<int> lineNamed(QStringView name) {
    for (std::size_t k = 0; k < Channels.size(); ++k)
        if (name.compare(QLatin1String(Channels[k].name), Qt::CaseInsensitive) == 0)
            return static_cast<int>(k);
    return std::nullopt;
}

} // namespace

ChannelLayout ChannelLayout::all() {
    std::vector<LayoutLine> lines;
    for (std::size_t k = 0; k < Channels.size(); ++k)
        lines.push_back(
            {static_cast<int>(k), QLatin1String(Channels[k].name), static_cast<int>(k)});
    return ChannelLayout(std::move(lines));
}

QString ChannelLayout::whyNotName(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("a line's new name is empty");
    if (name.size() > LongestName)
        return QStringLiteral("the name '%1' is longer than %2 characters")
            .arg(name)
            .arg(LongestName);
    // sigrok-cli splits -C at ',' and '=', decoder options at ':' and '=', and
    // a value change dump its declarations at blanks.
    for (const QChar c : name)
        if (c.unicode() <= u' ' || c.unicode() >= 127 || c == u'=' || c == u',' || c == u':')
            return QStringLiteral("the name '%1' may hold only printable ASCII characters other "
                                  "than blanks, '=', ',' and ':'")
                .arg(name);
    return {};
}

std::optional<ChannelLayout> ChannelLayout::parse(const QString& text, QString* whyNot) {
    std::vector<LayoutLine> lines;
    for (const QString& item : text.split(u',')) {
        const qsizetype equals = item.indexOf(u'=');
        const QString lineText = item.left(equals).trimmed();
        const std::optional<int> line = lineNamed(lineText);
        if (!line) {
            *whyNot = QStringLiteral("'%1' is not a line; the lines are "
                                     "S7 S6 S5 S4 S3 D7 D6 D5 D4 D3 D2 D1 D0")
                          .arg(lineText);
            return std::nullopt;
        }
        const QString name =
            equals < 0 ? QString::fromLatin1(Channels[*line].name) : item.mid(equals + 1).trimmed();
        if (QString why = whyNotName(name); !why.isEmpty()) {
            *whyNot = why;
            return std::nullopt;
        }
        for (const LayoutLine& earlier : lines) {
            if (earlier.line == *line || earlier.name.compare(name, Qt::CaseInsensitive) == 0) {
                *whyNot = earlier.line == *line
                              ? QStringLiteral("%1 is given twice").arg(lineText)
                              : QStringLiteral("two lines are named %1").arg(name);
                return std::nullopt;
            }
        }
        lines.push_back({*line, name, static_cast<int>(lines.size())});
    }
    return ChannelLayout(std::move(lines));
}

ChannelLayout ChannelLayout::packed() const {
    std::vector<LayoutLine> lines = lines_;
    for (std::size_t k = 0; k < lines.size(); ++k)
        lines[k].bit = static_cast<int>(k);
    return ChannelLayout(std::move(lines));
}

int ChannelLayout::unitSize() const {
    int highest = 0;
    for (const LayoutLine& line : lines_)
        highest = std::max(highest, line.bit);
    return highest / 8 + 1;
}

std::uint16_t ChannelLayout::sampleBits() const {
    std::uint16_t bits = 0;
    for (const LayoutLine& line : lines_)
        bits |= channelBit(Channels[static_cast<std::size_t>(line.line)]);
    return bits;
}

std::optional<std::size_t> ChannelLayout::find(int line) const {
    for (std::size_t k = 0; k < lines_.size(); ++k)
        if (lines_[k].line == line)
            return k;
    return std::nullopt;
}

} // namespace tarvik
