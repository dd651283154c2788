// A build without Qt's D-Bus module answers no remote call.
#include "app/RemoteControl.h"

namespace vorlune {
namespace {

class NoRemote final : public RemoteEndpoint {
  public:
    void Serve(RemoteActions& /*actions*/, const RemoteQueries& /*queries*/,
               std::function<void()> /*showWindow*/) override {}
    void StateMayHaveChanged() override {}
    void Close() override {}
};

}  // namespace

std::unique_ptr<RemoteEndpoint> CreateRemoteEndpoint() {
    return std::make_unique<NoRemote>();
}

}  // namespace vorlune
