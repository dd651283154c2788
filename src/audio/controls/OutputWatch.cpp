#include "audio/controls/OutputWatch.h"

namespace vorlune {

OutputWatch::OutputWatch(OutputKeeper& keeper, AudioPlayer& player, QObject* parent)
    : QObject(parent), keeper_(keeper), player_(player) {
    connect(
        this, &OutputWatch::changeReported, this,
        [this] {
            Refresh();
            emit outputsChanged();
        },
        Qt::QueuedConnection);
    // Called on an audio thread: only a queued signal crosses over, nothing waits.
    player_.SetDeviceListener([this] { emit changeReported(); });
}

OutputWatch::~OutputWatch() {
    // Once this returns no audio thread calls the listener any more; calls already queued die
    // with this object.
    player_.SetDeviceListener({});
}

bool OutputWatch::PrepareOutputs() {
    const OutputKeeper::Change change = keeper_.Update();
    Report(change);
    return change.after != OutputKeeper::Main::None;
}

void OutputWatch::Refresh() {
    Report(keeper_.Update());
}

QString OutputWatch::StatusTextFor(const OutputKeeper::Change& change) {
    using Main = OutputKeeper::Main;
    if (change.after == change.before && !change.currentLost) {
        return {};
    }
    switch (change.after) {
        case Main::Fallback:
            return QStringLiteral("输出设备已断开，暂用系统默认设备");
        case Main::None:
            return QStringLiteral("没有可用的音频输出设备");
        case Main::Chosen:
            break;
    }
    return change.before == Main::Chosen ? QString() : QStringLiteral("输出设备已重新连接");
}

void OutputWatch::Report(const OutputKeeper::Change& change) {
    if (change.currentLost) {
        emit currentOutputLost();
    }
    if (const QString text = StatusTextFor(change); !text.isEmpty()) {
        emit statusText(text);
    }
}

}  // namespace vorlune
