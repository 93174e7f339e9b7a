#include "QtDialogs.h"

#include "ColourMapping.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace tarvik {

namespace {

std::optional<QString> showFileDialog(QWidget* parent, QFileDialog::AcceptMode mode,
                                      const QString& filter, int filterIndex,
                                      const QString& fileName) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    // Any name may be typed, as for saving; the commands deal with names that
    // do not exist, and an existing file is replaced without asking.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // The file types show as their descriptions alone.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = nameFilters(filter);
    dialog.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(filterIndex - 1));
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

QStringList nameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Qt reads "*.*" as names with a dot in them; "all files" means every
        // name, so the dialog is given "*" for it. The patterns follow the
        // descriptions in brackets of their own, which the dialog hides.
        const QString& pattern = parts.at(i + 1);
        filters << parts.at(i) + QStringLiteral(" (") +
                       (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern) +
                       QLatin1Char(')');
    }
    return filters;
}

std::optional<ColourValue> QtDialogs::showColor(ColourValue preselected) {
    QColorDialog dialog(toQColor(preselected, QPalette()), parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return fromQColor(dialog.selectedColor());
}

std::optional<QString> QtDialogs::showOpen(const QString& filter, int filterIndex,
                                           const QString& fileName) {
    return showFileDialog(parent_, QFileDialog::AcceptOpen, filter, filterIndex, fileName);
}

std::optional<QString> QtDialogs::showSave(const QString& filter, int filterIndex,
                                           const QString& fileName) {
    return showFileDialog(parent_, QFileDialog::AcceptSave, filter, filterIndex, fileName);
}

void QtDialogs::showMessage(const QString& title, const QString& text) {
    QMessageBox::warning(parent_, title, text);
}

} // namespace tarvik
