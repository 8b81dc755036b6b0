// One I/O cycle of a coupler and 100 DO 16 in the main window (offscreen,
// the timer's slot and the repaint it causes) next to the same cycle without
// a window, against one simulated coupler, in interleaved rounds: the
// difference is what the window adds to the cycle.

#include "loopback_peers.h"
#include "simulated_coupler.h"

#include "access/ddi_funktionen.h"
#include "online/online_operation.h"
#include "shell/windows/main_form.h"
#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kOutputModules = 100;

QByteArray StationAt(const std::string& address) {
    QByteArray text = "[Module]\r\nAnzahl=" + QByteArray::number(kOutputModules + 1) + "\r\nName1=KORVO NC ETH\r\n";
    for (int i = 2; i <= kOutputModules + 1; ++i) text += "Name" + QByteArray::number(i) + "=KORVO DO 16\r\n";
    text += "\r\n[Station1]\r\nIPAddress=" + QByteArray::fromStdString(address) +
            "\r\nMask=255.0.0.0\r\nMAC Address=0.0.0.0.0.0\r\nGateway Address=0.0.0.0\r\nStation Name=bench\r\n";
    return text;
}

std::string RandomAddress() {
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> part(1, 254);
    return "127." + std::to_string(part(random)) + "." + std::to_string(part(random)) + "." +
           std::to_string(part(random));
}

bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > 10000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    int rounds = 21;
    int cycles = 10;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--cycles") == 0) cycles = std::max(1, std::atoi(argv[i + 1]));
    }
    const std::string address = RandomAddress();
    ProgramFolder folder(StationAt(address));
    const std::string project = folder.FilePath(QStringLiteral("korvo.ini")).toStdString();
    const std::string catalogueFile = folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString();
    SimulatedCoupler coupler(address, project, catalogueFile);
    MessageBoxRecorder boxes;

    FakePinger pinger;
    pinger.reachable.insert(address);
    FakeClock clock;
    korvo::TMainForm form(folder.Path(), korvo::OnlineSeams{&pinger, &clock});
    form.show();
    if (!WaitFor([&] { return form.frmKonfig() != nullptr; })) {
        std::fprintf(stderr, "window cycle bench: the main window did not start\n");
        return 2;
    }
    form.findChild<QAction*>(QStringLiteral("ToolTest"))->trigger();
    // The cycles are driven here, one after another, not by the one-second timer.
    form.findChild<QTimer*>(QStringLiteral("TimerReadWrite"))->stop();
    if (!form.frmKonfig()->Model().Online) {
        std::fprintf(stderr, "window cycle bench: the window did not go online: %s\n",
                     qUtf8Printable(boxes.boxes.join(QStringLiteral("; "))));
        return 2;
    }

    const korvo::ProfileFile catalogueIni = korvo::ProfileFile::Load(catalogueFile);
    const korvo::CatalogueList catalogue = korvo::ReadCatalogueList(catalogueIni);
    korvo::StationModel model(&catalogueIni, folder.Path());
    korvo::LoadProject(model, korvo::ProfileFile::Load(project));
    model.Online = true;
    korvo::ControllerAccess access(model.CurrentIP);
    korvo::OnlineUi ui;
    korvo::Pinger headlessPinger;
    korvo::OnlineOperation headless(model, catalogue, access, ui, headlessPinger);
    if (access.OpenNodePair() != DDI_OK) {
        std::fprintf(stderr, "window cycle bench: cannot open the nodes on %s\n", address.c_str());
        return 2;
    }

    std::vector<double> window;
    std::vector<double> plain;
    for (int round = 0; round < rounds; ++round) {
        window.push_back(korvo::bench::MicrosecondsOf([&] {
                             for (int i = 0; i < cycles; ++i) {
                                 form.TimerReadWriteTimer();
                                 QCoreApplication::processEvents();
                             }
                         }) /
                         cycles);
        plain.push_back(korvo::bench::MicrosecondsOf([&] {
                            for (int i = 0; i < cycles; ++i) headless.IoCycle();
                        }) /
                        cycles);
        if (!model.Online || !form.frmKonfig()->Model().Online) {
            std::fprintf(stderr, "window cycle bench: a cycle failed\n");
            return 2;
        }
    }
    access.CloseNodePair();
    const double windowMs = korvo::bench::Median(window) / 1000;
    const double plainMs = korvo::bench::Median(plain) / 1000;
    std::printf("%d rounds of %d cycles each, coupler + %d DO 16, medians of the per-cycle means\n", rounds, cycles,
                kOutputModules);
    std::printf("  window cycle (slot and repaint) %7.3f ms\n", windowMs);
    std::printf("  headless cycle                  %7.3f ms\n", plainMs);
    std::printf("  the window adds                 %7.3f ms\n", windowMs - plainMs);
    return 0;
}
