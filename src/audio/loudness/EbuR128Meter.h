#pragma once

#include <stop_token>
#include <string>

#include "audio/loudness/Loudness.h"

namespace vorlune {

// Decodes the audio file at path (a regular file only) and measures it with libebur128. The
// true peak (oversampled, nine tenths of the cost) is measured only where the samples come near
// enough to the peak that limits the gain; elsewhere it is left a bound (see Loudness).
Measurement MeasureLoudness(const std::string& path, const std::stop_token& stop);
// The same with the true peak measured over the whole file: what the shortcut is checked and
// timed against.
Measurement MeasureLoudnessFully(const std::string& path, const std::stop_token& stop);

}  // namespace vorlune
