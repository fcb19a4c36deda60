// Prints how long the spreadsheet output takes for one value: the first value when
// the office must be started, values into a running office with 10 and with
// 10 000 filled rows above in the column (median over 200 values each), and the
// first value after the office was quit by hand (the output starts it again, or
// attaches to the one the user started again). Runs its own headless office, ended
// by its process id at the end.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "platform/spreadsheet/office_process.h"
#include "tests/spreadsheet/test_office.h"
#include "tests/xls/xlsTestSupport.h"

using namespace tavrix::spreadsheet;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

std::unique_ptr<Sheet> SheetOf(Application& app, const std::string& marker,
                               const std::string& name) {
    auto& books = app.GetWorkbooks();
    for (int i = 1; i <= books.count(); ++i) {
        auto book = books.Item(i);
        for (int k = 1; k <= book->GetSheets().Count(); ++k) {
            auto sheet = book->GetSheets().Item(k);
            if (sheet->name() == name && sheet->Cells(1, 256)->value().text == marker) {
                return sheet;
            }
        }
    }
    return nullptr;
}

double TimeOneValue(TD& d, tDevice& dev) {
    dev.MwText = "+0012.500";
    const auto start = Clock::now();
    if (!d.XlsWriteValue(dev.DevIdx)) std::puts("a value was not written!");
    return MsSince(start);
}

// The two columns take turns, so that a busy moment of the machine hits both alike.
void TimeValues(TD& d, tDevice& few, tDevice& many, int rounds) {
    std::vector<double> fewTimes, manyTimes;
    for (int i = 0; i < rounds; ++i) {
        fewTimes.push_back(TimeOneValue(d, few));
        manyTimes.push_back(TimeOneValue(d, many));
    }
    const auto print = [&](int filled, const std::vector<double>& times) {
        std::printf(
            "%6d filled rows above: median %.2f ms, 90th percentile %.2f ms per value"
            " (%d values)\n",
            filled, Percentile(times, 0.5), Percentile(times, 0.9), rounds);
    };
    print(10, fewTimes);
    print(10000, manyTimes);
}

// Where a value's time goes: the automation calls one value makes, each timed alone.
void TimeSteps(UnoOffice& uno, const std::string& marker) {
    auto median = [](const char* what, int rounds, const std::function<void()>& call) {
        std::vector<double> times;
        for (int i = 0; i < rounds; ++i) {
            const auto start = Clock::now();
            call();
            times.push_back(MsSince(start));
        }
        std::printf("  %-34s median %.3f ms\n", what, Percentile(times, 0.5));
    };
    auto app = uno.Attach();
    auto sheet = SheetOf(*app, marker, "Werte");
    auto& books = app->GetWorkbooks();
    median("attach (kept bridge)", 50, [&] { uno.Attach(); });
    median("Workbooks.count", 50, [&] { books.count(); });
    median("Workbooks(1) + Sheets.Count", 50, [&] { books.Item(1)->GetSheets().Count(); });
    median("Sheets(1).name", 50, [&] { books.Item(1)->GetSheets().Item(1)->name(); });
    median("Cells(1, 256).value", 50, [&] { sheet->Cells(1, 256)->value(); });
    median("column block read", 50, [&] { sheet->ColumnValues(1, 1, 64); });
    median("workbook Activate", 50, [&] { books.Item(1)->Activate(); });
    median("sheet Activate", 50, [&] { sheet->Activate(); });
    median("cell Activate", 50, [&] { sheet->Cells(20, 3)->Activate(); });
    median("cell put text", 50, [&] { sheet->Cells(20, 3)->SetValue(std::string("12.5")); });
    median("font colour put", 50, [&] { sheet->Cells(1, 256)->SetFontColor(0xFFFFFF); });
    median("Visible put", 50, [&] { app->SetVisible(true); });
}

}  // namespace

int main() {
    try {
        tavrix::test::TempProgDir prog;
        tavrix::spreadsheet::testing::TestOffice office("en-US");
        office.Start();
        const std::string vorlage = office.Dir() + "/Messung.ots";
        office.WriteSpreadsheet(vorlage, {{"Tabelle1", {}}});
        office.Stop();

        UnoOffice uno(office.Options());
        TD d;
        d.SetXlsOffice(&uno);
        d.XlsGlobSlct = false;
        tDevice& few = tavrix::test::XlsGauge(d, "LU1", vorlage, "Werte", 1);
        tDevice& many = tavrix::test::XlsGauge(d, "LU2", vorlage, "Werte", 2);

        few.MwText = "+0001.0000";
        const auto start = Clock::now();
        const bool written = d.XlsWriteValue(few.DevIdx);
        const double firstMs = MsSince(start);
        pid_t pid = uno.StartedPid();
        std::printf("first value, office started by the output: %.0f ms (written=%d)\n", firstMs,
                    written ? 1 : 0);

        int result = 0;
        try {
            auto app = uno.Attach();
            auto sheet = SheetOf(*app, few.XlsWbName, "Werte");
            if (!sheet) throw AutomationError("the marked sheet is missing");
            for (int row = 2; row <= 10; ++row) sheet->Cells(row, 1)->SetValue(row * 0.5);
            const auto fill = Clock::now();
            for (int row = 1; row <= 10000; ++row) sheet->Cells(row, 2)->SetValue(row * 0.001);
            std::printf("(filling 10 000 rows one cell at a time took %.0f ms)\n", MsSince(fill));
            sheet.reset();
            app.reset();

            TimeValues(d, few, many, 200);
            std::printf("(bridges to the office made so far: %d)\n", uno.Connections());
            TimeSteps(uno, few.XlsWbName);

            // The user quits the office: the next value finds the bridge gone and starts it.
            StopProcessGroup(pid, 15000);
            few.MwText = "+0002.0000";
            auto again = Clock::now();
            bool rewritten = d.XlsWriteValue(few.DevIdx);
            std::printf(
                "first value after the office was quit by hand, the output starts it: %.0f ms "
                "(written=%d)\n",
                MsSince(again), rewritten ? 1 : 0);
            pid = uno.StartedPid();

            // Quit again, and started again by the user before the next value.
            StopProcessGroup(pid, 15000);
            pid = LaunchOffice(office.Options());
            UnoOffice probe(office.Options());
            const auto launched = Clock::now();
            while (!probe.Attach()) {
                if (MsSince(launched) > 120000) throw AutomationError("the office did not start");
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            probe.Detach();
            again = Clock::now();
            rewritten = d.XlsWriteValue(few.DevIdx);
            std::printf(
                "first value after the office was quit and started again by hand: %.1f ms "
                "(written=%d)\n",
                MsSince(again), rewritten ? 1 : 0);
            std::printf("(bridges to the office made in all: %d)\n", uno.Connections());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "benchmark failed: %s\n", e.what());
            result = 1;
        }
        d.ResetDevices();
        if (pid > 0) StopProcessGroup(pid, 15000);
        return result;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
}
