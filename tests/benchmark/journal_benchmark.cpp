// The journal at a size no user reaches by hand: 700,000 urge lines. What
// a start (reading it whole), a refresh (a look for what is new, the record
// as of now) and a press (one line appended) cost. Not part of ./test.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "journal/journal_book.h"
#include "records/data_folder.h"

namespace kemless {
namespace {

constexpr int kUrgeLines = 700'000;
const CalendarMoment kQuit{2020, 1, 1, 9, 0};
const CalendarMoment kNow{2026, 12, 11, 10, 0};

// A data folder whose journal holds the urges, made once for every benchmark.
struct BigJournal {
    std::string base;
    DataFolder folder;
    BigJournal() {
        char tmpl[] = "/tmp/kemless-journal-bench-XXXXXX";
        base = ::mkdtemp(tmpl);
        FileOutcome why;
        folder =
            DataFolder::Open(base + "/kemlessdata", DataFolder::Create::Yes, DataFolder::Trust::Own, why);
        std::string bytes;
        bytes.reserve(kUrgeLines * 22);
        char line[64];
        for (int i = 0; i < kUrgeLines; ++i) {
            // Spread over about six years, in order.
            const int day = i / 320;
            std::snprintf(line, sizeof line, "%04d-%02d-%02d %02d:%02d urge\n", 2020 + day / 365,
                          1 + day % 365 / 31 % 12, 1 + day % 28, i % 24, i % 60);
            bytes += line;
        }
        const std::string path = base + "/kemlessdata/journal.txt";
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        ::chmod(path.c_str(), 0600);
    }
    ~BigJournal() {
        std::error_code ec;
        std::filesystem::remove_all(base, ec);
    }
};

BigJournal& Journal() {
    static BigJournal journal;
    return journal;
}

void StartReadsItWhole(benchmark::State& state) {
    BigJournal& j = Journal();
    for (auto _ : state) {
        JournalBook book;
        benchmark::DoNotOptimize(book.open(j.folder.fd(), j.folder.path(), kNow));
        benchmark::DoNotOptimize(book.summary(kQuit, kNow));
    }
}
BENCHMARK(StartReadsItWhole)->Unit(benchmark::kMillisecond);

void RefreshWithTheRecordOpen(benchmark::State& state) {
    BigJournal& j = Journal();
    JournalBook book;
    (void)book.open(j.folder.fd(), j.folder.path(), kNow);
    for (auto _ : state) {
        book.catchUp(kNow);
        benchmark::DoNotOptimize(MakeRecordView(book.summary(kQuit, kNow), book.keeping()));
    }
}
BENCHMARK(RefreshWithTheRecordOpen)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kemless
