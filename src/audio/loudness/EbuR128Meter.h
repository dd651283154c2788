#pragma once

#include <stop_token>
#include <string>

#include "audio/loudness/Loudness.h"

namespace vorlune {

// Decodes the audio file at path (a regular file only) and measures it with libebur128.
Measurement MeasureLoudness(const std::string& path, const std::stop_token& stop);

}  // namespace vorlune
