#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tarvik {

// The fastest rate a capture may claim: 1 THz, so that a time stamp in the
// finest timescale a dump file names, the femtosecond, stays whole.
inline constexpr double HighestSampleRate = 1e12;

// A sample rate as sigrok-cli takes it: a whole number of Hz, written with or
// without a decimal fraction, an optional k, M or G and an optional "Hz"
// ("1000000", "62.5k", "1M", "250 kHz", "723.456 kHz"). Nothing for zero, for
// a fraction of a hertz ("1.5"), for more than HighestSampleRate and for any
// other text.
std::optional<double> parseSampleRate(QStringView text);

// The rate as libsigrok writes it into a session's metadata ("1 MHz",
// "62.5 kHz", "723.456 kHz"), rounded to a whole number of Hz as sigrok
// keeps rates: every digit is written, so the text reads back as that number.
QString sampleRateText(double rate);

// The same number for a person reading of samples taken: "987.654 kS/s".
QString samplesPerSecondText(double rate);

} // namespace tarvik
