#include "ClassicLook.h"

#include <QProgressBar>
#include <QStyle>
#include <QStyleFactory>

namespace tarvik {

void useClassicLook(QProgressBar& bar) {
    QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"));
    if (!classic)
        return;
    // The bar does not own its style; as its child the style goes with it.
    classic->setParent(&bar);
    bar.setStyle(classic);
}

} // namespace tarvik
