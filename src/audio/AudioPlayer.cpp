#include "audio/AudioPlayer.h"

#include "base/FileMatch.h"

namespace vorlune {

StreamHandle AudioPlayer::CreateStream(const std::string& path) {
    if (path.empty() || !AnyFileMatches(path)) {
        return 0;
    }
    return engine_.CreateStreamFile(path);
}

}  // namespace vorlune
