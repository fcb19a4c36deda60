// Prints how long the spreadsheet output takes for one value, side by side: the value
// into the place kept from the last one (nothing changed), the full walk to the cell
// for every value, the first value after each kind of change by the user, a burst of
// 100 queued values, and the starts of the office. With 10 and with 10 000 filled rows
// above in the column, the office calls per value and the round trips waited for. Runs
// its own headless office, ended by its process id at the end.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/xlsPlace.h"
#include "platform/spreadsheet/office_process.h"
#include "tests/spreadsheet/test_office.h"
#include "tests/xls/xlsTestSupport.h"

using namespace tavrix::spreadsheet;
using tavrix::spreadsheet::testing::TestOffice;
using Action = TestOffice::UserAction;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

// Times this thread went to sleep: once per round trip to the office that it waits for.
std::uint64_t RoundTrips() {
    std::ifstream status("/proc/thread-self/status");
    std::string line;
    const std::string key = "voluntary_ctxt_switches:";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0) return std::stoull(line.substr(key.size()));
    }
    return 0;
}

struct Sample {
    std::vector<double> ms;
    std::uint64_t calls = 0;
    std::uint64_t writes = 0;
    int values = 0;
};

void PrintRow(const char* what, const Sample& s) {
    std::printf("%-52s %8.2f %8.2f %8.1f %8.1f\n", what, Percentile(s.ms, 0.5),
                Percentile(s.ms, 0.9), static_cast<double>(s.calls) / s.values,
                static_cast<double>(s.writes) / s.values);
}

// One value; `before` runs first, untimed (a change by the user, or forgetting the place).
void TimeValue(TD& d, tDevice& dev, Sample& into, const std::function<void()>& before = {}) {
    if (before) before();
    dev.MwText = "+0012.500";
    const auto calls = UnoOffice::CallsMade();
    const auto writes = RoundTrips();
    const auto start = Clock::now();
    if (!d.XlsWriteValue(dev.DevIdx)) std::puts("a value was not written!");
    into.ms.push_back(MsSince(start));
    into.calls += UnoOffice::CallsMade() - calls;
    into.writes += RoundTrips() - writes;
    ++into.values;
}

// 99 values queued behind the one of the call: the time per value.
void TimeBurst(TD& d, tDevice& dev, Sample& into, bool walk) {
    {
        if (walk) dev.XlsKnown.reset();
        for (int i = 0; i < 99; ++i) dev.AppendValue("+0001.2500 mm");
        dev.MwText = "+0001.0000";
        const auto calls = UnoOffice::CallsMade();
        const auto writes = RoundTrips();
        const auto start = Clock::now();
        if (!d.XlsWriteValue(dev.DevIdx)) std::puts("a burst was not written!");
        into.ms.push_back(MsSince(start) / 100);
        into.calls += UnoOffice::CallsMade() - calls;
        into.writes += RoundTrips() - writes;
        into.values += 100;
    }
}

std::string TitleOf(Application& app, const std::string& marker) {
    auto& books = app.GetWorkbooks();
    for (int i = 1; i <= books.count(); ++i) {
        auto book = books.Item(i);
        for (int k = 1; k <= book->GetSheets().Count(); ++k) {
            if (book->GetSheets().Item(k)->Cells(1, 256)->value().text == marker) {
                return book->Name();
            }
        }
    }
    throw AutomationError("the marked workbook is missing");
}

}  // namespace

