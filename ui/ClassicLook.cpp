#include "ClassicLook.h"

#include <QProgressBar>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionProgressBar>

#include <algorithm>

namespace tarvik {

namespace {

// The platform's "Windows" style, with the blocks laid out here rather than
// in Qt, so that what a value covers is known exactly. They lie as Qt lays
// them: as many whole blocks as fit the share of the value, a narrower last
// block where the bar ends inside one.
class ClassicStyle final : public QProxyStyle {
  public:
    explicit ClassicStyle(QStyle* windows) : QProxyStyle(windows) {}

    // Only left-to-right horizontal bars without text are laid out here.
    static bool plain(const QStyleOptionProgressBar& option) {
        return (option.state & State_Horizontal) && option.direction == Qt::LeftToRight &&
               !option.invertedAppearance && !option.textVisible && option.maximum > option.minimum;
    }

    int blockWidth(const QStyleOptionProgressBar& option, const QWidget* widget) const {
        return proxy()->pixelMetric(PM_ProgressBarChunkWidth, &option, widget);
    }

    // How far the blocks reach from the left edge of option.rect.
    int filledWidth(const QStyleOptionProgressBar& option, const QWidget* widget) const {
        const int block = blockWidth(option, widget);
        const qint64 width = option.rect.width();
        if (block <= 0 || width <= 0)
            return 0;
        const qint64 blocks = (width + block) / block;
        const qint64 done = std::max<qint64>(qint64(option.progress) - option.minimum, 0);
        const qint64 steps = qint64(option.maximum) - option.minimum;
        return int(std::min(done * blocks / steps * block, width));
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* bar = qstyleoption_cast<const QStyleOptionProgressBar*>(option);
        if (element != CE_ProgressBarContents || !bar || !plain(*bar)) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionProgressBar block = *bar;
        if (block.palette.highlight() == block.palette.window())
            block.palette.setColor(QPalette::Highlight,
                                   bar->palette.color(QPalette::Active, QPalette::Highlight));
        block.state = State_None;
        const QRect area = bar->rect;
        const int width = blockWidth(*bar, widget);
        const int filled = filledWidth(*bar, widget);
        for (int x = 0; x < filled; x += width) {
            block.rect =
                QRect(area.left() + x, area.top(), std::min(width, filled - x), area.height());
            proxy()->drawPrimitive(PE_IndicatorProgressChunk, &block, painter, widget);
        }
    }
};

// initStyleOption() is protected; a pointer to it taken in a subclass calls
// the bar's own, so the option is the very one the bar paints with.
struct StyleOptionAccess : QProgressBar {
    using QProgressBar::initStyleOption;
};
constexpr auto styleOptionOf = &StyleOptionAccess::initStyleOption;

} // namespace

void useClassicLook(QProgressBar& bar) {
    QStyle* windows = QStyleFactory::create(QStringLiteral("Windows"));
    if (!windows)
        return;
    auto* classic = new ClassicStyle(windows);
    // The bar does not own its style; as its child the style goes with it.
    classic->setParent(&bar);
    bar.setStyle(classic);
}

std::optional<QRect> classicBlocksAdded(const QProgressBar& bar, int from, int to) {
    const auto* classic = dynamic_cast<const ClassicStyle*>(bar.style());
    if (!classic)
        return std::nullopt;
    QStyleOptionProgressBar option;
    (bar.*styleOptionOf)(&option);
    if (!ClassicStyle::plain(option))
        return std::nullopt;
    option.rect = classic->subElementRect(QStyle::SE_ProgressBarContents, &option, &bar);
    const int left = option.rect.left();
    option.progress = from;
    const int start = left + classic->filledWidth(option, &bar);
    option.progress = to;
    const int end = left + classic->filledWidth(option, &bar);
    return QRect(start, option.rect.top(), std::max(end - start, 0), option.rect.height());
}

} // namespace tarvik
