// The regular-expression engine over every line of a large Shift-JIS text, the way a search
// that marks every matching line runs: one FindInLine per line, counting lines with a match.
//
//   regex_bench FILE [benchmark options]
//
// FILE is a text with LF line ends: Shift-JIS (the corpus's large/sjis.lf.txt), or UTF-8 when
// its name contains "utf8" (large/utf8.lf.txt), searched as a UTF-8 document. Each case
// reports the lines it matched as the counter "lines", so the script beside this program can
// set them against grep -c on the same file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "search/regex.h"

namespace {

using namespace norv::search;

std::string g_text;
int g_codePage = 932;
std::vector<std::string_view> g_lines;

class NextLines : public FollowingLines {
  public:
    size_t base = 0;
    std::string_view Line(size_t k) override {
        return base + k < g_lines.size() ? g_lines[base + k] : std::string_view{};
    }
};

void CountLines(benchmark::State& state, std::string pattern, bool ignoreCase) {
    Regex re;
    if (re.Compile(pattern, RegexOptions{g_codePage, ignoreCase, false}) != CompileStatus::kOk) {
        state.SkipWithError("pattern refused");
        return;
    }
    size_t count = 0;
    for (auto _ : state) {
        count = 0;
        NextLines next;
        for (size_t i = 0; i < g_lines.size(); ++i) {
            next.base = i;
            if (re.FindInLine(g_lines[i], 0, &next)) ++count;
        }
        benchmark::DoNotOptimize(count);
    }
    state.counters["lines"] = static_cast<double>(count);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(g_text.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: regex_bench FILE [benchmark options]\n");
        return 2;
    }
    norv::platform::SetSystemCodePage(932);
    if (std::string_view(argv[1]).find("utf8") != std::string_view::npos) g_codePage = 65001;
    std::ifstream in(argv[1], std::ios::binary);
    g_text.assign(std::istreambuf_iterator<char>(in), {});
    if (g_text.empty()) {
        std::fprintf(stderr, "regex_bench: cannot read %s\n", argv[1]);
        return 2;
    }
    if (g_text.back() != '\n') g_text.push_back('\n');
    for (size_t start = 0; start < g_text.size();) {
        size_t nl = g_text.find('\n', start);
        g_lines.emplace_back(g_text.data() + start, nl + 1 - start);
        start = nl + 1;
    }
    // "する": a string with many hits, in the document's encoding.
    const std::string many = norv::platform::WideToMultiByte(g_codePage, u"する");
    benchmark::RegisterBenchmark("absent", CountLines, std::string("zqxjkv"), false);
    benchmark::RegisterBenchmark("many", CountLines, many, false);
    benchmark::RegisterBenchmark("ignore_case", CountLines, std::string("error"), true);
    benchmark::RegisterBenchmark("regex", CountLines, std::string("colou?r|int[a-z]+_t"), false);
    argv[1] = argv[0];
    --argc;
    ++argv;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
