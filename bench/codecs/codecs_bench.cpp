// Throughput of the codecs on a few megabytes of Japanese text, each beside iconv(3) doing the
// equivalent conversion of the same buffer in the same run.
//
// The text is built here from repeated Japanese sentences (with some ASCII, digits and
// punctuation, as in ordinary documents) converted by iconv into each code. Every pair of
// benchmarks is named <Conversion>_Norv and <Conversion>_Iconv; run.sh prints their ratios.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/codecs.h"
#include "platform/code_page.h"

namespace {

using namespace norv::document;

constexpr const char* kSentences[] = {
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。",
    "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。",
    "設定ファイル（NorvOrg.INI）を開き、[Settings] の TabWidth を 8 に変更してください。",
    "東京都千代田区丸の内1丁目、2026年12月7日（月）午後3時30分に会議を開催します。",
    "このプログラムは、文字コードの自動判別と改行コードの保持を行います。",
    "検索と置換では正規表現が使えます。例えば「^[0-9]+$」は数字だけの行に一致します。",
    "春はあけぼの。やうやう白くなりゆく山ぎは、すこしあかりて、紫だちたる雲のほそくたなびきたる。",
    "データベースのバックアップは毎日午前2時に実行され、7世代まで保存されます。",
    "    if (count > 100) { printf(\"ファイルが多すぎます\\n\"); return 0; }",
    "国境の長いトンネルを抜けると雪国であった。夜の底が白くなった。",
    "メールの送信にはSMTPサーバーの設定が必要です。ポート番号は通常25です。",
    "",
    "第3章　文字コードとエンコーディングの基礎知識について",
};

std::string Iconv(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "iconv cannot convert %s to %s\n", from, to);
        std::exit(1);
    }
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char* dst = out.data();
    size_t room = out.size();
    if (iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1) ||
        iconv(cd, nullptr, nullptr, &dst, &room) == static_cast<size_t>(-1)) {
        std::fprintf(stderr, "iconv failed from %s to %s\n", from, to);
        std::exit(1);
    }
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

struct Texts {
    std::string utf8, sjis, euc, jis, utf16le;
    std::vector<std::pair<size_t, size_t>> utf8Lines;  // offset, length with the line feed
};

const Texts& Corpus() {
    static const Texts t = [] {
        Texts x;
        constexpr size_t kTarget = 4 << 20;  // bytes of UTF-8
        size_t k = 0;
        while (x.utf8.size() < kTarget) {
            x.utf8 += kSentences[k % std::size(kSentences)];
            if (k % 3 == 0) x.utf8 += kSentences[(k * 7 + 1) % std::size(kSentences)];
            x.utf8 += '\n';
            ++k;
        }
        x.sjis = Iconv("CP932", "UTF-8", x.utf8);
        x.euc = Iconv("EUC-JP-MS", "UTF-8", x.utf8);
        x.jis = Iconv("ISO-2022-JP", "UTF-8", x.utf8);
        x.utf16le = Iconv("UTF-16LE", "UTF-8", x.utf8);
        for (size_t start = 0; start < x.utf8.size();) {
            size_t end = x.utf8.find('\n', start);
            end = end == std::string::npos ? x.utf8.size() : end + 1;
            x.utf8Lines.emplace_back(start, end - start);
            start = end;
        }
        return x;
    }();
    return t;
}

// iconv over the whole buffer with an open descriptor; the output buffer is reused.
void RunIconv(benchmark::State& state, const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    std::string out(in.size() * 4 + 16, '\0');
    for (auto _ : state) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        char* dst = out.data();
        size_t room = out.size();
        if (iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1))
            state.SkipWithError("iconv");
        benchmark::DoNotOptimize(dst);
    }
    iconv_close(cd);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}