int main() {
    try {
        tavrix::test::TempProgDir prog;
        TestOffice office("en-US");
        office.Start();
        const std::string vorlage = office.Dir() + "/Messung.ots";
        const std::string other = office.Dir() + "/Andere.ots";
        const std::string second = office.Dir() + "/Zweite.ods";
        office.WriteSpreadsheet(vorlage, {{"Tabelle1", {}}});
        office.WriteSpreadsheet(other, {{"Tabelle1", {}}});
        office.WriteSpreadsheet(second, {{"Tabelle1", {"1"}}});
        office.Stop();

        UnoOffice uno(office.Options());
        TD d;
        d.SetXlsOffice(&uno);
        d.XlsGlobSlct = false;
        tDevice& few = tavrix::test::XlsGauge(d, "LU1", vorlage, "Werte", 1);
        tDevice& many = tavrix::test::XlsGauge(d, "LU2", vorlage, "Werte", 2);
        tDevice& renamed = tavrix::test::XlsGauge(d, "LU3", vorlage, "Umbenannt", 1);
        tDevice& closed = tavrix::test::XlsGauge(d, "LU4", other, "Werte", 1);

        few.MwText = "+0001.0000";
        const auto start = Clock::now();
        const bool written = d.XlsWriteValue(few.DevIdx);
        const double firstMs = MsSince(start);
        pid_t pid = uno.StartedPid();
        std::printf("first value, office started by the output: %.0f ms (written=%d)\n", firstMs,
                    written ? 1 : 0);

        int result = 0;
        try {
            {
                auto app = uno.Attach();
                auto& books = app->GetWorkbooks();
                std::unique_ptr<Sheet> sheet;
                for (int i = 1; i <= books.count() && !sheet; ++i) {
                    auto book = books.Item(i);
                    for (int k = 1; k <= book->GetSheets().Count(); ++k) {
                        auto s = book->GetSheets().Item(k);
                        if (s->name() == "Werte") sheet = std::move(s);
                    }
                }
                if (!sheet) throw AutomationError("the marked sheet is missing");
                for (int row = 2; row <= 10; ++row) sheet->Cells(row, 1)->SetValue(row * 0.5);
                for (int row = 1; row <= 10000; ++row) sheet->Cells(row, 2)->SetValue(row * 0.001);
            }
            // Filled through the program's own bridge: what the first values knew is void.
            few.XlsKnown.reset();
            d.XlsWriteValue(many.DevIdx);
            d.XlsWriteValue(renamed.DevIdx);
            d.XlsWriteValue(closed.DevIdx);

            constexpr int kRounds = 200;
            Sample steadyFew, steadyMany, walkFew, walkMany;
            for (int i = 0; i < kRounds; ++i) {
                TimeValue(d, few, steadyFew);
                TimeValue(d, many, steadyMany);
            }
            for (int i = 0; i < kRounds / 2; ++i) {
                TimeValue(d, few, walkFew, [&] { few.XlsKnown.reset(); });
                TimeValue(d, many, walkMany, [&] { many.XlsKnown.reset(); });
            }

            // The first value after each kind of change by the user.
            constexpr int kChanges = 10;
            auto app = uno.Attach();
            const std::string title = TitleOf(*app, few.XlsWbName);
            Sample typedElsewhere, deleted, typedBelow, moved, opened, sheetRenamed, bookClosed;
            for (int i = 0; i < kChanges; ++i) {
                TimeValue(d, few, typedElsewhere, [&] {
                    office.ActAsUser(Action::Type, title, "Werte", 3, 7, std::to_string(i));
                });
                TimeValue(d, few, deleted, [&] {
                    office.ActAsUser(Action::Type, title, "Werte", few.XlsRow - 1, 1, "");
                });
                TimeValue(d, few, typedBelow, [&] {
                    office.ActAsUser(Action::Type, title, "Werte", few.XlsRow, 1, "x");
                });
                TimeValue(d, few, moved, [&] {
                    office.ActAsUser(Action::MoveSheetFirst, title, i % 2 ? "Werte" : "Tabelle1");
                });
                TimeValue(d, few, opened, [&] { office.OpenDocument(second); });
                TimeValue(d, renamed, sheetRenamed, [&] {
                    office.ActAsUser(Action::RenameSheet, title, "Umbenannt", 0, 0,
                                     "Alt" + std::to_string(i));
                });
                TimeValue(d, closed, bookClosed,
                          [&] { office.CloseDocument(TitleOf(*app, closed.XlsWbName)); });
            }

            Sample burstKnown, burstWalk;
            for (int round = 0; round < 5; ++round) {
                TimeBurst(d, few, burstKnown, false);
                TimeBurst(d, few, burstWalk, true);
            }

            std::printf("\n%-52s %8s %8s %8s %8s\n", "one value", "median", "p90", "calls",
                        "waits");
            std::printf("%-52s %8s %8s %8s %8s\n", "", "ms", "ms", "/value", "/value");
            PrintRow("nothing changed, 10 filled rows above", steadyFew);
            PrintRow("nothing changed, 10 000 filled rows above", steadyMany);
            PrintRow("full walk every value, 10 filled rows above", walkFew);
            PrintRow("full walk every value, 10 000 filled rows above", walkMany);
            PrintRow("after the user typed elsewhere in the workbook", typedElsewhere);
            PrintRow("after the user deleted the column's last entry", deleted);
            PrintRow("after the user typed into the column below", typedBelow);
            PrintRow("after the user moved a sheet", moved);
            PrintRow("after the user opened a second workbook", opened);
            PrintRow("after the user renamed the sheet (a new one is added)", sheetRenamed);
            PrintRow("after the user closed the workbook (a new one is made)", bookClosed);
            PrintRow("burst of 100 queued values, kept place", burstKnown);
            PrintRow("burst of 100 queued values, full walk first", burstWalk);
            std::printf(
                "(%d values each for the first four rows, %d for each change, 5 bursts; "
                "bridges made so far: %d)\n\n",
                kRounds, kChanges, uno.Connections());
            app.reset();

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
