#pragma once

#include <QRect>

#include <optional>

class QProgressBar;

namespace tarvik {

// Gives PB1 the look of the platform's classic progress bar: a sunken groove
// that fills with blocks. Besides being the look the control had, it paints
// in a twentieth of the time of the default style's shaded, rounded bar.
void useClassicLook(QProgressBar& bar);

// The part of the bar, in its coordinates, that the classic look's blocks
// come to cover when the value rises from `from` to `to` within the bar's
// range; from the minimum to the maximum, all they ever cover. None when more
// than the blocks change with the value, or when the bar does not have the
// classic look.
std::optional<QRect> classicBlocksAdded(const QProgressBar& bar, int from, int to);

} // namespace tarvik
