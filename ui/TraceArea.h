#pragma once

#include "ImageSurface.h"

#include <QFrame>

#include <memory>

namespace tarvik {

// The trace area: a sunken frame around the picture the renderer draws. The
// picture is kept until the next redraw, at the display's own resolution.
class TraceArea final : public QFrame {
    Q_OBJECT
  public:
    explicit TraceArea(QWidget* parent = nullptr);

    // The surface the renderer draws on; call update() afterwards to show it.
    ImageSurface& surface();
    const QImage& picture();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::unique_ptr<ImageSurface> surface_;
};

} // namespace tarvik
