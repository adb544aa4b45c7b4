// Reading a group of NORV_BENCH_ENTRIES entries (10,000 by default) and filling the Address Book
// window's entry list, on the offscreen platform. run_address_book.sh times awk picking the same
// entries from the same file beside it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <cstdlib>
#include <fstream>

#include "mail/address_book.h"
#include "mail/qt_address_windows.h"
#include "platform/code_page.h"

namespace {

using namespace norv;

void OpenGroup_Norv(benchmark::State& state) {
    const char* base = std::getenv("NORV_BENCH_BOOK");
    if (!base) return state.SkipWithError("NORV_BENCH_BOOK is not set");
    mail::AddressBook book(platform::RealFileSystem(), base, 932);
    for (auto _ : state) {
        QListWidget list;
        mail::FillEntryList(&list, book.Entries("Usual"));
        benchmark::DoNotOptimize(list.count());
    }
}
BENCHMARK(OpenGroup_Norv)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::SetSystemCodePage(932);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
