#pragma once

namespace vorlune {

// The end of the program after a confirmed exit: the real one leaves the Qt event loop with the
// code, tests record it instead.
class ProgramExit {
  public:
    virtual ~ProgramExit() = default;
    virtual void EndProcess(int code) = 0;
};

class EventLoopExit final : public ProgramExit {
  public:
    void EndProcess(int code) override;
};

}  // namespace vorlune
