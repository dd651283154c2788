#include "audio/fake/FakeOutputSystem.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

namespace vorlune {

namespace {

constexpr int kChannels = 2;

}  // namespace

struct FakeOutputSystem::Shared {
    explicit Shared(Options opts) : options(opts) {}

    bool Listed(const std::string& id) const {
        return std::any_of(listing.outputs.begin(), listing.outputs.end(),
                           [&](const OutputEntry& e) { return e.id == id; });
    }

    const Options options;
    mutable std::mutex mutex;
    OutputListing listing;
    std::map<std::string, std::vector<float>> played;
    std::vector<OutputStream*> open;
    std::uint32_t lastSerial = 0;
    std::vector<std::string> failing;
};

namespace {

// An open output with its own thread, like a sound card asking for sound period by period.
class FakeOutput final : public OutputStream {
  public:
    FakeOutput(std::shared_ptr<FakeOutputSystem::Shared> shared, std::string id,
               OutputFormat format, std::size_t periodFrames, std::shared_ptr<OutputSource> source)
        : OutputStream(format, periodFrames),
          shared_(std::move(shared)),
          id_(std::move(id)),
          source_(std::move(source)),
          periodTime_(shared_->options.periodTime.value_or(std::chrono::microseconds(
              static_cast<long long>(1e6 * static_cast<double>(periodFrames) / format.rate)))) {
        thread_ = std::thread([this] { Run(); });
    }

    ~FakeOutput() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
        std::lock_guard lock(shared_->mutex);
        std::erase(shared_->open, this);
    }

    // Stepped: lets the output play `periods` more periods and waits until it has.
    void Grant(std::size_t periods) {
        std::unique_lock lock(mutex_);
        if (!running_ && !startRequested_) {
            return;  // resting: a card plays nothing either
        }
        const std::size_t target = played_ + periods;
        credits_ += periods;
        wake_.notify_all();
        playedWake_.wait(lock, [&] {
            return played_ >= target || stopping_ || (!running_ && !startRequested_);
        });
    }
    FakeOutput(const FakeOutput&) = delete;
    FakeOutput& operator=(const FakeOutput&) = delete;

    [[nodiscard]] bool Lost() const override { return lost_.load(std::memory_order_acquire); }
    [[nodiscard]] bool Accepted() const override { return true; }
    void StartNow() override {
        {
            std::lock_guard lock(mutex_);
            startRequested_ = true;
        }
        wake_.notify_all();
    }
    // Nothing is queued ahead here: a period is handed over as it is played.
    void DropQueued() override {}

    // Called with the shared lock held.
    [[nodiscard]] const std::string& Id() const { return id_; }
    void Lose() {
        {
            std::lock_guard lock(mutex_);
            lost_.store(true, std::memory_order_release);
        }
        wake_.notify_all();
    }

  private:
    void Run() {
        const bool stepped = shared_->options.stepped;
        std::vector<float> period(PeriodFrames() * kChannels);
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            wake_.wait(lock, [this] { return stopping_ || startRequested_; });
            startRequested_ = false;
            running_ = true;
            auto next = std::chrono::steady_clock::now();
            while (!stopping_ && !Lost()) {
                if (stepped) {
                    wake_.wait(lock, [this] { return stopping_ || Lost() || credits_ > 0; });
                    if (stopping_ || Lost()) {
                        break;
                    }
                    --credits_;
                }
                lock.unlock();
                const bool playing = source_->Mix(period);
                if (playing) {
                    Record(period);
                }
                lock.lock();
                ++played_;
                playedWake_.notify_all();
                if (!playing) {
                    break;  // rest until the next sound
                }
                if (!stepped) {
                    next += periodTime_;
                    wake_.wait_until(lock, next, [this] { return stopping_; });
                }
            }
            running_ = false;
            credits_ = 0;
            playedWake_.notify_all();
        }
    }

    void Record(const std::vector<float>& period) {
        std::lock_guard lock(shared_->mutex);
        const std::string device = id_.empty() ? shared_->listing.defaultId : id_;
        if (!shared_->options.record || device.empty()) {
            return;
        }
        std::vector<float>& out = shared_->played[device];
        for (std::size_t i = 0; i < period.size(); i += kChannels) {
            out.push_back(period[i]);
        }
    }

    std::shared_ptr<FakeOutputSystem::Shared> shared_;
    const std::string id_;
    const std::shared_ptr<OutputSource> source_;
    const std::chrono::microseconds periodTime_;
    std::atomic<bool> lost_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool startRequested_ = false;
    // Stepped outputs: whether the output plays (not resting), the periods it may still play,
    // and how many it has played.
    bool running_ = false;
    std::size_t credits_ = 0;
    std::size_t played_ = 0;
    std::condition_variable playedWake_;
    std::thread thread_;
};

}  // namespace

