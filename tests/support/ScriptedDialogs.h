#pragma once

#include "Dialogs.h"

#include <QStringList>

#include <deque>

namespace tarvik {

// Dialogs answered from a script: each queued answer serves one dialog, and
// an empty answer (or none queued) is a cancel. Every request is recorded.
class ScriptedDialogs final : public Dialogs {
  public:
    struct FileRequest {
        QString filter;
        int filterIndex;
        QString fileName;
    };

    std::deque<std::optional<ColourValue>> colourAnswers;
    std::deque<std::optional<QString>> fileAnswers;

    QList<ColourValue> colourRequests;
    QList<FileRequest> openRequests;
    QList<FileRequest> saveRequests;
    QStringList messages;

    std::optional<ColourValue> showColor(ColourValue preselected) override {
        colourRequests << preselected;
        return next(colourAnswers);
    }
    std::optional<QString> showOpen(const QString& filter, int filterIndex,
                                    const QString& fileName) override {
        openRequests << FileRequest{filter, filterIndex, fileName};
        return next(fileAnswers);
    }
    std::optional<QString> showSave(const QString& filter, int filterIndex,
                                    const QString& fileName) override {
        saveRequests << FileRequest{filter, filterIndex, fileName};
        return next(fileAnswers);
    }
    void showMessage(const QString& title, const QString& text) override {
        messages << title + QStringLiteral(": ") + text;
    }

  private:
    template <typename T> static std::optional<T> next(std::deque<std::optional<T>>& answers) {
        std::optional<T> answer;
        if (!answers.empty()) {
            answer.swap(answers.front());
            answers.pop_front();
        }
        return answer;
    }
};

} // namespace tarvik
