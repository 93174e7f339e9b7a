#pragma once

#include "Colour.h"

#include <QFrame>

namespace tarvik {

// A small sunken picture box showing one drawing colour; a click picks a new one.
class ColourSwatch final : public QFrame {
    Q_OBJECT
  public:
    explicit ColourSwatch(ColourValue colour, QWidget* parent = nullptr);

    ColourValue backColor() const { return colour_; }
    // Refuses (returns false and keeps its colour) values that name no colour:
    // a top byte other than 0, or a system colour index the palette lacks.
    bool setBackColor(ColourValue colour);

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    ColourValue colour_;
};

} // namespace tarvik
