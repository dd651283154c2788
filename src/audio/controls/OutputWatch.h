#pragma once

#include <QObject>
#include <QString>

#include "audio/AudioPlayer.h"
#include "audio/OutputKeeper.h"
#include "audio/OutputReadiness.h"

namespace vorlune {

// Follows the outputs as they come and go: whenever the sound system reports a change (on one
// of its threads) the keeper looks again here, on the interface thread, and what it found is
// told to the window: a status text when the chosen device went or came back, and the end of
// the sound that played on a device that went.
class OutputWatch : public QObject, public OutputReadiness {
    Q_OBJECT
  public:
    OutputWatch(OutputKeeper& keeper, AudioPlayer& player, QObject* parent = nullptr);
    ~OutputWatch() override;
    OutputWatch(const OutputWatch&) = delete;
    OutputWatch& operator=(const OutputWatch&) = delete;

    bool PrepareOutputs() override;
    // Looks at the outputs now (also after the user chose another device).
    void Refresh();

    static QString StatusTextFor(const OutputKeeper::Change& change);

  signals:
    // A text for the status bar.
    void statusText(const QString& text);
    // The device that was playing went away, and the sound on it with it.
    void currentOutputLost();
    // Outputs came or went: the device lists may show something else now.
    void outputsChanged();
    // Sent on an audio thread when the sound system reports a change; received here, queued.
    void changeReported();

  private:
    void Report(const OutputKeeper::Change& change);

    OutputKeeper& keeper_;
    AudioPlayer& player_;
};

}  // namespace vorlune
