#include "SettingsContent.h"

#include "SettingsFields.h"
#include "SettingsNumber.h"

#include <QIODevice>

#include <array>

namespace tarvik {

namespace {

constexpr std::array<SettingsWindow::Swatch, 3> SwatchOrder{
    SettingsWindow::Swatch::Line, SettingsWindow::Swatch::Nul, SettingsWindow::Swatch::Back};

bool applyPosition(const std::optional<QByteArray>& field, SettingsWindow& window,
                   bool (SettingsWindow::*place)(float)) {
    if (!field)
        return false;
    const auto twips = settingsPosition(settingsNumber(*field));
    return twips && (window.*place)(*twips);
}

bool applyFields(QIODevice& file, QString& header, SettingsWindow& window) {
    SettingsFieldReader fields(file);
    const auto first = fields.next();
    if (!first)
        return false;
    header = QString::fromLatin1(*first);

    if (!applyPosition(fields.next(), window, &SettingsWindow::setTop) ||
        !applyPosition(fields.next(), window, &SettingsWindow::setLeft))
        return false;

    for (const auto swatch : SwatchOrder) {
        const auto field = fields.next();
        if (!field)
            return false;
        const auto colour = settingsColour(settingsNumber(*field));
        if (!colour || !window.setSwatchColour(swatch, *colour))
            return false;
    }
    return true;
}

void appendLine(QByteArray& text, const QByteArray& field) {
    text += '"';
    text += field;
    text += "\"\r\n";
}

} // namespace

void loadSettingsFrom(QIODevice& file, QString& header, SettingsWindow& window) {
    if (!file.isReadable() || !applyFields(file, header, window)) {
        window.setTop(FallbackTop);
        window.setLeft(FallbackLeft);
    }
}

QByteArray settingsText(const QString& header, const SettingsWindow& window) {
    QByteArray text;
    appendLine(text, header.toLatin1());
    appendLine(text, positionText(window.top()));
    appendLine(text, positionText(window.left()));
    for (const auto swatch : SwatchOrder)
        appendLine(text, colourText(window.swatchColour(swatch)));
    return text;
}

} // namespace tarvik