FakeOutputSystem::FakeOutputSystem(Options options) : shared_(std::make_shared<Shared>(options)) {
    shared_->listing.connected = true;
    shared_->listing.outputs.push_back({"fake", "Fake Output", ++shared_->lastSerial});
    shared_->listing.defaultId = "fake";
}

FakeOutputSystem::~FakeOutputSystem() = default;

void FakeOutputSystem::Plug(const std::string& id, const std::string& name) {
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->listing.connected || shared_->Listed(id)) {
            return;
        }
        shared_->listing.outputs.push_back({id, name, ++shared_->lastSerial});
        if (shared_->listing.defaultId.empty()) {
            shared_->listing.defaultId = id;
        }
    }
    Changed();
}

void FakeOutputSystem::Unplug(const std::string& id) {
    {
        std::lock_guard lock(shared_->mutex);
        OutputListing& listing = shared_->listing;
        const auto gone = std::remove_if(listing.outputs.begin(), listing.outputs.end(),
                                         [&](const OutputEntry& e) { return e.id == id; });
        if (gone == listing.outputs.end()) {
            return;
        }
        listing.outputs.erase(gone, listing.outputs.end());
        if (listing.defaultId == id) {
            listing.defaultId = listing.outputs.empty() ? "" : listing.outputs.front().id;
        }
        for (auto* output : shared_->open) {
            auto* fake = static_cast<FakeOutput*>(output);
            if (fake->Id() == id || (fake->Id().empty() && listing.defaultId.empty())) {
                fake->Lose();
            }
        }
    }
    Changed();
}

void FakeOutputSystem::SetDefault(const std::string& id) {
    {
        std::lock_guard lock(shared_->mutex);
        if (!shared_->Listed(id) || shared_->listing.defaultId == id) {
            return;
        }
        shared_->listing.defaultId = id;
    }
    Changed();
}

void FakeOutputSystem::SetServerRunning(bool running) {
    {
        std::lock_guard lock(shared_->mutex);
        OutputListing& listing = shared_->listing;
        if (listing.connected == running) {
            return;
        }
        if (running) {
            listing.connected = true;
            listing.outputs.push_back({"fake", "Fake Output", ++shared_->lastSerial});
            listing.defaultId = "fake";
        } else {
            listing = OutputListing{};
            for (auto* output : shared_->open) {
                static_cast<FakeOutput*>(output)->Lose();
            }
        }
    }
    Changed();
}

std::vector<float> FakeOutputSystem::Played(const std::string& id) const {
    std::lock_guard lock(shared_->mutex);
    auto it = shared_->played.find(id);
    return it == shared_->played.end() ? std::vector<float>{} : it->second;
}

void FakeOutputSystem::Step(std::size_t periods) {
    std::vector<OutputStream*> open;
    {
        std::lock_guard lock(shared_->mutex);
        open = shared_->open;
    }
    // Outside the shared lock: a period being played takes it to record what it played.
    for (OutputStream* output : open) {
        static_cast<FakeOutput*>(output)->Grant(periods);
    }
}

void FakeOutputSystem::FailOpens(const std::string& id) {
    std::lock_guard lock(shared_->mutex);
    shared_->failing.push_back(id);
}

int FakeOutputSystem::OpenOutputs() const {
    std::lock_guard lock(shared_->mutex);
    return static_cast<int>(shared_->open.size());
}

OutputListing FakeOutputSystem::Outputs() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->listing;
}

std::unique_ptr<OutputStream> FakeOutputSystem::Open(const std::string& id, int rate,
                                                     std::size_t periodFrames,
                                                     std::shared_ptr<OutputSource> source) {
    std::unique_ptr<FakeOutput> output;
    bool fails = false;
    {
        std::lock_guard lock(shared_->mutex);
        const OutputListing& listing = shared_->listing;
        if (!listing.connected || (id.empty() ? listing.outputs.empty() : !shared_->Listed(id))) {
            return nullptr;
        }
        output = std::make_unique<FakeOutput>(shared_, id, OutputFormat{rate, kChannels},
                                              periodFrames, std::move(source));
        shared_->open.push_back(output.get());
        fails = std::find(shared_->failing.begin(), shared_->failing.end(), id) !=
                shared_->failing.end();
        if (fails) {
            output->Lose();
        }
    }
    // The server tells of a failed stream as it tells of a lost one.
    if (fails) {
        Changed();
    }
    return output;
}

void FakeOutputSystem::SetChangeListener(std::function<void()> listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

void FakeOutputSystem::Changed() {
    std::lock_guard lock(listenerMutex_);
    if (listener_) {
        listener_();
    }
}

}  // namespace vorlune
