#pragma once

#include "Colour.h"

#include <QString>

#include <optional>

namespace tarvik {

// The modal dialogs the commands open. Each returns nothing when the user
// cancels. Filters are in the "Description|pattern|Description|pattern" form.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual std::optional<ColourValue> showColor(ColourValue preselected) = 0;
    virtual std::optional<QString> showOpen(const QString& filter, int filterIndex,
                                            const QString& fileName) = 0;
    virtual std::optional<QString> showSave(const QString& filter, int filterIndex,
                                            const QString& fileName) = 0;
    // A modal message about a command that could not be carried out.
    virtual void showMessage(const QString& title, const QString& text) = 0;
};

// The one dialog object the file commands and the colour command share. It
// remembers the last confirmed colour and the last file name between uses.
class CommonDialog {
  public:
    explicit CommonDialog(Dialogs& dialogs) : dialogs_(dialogs) {}

    // Before any colour is confirmed the colour dialog opens on black.
    ColourValue Color = 0;
    QString FileName;

    // True when the user confirmed a colour; Color then holds it.
    bool ShowColor() {
        const auto chosen = dialogs_.showColor(Color);
        if (chosen)
            Color = *chosen;
        return chosen.has_value();
    }

    // True when the user chose a file; FileName then holds it.
    bool ShowOpen(const QString& filter, int filterIndex) {
        return remember(dialogs_.showOpen(filter, filterIndex, FileName));
    }

    bool ShowSave(const QString& filter, int filterIndex) {
        return remember(dialogs_.showSave(filter, filterIndex, FileName));
    }

    void ShowMessage(const QString& title, const QString& text) {
        dialogs_.showMessage(title, text);
    }

  private:
    bool remember(const std::optional<QString>& name) {
        if (name)
            FileName = *name;
        return name.has_value();
    }

    Dialogs& dialogs_;
};

} // namespace tarvik
