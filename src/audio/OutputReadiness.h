#pragma once

namespace vorlune {

// Asked by the trigger path before it creates a sound: puts the player on the right outputs.
class OutputReadiness {
  public:
    virtual ~OutputReadiness() = default;
    // False when there is no output at all to play on.
    virtual bool PrepareOutputs() = 0;
};

}  // namespace vorlune
