// Shows the main window on the gauge bench for a look on a real X server: a COM port
// gauge, a USB gauge and the row of a COM port that was pulled, each with a value.
// main_big_shots <program folder> <language> <seconds>.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bench/bench_ports.h"
#include "engine/dataModule.h"
#include "gauge_bench.h"
#include "platform/spreadsheet/fake_office.h"
#include "support/multi_lang.h"
#include "support/new_ini_file.h"
#include "support/prog_paths.h"
#include "tests/support/temp_folder.h"
#include "ui/MainBig.h"
#include "ui/MultiLang.h"
#include "ui/PnlViewDevice.h"
#include "ui/SpeedButton.h"

namespace {

// The status window's part: the engine's messages relayed on the main thread.
class Relay : public tavrix::MessageSink {
public:
    void post(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) override {
        record.post(msg, wParam, lParam);
    }
    void Deliver(TD& d, TFrmMainBig& w) {
        const auto all = record.messages();
        for (; done < all.size(); ++done) {
            const auto& m = all[done];
            const int i = static_cast<int>(m.lParam);
            if (m.msg == MsgValueQueued) d.HandleValueMessage(i);
            if (m.msg == MsgDeviceError) w.ShowDeviceError(i, m.wParam != 0);
            if (m.msg == MsgDeviceState) w.ShowDeviceState(i, static_cast<int>(m.wParam));
            if (m.msg == MsgTimerTick) w.ShowTimerCountdown(i);
        }
    }
    tavrix::RecordingMessageSink record;
    std::size_t done = 0;
};

void RunFor(int ms, const std::function<void()>& each = {}) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (each) each();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void Gauge(tDevice& dev, const char* name, const char* type) {
    dev.DeviceName = name;
    dev.DeviceType = type;
    dev.CreatedTick -= 3000;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    QApplication app(argc, argv);
    const std::string program = argv[1];
    TempFolder folder;
    namespace fs = std::filesystem;
    for (const char* file : {"Deutsch.LLNG", "English.LLNG", "Espanol.LLNG", "Francais.LLNG",
                             "Switch.bmp", "_Switch.bmp"}) {
        fs::copy_file(program + "/" + file, folder.file(file));
    }
    fs::copy(program + "/UDEVICES", folder.file("UDEVICES"));
    tavrix::SetProgPathsFromExe(folder.file("LonvarStd"));
    {
        TNewIniFile ini(ProgIniFile);
        ini.WriteString("DEFAULT", "LANGUAGE", argv[2]);
        for (const char* port : {"COM1", "COM2"}) {
            ini.WriteString("COMPORTS", port, folder.file(std::string("no-such-") + port));
        }
    }
    TMultiLang lang;
    MultiLang = &lang;

    tavrix::gaugebench::GaugeBench bench;
    setenv("TAVRIX_BENCH", bench.socketPath().c_str(), 1);
    bench.run("port COM2");
    bench.run("gauge COM2 answer=\"+0012.0450 mm\\r\"");
    bench.run("cable lumo serial=LU000001 desc=Lumo");
    bench.run("gauge lumo answer=\"+0001.1111 mm\\r\"");

    tavrix::spreadsheet::FakeOffice office;
    Relay relay;
    {
        TD d;
        d.PortLister = &tavrix::bench::listBenchPorts;
        d.SetXlsOffice(&office);
        d.SetMessageSink(&relay);
        LoadLangTexts(d);  // as the status window does once it has made D
        QLabel status("--.--");
        status.setWindowTitle("Lonvar standard");
        TFrmMainBig window(d, {}, &status);
        d.OnShowValue = [&](int i) { window.ShowValue(i); };
        d.ProcessPendingMessages = [&] { relay.Deliver(d, window); };
        const auto serve = [&] { relay.Deliver(d, window); };
        d.TvcFileName = d.DatDir() + "DEFAULT.TVC";

        // First search: a gauge on COM2 and the USB gauge; both give a value.
        window.BuildDeviceList();
        tDevice& com2 = *d.Devices[0];
        com2.DescrIdx = 1;
        com2.Descr = d.Rs232Descrs[1].get();
        com2.DescrText = com2.Descr->TypeName;
        Gauge(com2, "Messuhr rechts", "Messuhr");
        com2.MwZielAppl = MwZielTxt;
        com2.MwTxtZielFile = d.DatDir() + "Rechts.txt";
        Gauge(*d.Devices[1], "Höhenmessgerät", "Messschraube");
        d.OpenDevices(true);
        window.ShowDevice(0);
        window.ShowDevice(1);
        d.RequestAll();
        RunFor(1500, serve);

        // COM2 is pulled, a gauge on COM1 comes: the COM2 row stays with its "?".
        bench.run("remove COM2");
        bench.run("port COM1");
        bench.run("gauge COM1 answer=\"-0003.5000 mm\\r\"");
        window.ClearDeviceList(false);
        window.BuildDeviceList();
        tDevice& usb = *d.Devices[1];
        Gauge(usb, "Höhenmessgerät", "Messschraube");
        usb.AnforderType = AnforderKey;
        usb.AnforderTasteKeyb = "F2";
        usb.MwZielAppl = MwZielTxt;
        usb.MwTxtZielFile = d.DatDir() + "Hoehe.txt";
        tDevice& com1 = *d.Devices[0];
        com1.DescrIdx = 1;
        com1.Descr = d.Rs232Descrs[1].get();
        com1.DescrText = com1.Descr->TypeName;
        Gauge(com1, "Messschieber links", "Messschieber");
        com1.AnforderType = AnforderTimer;
        com1.AnforderTicksTimer = 90000;
        d.XlsGlobSlct = false;
        com1.MwZielAppl = MwZielXls;
        com1.MwXlsZielVorlageSlct = false;
        com1.MwXlsZielFile = d.DatDir() + "Messwerte.ods";
        com1.MwXlsZielTable = "Tabelle1";
        com1.MwXlsZielCol = 2;
        std::ofstream(com1.MwXlsZielFile).put('\n');
        office.AddFile(com1.MwXlsZielFile,
                       {tavrix::spreadsheet::FakeOffice::MakeSheet("Tabelle1")});
        for (int i = 0; i < 3; ++i) window.ShowDevice(i);
        d.OpenDevices(true);
        d.RequestAll();
        RunFor(1500, serve);
        window.Panels().at(2)->SpBTimer->click();
        window.SelectPanel(1);
        window.ShowMainWindow();
        window.move(20, 20);

        RunFor(std::atoi(argv[3]) * 1000, serve);
        window.ClearDeviceList(true);
    }
    MultiLang = nullptr;
    unsetenv("TAVRIX_BENCH");
    return 0;
}
