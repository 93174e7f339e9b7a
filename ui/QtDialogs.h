#pragma once

#include "Dialogs.h"

class QWidget;

namespace tarvik {

// The real dialogs: Qt's colour, file and message dialogs, modal over a window.
class QtDialogs final : public Dialogs {
  public:
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<ColourValue> showColor(ColourValue preselected) override;
    std::optional<QString> showOpen(const QString& filter, int filterIndex,
                                    const QString& fileName) override;
    std::optional<QString> showSave(const QString& filter, int filterIndex,
                                    const QString& fileName) override;
    void showMessage(const QString& title, const QString& text) override;

  private:
    QWidget* parent_ = nullptr;
};

// "Description|pattern|Description|pattern" as the file dialog's name filters,
// each shown as its description.
QStringList nameFilters(const QString& filter);

} // namespace tarvik
