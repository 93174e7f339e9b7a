#pragma once

#include "SampleRateText.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tarvik {

// A sample rate as sigrok-cli takes it, by the rule of parseSampleRateText
// (SampleRateText.h), which the simulated port reads its rate by as well.
std::optional<double> parseSampleRate(QStringView text);

// The rate as libsigrok writes it into a session's metadata ("1 MHz",
// "62.5 kHz", "723.456 kHz"), rounded to a whole number of Hz as sigrok
// keeps rates: every digit is written, so the text reads back as that number.
QString sampleRateText(double rate);

// The same number for a person reading of samples taken: "987.654 kS/s".
QString samplesPerSecondText(double rate);

} // namespace tarvik
