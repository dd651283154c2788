#include "spectrum/SpectrumPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <algorithm>

namespace vorlune {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "spectrum_panel_test";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down among the other statics at exit crashes in Qt itself.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// What the user sees: the area inside the panel's one-pixel border.
QImage Visible(SpectrumPanel& panel) {
    return panel.grab(panel.contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

bool IsYellow(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(255, 255, 0);
}

int LitPixels(const QImage& image) {
    int lit = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            lit += image.pixel(x, y) != qRgb(0, 0, 0) ? 1 : 0;
        }
    }
    return lit;
}

// A stand-in for the audio engine: what it hands the panel, and how often it was asked.
struct FakeFft {
    bool playing = false;
    FftMagnitudes magnitudes{};
    int requests = 0;

    FftSource Source() {
        return [this](FftMagnitudes& out) {
            ++requests;
            if (playing) {
                out = magnitudes;
            }
            return playing;
        };
    }
};

FftMagnitudes Loud() {
    FftMagnitudes loud{};
    loud.fill(0.5f);
    return loud;
}

TEST(SpectrumPanel, IsTheBlackStripUnderThePages) {
    App();
    FakeFft fft;
    SpectrumPanel panel(fft.Source());
    EXPECT_EQ(panel.objectName(), QStringLiteral("频谱画板"));
    EXPECT_EQ(panel.size(), QSize(550, 27));
    EXPECT_EQ(panel.contentsRect(), QRect(1, 1, 548, 25));
    EXPECT_FALSE(panel.IsRunning());

    const QImage idle = Visible(panel);
    ASSERT_EQ(idle.size(), QSize(548, 25));
    EXPECT_EQ(LitPixels(idle), 0);

    // No stream: the frame is black.
    panel.DrawFrame();
    EXPECT_EQ(fft.requests, 1);
    EXPECT_EQ(LitPixels(Visible(panel)), 0);

    // Silence: empty bars, and their caps rest on the hidden rows under the border.
    fft.playing = true;
    panel.DrawFrame();
    EXPECT_EQ(LitPixels(Visible(panel)), 0);
}

TEST(SpectrumPanel, DrawsYellowBarsThatFallBackWhenTheSoundGetsQuieter) {
    App();
    FakeFft fft;
    fft.playing = true;
    fft.magnitudes = Loud();
    SpectrumPanel panel(fft.Source());
    panel.DrawFrame();

    QImage frame = Visible(panel);
    // Bar 0 fills columns 0-1 from top to bottom; column 2 is the gap to bar 1.
    for (int y = 0; y < 25; ++y) {
        EXPECT_TRUE(IsYellow(frame, 0, y)) << "row " << y;
        EXPECT_TRUE(IsYellow(frame, 1, y)) << "row " << y;
        EXPECT_EQ(frame.pixel(2, y), qRgb(0, 0, 0)) << "row " << y;
    }
    EXPECT_TRUE(IsYellow(frame, 201, 24));
    // Nothing right of x = 204 ever lights, however loud the input.
    for (int y = 0; y < 25; ++y) {
        for (int x = 203; x < 548; ++x) {
            ASSERT_EQ(frame.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
        }
    }

    // One silent frame: the bar drops 6 rows, its cap only 1 and shows on the top row.
    fft.magnitudes = {};
    panel.DrawFrame();
    frame = Visible(panel);
    EXPECT_TRUE(IsYellow(frame, 0, 0));
    for (int y = 1; y < 6; ++y) {
        EXPECT_EQ(frame.pixel(0, y), qRgb(0, 0, 0)) << "row " << y;
    }
    for (int y = 6; y < 25; ++y) {
        EXPECT_TRUE(IsYellow(frame, 0, y)) << "row " << y;
    }

    // The stream goes away: black at once.
    fft.playing = false;
    panel.DrawFrame();
    EXPECT_EQ(LitPixels(Visible(panel)), 0);
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Loud enough in bins 0..200 to hold bars 0..66 at full height; nothing above.
FftMagnitudes FullLowBars() {
    FftMagnitudes fft{};
    std::fill_n(fft.begin(), 201, 0.5f);
    return fft;
}

TEST(SpectrumPanel, PaintsOnlyFramesThatDifferFromTheOneShown) {
    App();
    FakeFft fft;
    fft.playing = true;
    fft.magnitudes = FullLowBars();
    SpectrumPanel panel(fft.Source());
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    PaintCounter counter;
    panel.installEventFilter(&counter);
    const auto paintsAfter = [&](auto step) {
        counter.paints = 0;
        step();
        QApplication::processEvents();
        return counter.paints;
    };

    EXPECT_EQ(paintsAfter([&] { panel.DrawFrame(); }), 1);
    // The same full bars again: their caps sink into the bodies, unseen; nothing to paint.
    EXPECT_EQ(paintsAfter([&] { panel.DrawFrame(); }), 0);
    EXPECT_EQ(paintsAfter([&] { panel.DrawFrame(); }), 0);
    // Quieter: the bars fall, frame after frame, until they rest.
    fft.magnitudes = {};
    int fallingFrames = 0;
    while (paintsAfter([&] { panel.DrawFrame(); }) == 1) {
        ASSERT_LT(++fallingFrames, 40);
    }
    EXPECT_GE(fallingFrames, 4);  // 27 rows at 6 rows per frame
    EXPECT_EQ(LitPixels(Visible(panel)), 0);
    // No stream after a frame with bars: one black frame, then nothing more.
    fft.magnitudes = FullLowBars();
    EXPECT_EQ(paintsAfter([&] { panel.DrawFrame(); }), 1);
    fft.playing = false;
    EXPECT_EQ(paintsAfter([&] { panel.DrawFrame(); }), 1);
    EXPECT_EQ(paintsAfter([&] { panel.DrawFrame(); }), 0);
    EXPECT_EQ(LitPixels(Visible(panel)), 0);
    // The border around the strip is still there.
    const QImage whole = panel.grab().toImage();
    EXPECT_EQ(whole.pixel(0, 0), QColor(Qt::darkGray).rgb());
    EXPECT_EQ(whole.pixel(549, 26), QColor(Qt::darkGray).rgb());
}

TEST(SpectrumPanel, TimerDrawsOnlyBetweenStartAndStop) {
    App();
    FakeFft fft;
    fft.playing = true;
    fft.magnitudes = Loud();
    SpectrumPanel panel(fft.Source());
    auto* timer = panel.findChild<QTimer*>(QStringLiteral("频谱时钟"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 30);

    QTest::qWait(80);
    EXPECT_EQ(fft.requests, 0);  // no timer runs before anything plays

    panel.Start();
    EXPECT_TRUE(panel.IsRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return fft.requests >= 3; }, 2000));
    EXPECT_GT(LitPixels(Visible(panel)), 0);

    panel.Stop();
    EXPECT_FALSE(panel.IsRunning());
    EXPECT_EQ(LitPixels(Visible(panel)), 0);
    const int requests = fft.requests;
    QTest::qWait(100);
    EXPECT_EQ(fft.requests, requests);

    // Stop forgets the bars: the next sound starts from an empty strip, not a falling one.
    fft.magnitudes = {};
    panel.DrawFrame();
    EXPECT_EQ(LitPixels(Visible(panel)), 0);
}

}  // namespace
}  // namespace vorlune
