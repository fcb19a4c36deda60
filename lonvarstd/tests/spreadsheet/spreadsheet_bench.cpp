// Prints how long the office takes for the calls one written value needs: starting and
// attaching, attaching to a running office, and one cell put plus one column read with 10 and
// with 10 000 filled rows above. Runs its own headless office, ended at the end.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "tests/spreadsheet/test_office.h"

using namespace tavrix::spreadsheet;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void PutAndRead(Sheet& sheet, int filled, int rounds) {
    const int col = 3;
    // Fill the column in blocks of values, as a long measuring session would have.
    for (int row = 1; row <= filled; ++row) sheet.Cells(row, col)->SetValue(row * 0.001);
    std::vector<double> put, read, both;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        const auto column = sheet.ColumnValues(col, 1, filled + 1);
        read.push_back(MsSince(start));
        auto mid = Clock::now();
        sheet.Cells(filled + 1, col)->SetValue("+0012.500");
        put.push_back(MsSince(mid));
        both.push_back(MsSince(start));
        if (column.size() != static_cast<std::size_t>(filled + 1)) std::puts("short read!");
    }
    std::printf(
        "%6d filled rows: column read %.2f ms, cell put %.2f ms, both %.2f ms (median of %d)\n",
        filled, Median(read), Median(put), Median(both), rounds);
}

}  // namespace

int main() {
    try {
        testing::TestOffice office;
        auto start = Clock::now();
        auto first = office.Start();
        std::printf("start office and attach: %.0f ms (started=%d)\n", MsSince(start),
                    first.started ? 1 : 0);

        UnoOffice uno(office.Options());
        std::vector<double> attach;
        for (int i = 0; i < 50; ++i) {
            auto t = Clock::now();
            auto app = uno.Attach();
            app->GetWorkbooks().count();
            attach.push_back(MsSince(t));
        }
        std::printf("attach to the running office + Workbooks.count: %.2f ms (median of 50)\n",
                    Median(attach));

        const std::string ots = office.Dir() + "/bench.ots";
        office.WriteSpreadsheet(ots, {{"Messung", {}}});
        auto book = first.app->GetWorkbooks().open(ots);
        auto sheet = book->GetSheets().Item(1);
        PutAndRead(*sheet, 10, 200);
        PutAndRead(*sheet, 10000, 200);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "benchmark failed: %s\n", e.what());
        return 1;
    }
}