void EucToSjis_Norv(benchmark::State& state) {
    const std::string& in = Corpus().euc;
    std::string out(in.size(), '\0');
    for (auto _ : state) {
        size_t len = 0;
        if (EucToSjis(out.data(), in.data(), in.size(), &len) != 1) state.SkipWithError("EUC");
        benchmark::DoNotOptimize(len);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
void EucToSjis_Iconv(benchmark::State& state) {
    RunIconv(state, "CP932", "EUC-JP-MS", Corpus().euc);
}

void JisToSjis_Norv(benchmark::State& state) {
    const std::string& in = Corpus().jis;
    std::string out(in.size(), '\0');
    for (auto _ : state) {
        size_t len = 0;
        if (JisToSjis(out.data(), in.data(), in.size(), &len) != 1) state.SkipWithError("JIS");
        benchmark::DoNotOptimize(len);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
void JisToSjis_Iconv(benchmark::State& state) {
    RunIconv(state, "CP932", "ISO-2022-JP", Corpus().jis);
}

// The loader's UTF-8 test runs line by line; its anchor is iconv's UTF-8 decoder (which has to
// validate the same bytes) over the whole buffer.
void Utf8Scanner_Norv(benchmark::State& state) {
    const Texts& t = Corpus();
    for (auto _ : state) {
        Utf8Scanner scanner;
        for (const auto& [offset, length] : t.utf8Lines)
            scanner.Feed(t.utf8.data() + offset, length, false);
        if (!scanner.IsUtf8()) state.SkipWithError("UTF-8");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(t.utf8.size()));
}
void Utf8Scanner_Iconv(benchmark::State& state) {
    RunIconv(state, "UTF-16LE", "UTF-8", Corpus().utf8);
}

void Ucs2ToUtf8_Norv(benchmark::State& state) {
    const std::string& in = Corpus().utf16le;
    std::string out;
    out.reserve(in.size() * 2);
    for (auto _ : state) {
        out.clear();
        Ucs2ToUtf8(out, in.data(), in.size(), false);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
void Ucs2ToUtf8_Iconv(benchmark::State& state) {
    RunIconv(state, "UTF-8", "UTF-16LE", Corpus().utf16le);
}

void AnsiToUtf8_Norv(benchmark::State& state) {
    const std::string& in = Corpus().sjis;
    std::string out;
    out.reserve(in.size() * 2);
    for (auto _ : state) {
        out.clear();
        AnsiToUtf8(out, in, 932);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
void AnsiToUtf8_Iconv(benchmark::State& state) {
    RunIconv(state, "UTF-8", "CP932", Corpus().sjis);
}

void SjisToEuc_Norv(benchmark::State& state) {
    const std::string& in = Corpus().sjis;
    std::string out;
    out.reserve(in.size() * 2);
    for (auto _ : state) {
        out.clear();
        if (SjisToEuc(out, in) != 1) state.SkipWithError("SJIS");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(in.size()));
}
void SjisToEuc_Iconv(benchmark::State& state) {
    RunIconv(state, "EUC-JP-MS", "CP932", Corpus().sjis);
}

BENCHMARK(EucToSjis_Norv);
BENCHMARK(EucToSjis_Iconv);
BENCHMARK(JisToSjis_Norv);
BENCHMARK(JisToSjis_Iconv);
BENCHMARK(Utf8Scanner_Norv);
BENCHMARK(Utf8Scanner_Iconv);
BENCHMARK(Ucs2ToUtf8_Norv);
BENCHMARK(Ucs2ToUtf8_Iconv);
BENCHMARK(AnsiToUtf8_Norv);
BENCHMARK(AnsiToUtf8_Iconv);
BENCHMARK(SjisToEuc_Norv);
BENCHMARK(SjisToEuc_Iconv);

}  // namespace

int main(int argc, char** argv) {
    norv::platform::SetSystemCodePage(932);
    // Build the text and the CP932 tables before any timing.
    (void)Corpus();
    std::string warm;
    AnsiToUtf8(warm, "\x82\xA0", 932);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
