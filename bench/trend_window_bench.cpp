// The trend window redrawing 16 analog channels with 24 h of history each (86 400
// samples at 1 s, a noisy sine), offscreen: the reduction to the plot's columns, the
// replaced series and the paint, as one redraw of a running test costs the window
// thread. Every redraw follows one more cycle, as in a running test. Prints the
// median and the longest of the redraws per time window.
//
//   build/bin/trend_window_bench [--redraws N]

#include "online/io_event_log.h"
#include "online/trend_history.h"
#include "online/windows/io_test_feed.h"
#include "online/windows/trend_chart.h"
#include "online/windows/trend_pane.h"
#include "online/windows/trend_window.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineSeries>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kModules = 8;  // AI 2: two channels each
constexpr int kSamples = 86'400;

std::string Project() {
    std::string text = "[Module]\nAnzahl=" + std::to_string(kModules + 1) + "\nName1=KORVO NC ETH\n";
    for (int i = 2; i <= kModules + 1; ++i) text += "Name" + std::to_string(i) + "=KORVO AI 2\n";
    text += "[Parameter]\nName1=\n";
    for (int i = 2; i <= kModules + 1; ++i) text += "Name" + std::to_string(i) + "=0,0,\n";
    return text + "[Station1]\nStation Name=Bench\nIPAddress=127.0.0.1\n";
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    int redraws = 50;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--redraws") == 0) redraws = std::max(1, std::atoi(argv[i + 1]));
    }
    const korvo::ProfileFile catalogue = korvo::ProfileFile::Load(KORVO_DATA_DIR "/korvo_config.ini");
    korvo::StationModel model(&catalogue, KORVO_DATA_DIR "/");
    korvo::LoadProject(model, korvo::ProfileFile::FromText(Project()));
    model.CurrentStation = 1;
    model.CurrentCouplerModule = 1;

    std::chrono::system_clock::time_point now{std::chrono::seconds(1'800'000'000)};
    korvo::TrendHistory history(model, [&] { return now; });
    korvo::IoEventLog events(model);
    korvo::IoTestFeed feed([&] { return &history; }, [&] { return &events; });
    korvo::TfrmTrend window;
    window.Bind(feed);
    history.Begin(1000);
    feed.NotifyBegun();

    std::vector<std::size_t> channels;
    for (int slot = 2; slot <= kModules + 1; ++slot) {
        for (std::size_t c : history.ChannelsOfSlot(slot)) channels.push_back(c);
    }
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 150);
    std::vector<std::uint8_t> image(64, 0);
    int second = 0;
    // One cycle of the test, a second after the last.
    const auto cycle = [&] {
        now += std::chrono::seconds(1);
        for (std::size_t n = 0; n < channels.size(); ++n) {
            const double sine = std::sin(2 * M_PI * (second / 3600.0 + static_cast<double>(n) / 16));
            const int word = std::clamp(static_cast<int>(13824 + 12000 * sine + noise(random)), 0, 27648);
            const int byte = history.Points()[channels[n]].point.entry.byte;
            image[static_cast<std::size_t>(byte)] = static_cast<std::uint8_t>(word >> 8);
            image[static_cast<std::size_t>(byte) + 1] = static_cast<std::uint8_t>(word);
        }
        history.InputsRead(image.data(), static_cast<int>(image.size()));
        history.CycleEnded();
        ++second;
    };
    QElapsedTimer filling;
    filling.start();
    while (second < kSamples) cycle();
    std::printf("history: %zu channels x %zu samples filled in %lld ms, %.1f MB\n", channels.size(),
                history.History(channels.front()).Size(), static_cast<long long>(filling.elapsed()),
                static_cast<double>(history.MemoryBytes()) / 1e6);

    for (std::size_t c : channels) window.Pick(QString::fromStdString(history.Points()[c].tag), true);
    window.resize(1280, 720);
    window.show();
    QApplication::processEvents();
    korvo::TrendChart* chart = window.Pane()->Chart();
    auto* spans = window.Pane()->findChild<QComboBox*>(QStringLiteral("ComboTimeWindow"));
    bool met = true;
    for (const QString& span : {QStringLiteral("24 h"), QStringLiteral("1 h"), QStringLiteral("10 min")}) {
        spans->setCurrentText(span);
        std::vector<double> ms;
        for (int i = 0; i < redraws; ++i) {
            cycle();
            QElapsedTimer timer;
            timer.start();
            chart->Redraw();
            chart->viewport()->repaint();
            ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        int points = 0;
        for (std::size_t n = 0; n < channels.size(); ++n) points += chart->SeriesAt(n)->count();
        std::printf("%-6s %2zu series, %6d points drawn at %d px: median %.2f ms, max %.2f ms over %d redraws\n",
                    qPrintable(span), channels.size(), points, static_cast<int>(chart->chart()->plotArea().width()),
                    ms[ms.size() / 2], ms.back(), redraws);
        met = met && ms[ms.size() / 2] <= 16.0;
    }
    std::printf("goal: a median redraw of at most 16 ms: %s\n", met ? "met" : "missed");
    return 0;
}
