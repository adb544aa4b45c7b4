// The mail library's throughput beside outside anchors in the same run.
//
// Conversions: 10 MB of Japanese text from Shift-JIS to ISO-2022-JP and back, beside iconv(3)
// on the same buffer (<Conversion>_Norv and <Conversion>_Iconv). Network: fetching every
// message of the POP3 server named by NORV_BENCH_POP with ListMail and GetMail, and sending
// NORV_BENCH_SEND_COUNT messages to NORV_BENCH_SMTP with SendMail (run.sh starts the servers
// and times curl and Python doing the same). NORV_BENCH_KEYS adds lines to the settings (the
// TLS keys, one per line).
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "mail/mail_jis.h"
#include "mail/mail_library.h"
#include "mail/mail_windows.h"
#include "mail/tls_transport.h"
#include "platform/file_system.h"

namespace {

using namespace norv;

constexpr const char* kSentences[] = {
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。",
    "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。",
    "東京都千代田区丸の内1丁目、2026年12月7日（月）午後3時30分に会議を開催します。",
    "メールの送信にはSMTPサーバーの設定が必要です。ポート番号は通常25です。",
    "春はあけぼの。やうやう白くなりゆく山ぎは、すこしあかりて、紫だちたる雲のほそくたなびきたる。",
    "Please find the minutes of the meeting attached; reply by Friday.",
    "",
};

std::string Iconv(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    std::string out(in.size() * 2 + 64, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size(), dstLeft = out.size();
    char* dst = out.data();
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

// Lines of Shift-JIS text, each converted on its own as the mail code converts lines.
const std::vector<std::string>& SjisLines() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> v;
        size_t total = 0;
        for (size_t i = 0; total < (10u << 20); ++i) {
            v.push_back(Iconv("CP932", "UTF-8", kSentences[i % std::size(kSentences)]));
            total += v.back().size() + 2;
        }
        return v;
    }();
    return lines;
}

const std::vector<std::string>& JisLines() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> v;
        for (const auto& s : SjisLines()) v.push_back(Iconv("ISO-2022-JP", "CP932", s));
        return v;
    }();
    return lines;
}

size_t Bytes(const std::vector<std::string>& lines) {
    size_t n = 0;
    for (const auto& l : lines) n += l.size();
    return n;
}

// iconv keeps one descriptor, reset between lines, as a mail program would use it.
void ConvertLinesWithIconv(benchmark::State& state, const char* to, const char* from,
                           const std::vector<std::string>& lines) {
    iconv_t cd = iconv_open(to, from);
    std::string out(1 << 16, '\0');
    for (auto _ : state) {
        size_t total = 0;
        for (const auto& l : lines) {
            char* src = const_cast<char*>(l.data());
            size_t srcLeft = l.size(), dstLeft = out.size();
            char* dst = out.data();
            iconv(cd, &src, &srcLeft, &dst, &dstLeft);
            iconv(cd, nullptr, nullptr, &dst, &dstLeft);
            total += out.size() - dstLeft;
        }
        benchmark::DoNotOptimize(total);
    }
    iconv_close(cd);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Bytes(lines)));
}

void SjisToJis_Norv(benchmark::State& state) {
    const auto& lines = SjisLines();
    std::string out;
    for (auto _ : state) {
        size_t total = 0;
        for (const auto& l : lines) {
            out.clear();
            mail::AppendSjisAsIso2022Jp(out, l, 932);
            total += out.size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Bytes(lines)));
}
void SjisToJis_Iconv(benchmark::State& state) {
    ConvertLinesWithIconv(state, "ISO-2022-JP", "CP932", SjisLines());
}

void JisToSjis_Norv(benchmark::State& state) {
    const auto& lines = JisLines();
    std::string out;
    for (auto _ : state) {
        size_t total = 0;
        for (const auto& l : lines) {
            out.clear();
            mail::AppendIso2022JpAsSjis(out, l, 932);
            total += out.size();
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Bytes(lines)));
}
void JisToSjis_Iconv(benchmark::State& state) {
    ConvertLinesWithIconv(state, "CP932", "ISO-2022-JP", JisLines());
}

BENCHMARK(SjisToJis_Norv);
BENCHMARK(SjisToJis_Iconv);
BENCHMARK(JisToSjis_Norv);
BENCHMARK(JisToSjis_Iconv);

std::unique_ptr<mail::MailLibrary> Library(const char* pop, const char* smtp, const char* pass) {
    mail::MailLibrary::Services s;
    s.transports = mail::MakeSocketTransport;
    s.files = &platform::RealFileSystem();
    s.codePage = 932;
    s.timeoutMs = mail::TimeoutMsFromEnvironment();
    auto m = std::make_unique<mail::MailLibrary>(std::move(s), std::make_unique<mail::NoWindows>());
    const std::string ini = std::string(std::getenv("NORV_BENCH_DIR")) + "/bench.ini";
    platform::WriteFileAtomically(
        platform::RealFileSystem(), ini,
        "[Mail]\nPass=" + mail::ScramblePassword(pass) + "\n" +
            (std::getenv("NORV_BENCH_KEYS") ? std::getenv("NORV_BENCH_KEYS") : ""));
    char b[256], f[2];
    m->GetConfiguration(ini.c_str(), b, b, b, b, b, f);
    if (!m->Initialize(pop, smtp, 1) || !m->Authenticate("taro")) return nullptr;
    return m;
}

// The TLS handshakes of the run, full and resumed (none over plain text).
void CountHandshakes(benchmark::State& state) {
    const mail::TlsHandshakes h = mail::TlsHandshakeCounts();
    state.counters["tls_full"] = h.full;
    state.counters["tls_resumed"] = h.resumed;
}

// Every message of the mailbox, fetched into buffers of their listed size (one connection).
void FetchAll_Norv(benchmark::State& state) {
    const char* pop = std::getenv("NORV_BENCH_POP");
    if (!pop || !std::getenv("NORV_BENCH_DIR"))
        return state.SkipWithError("NORV_BENCH_POP is not set");
    auto m = Library(pop, "", "secret");
    if (!m) return state.SkipWithError("cannot log in");
    size_t bytes = 0;
    for (auto _ : state) {
        m->StartReceiveSession();
        char line[1024], status[256];
        std::vector<char> buf;
        for (int size; (size = m->ListMail(line, status)) > 0;) {
            buf.resize(static_cast<size_t>(size) + 1);
            if (!m->GetMail(std::atoi(line), buf.data(), 0, 0))
                return state.SkipWithError(m->GetErrorStatus());
            bytes += static_cast<size_t>(size);
        }
        m->EndReceiveSession();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    CountHandshakes(state);
}

// The same message, NORV_BENCH_SEND_COUNT times, each over its own connection (as designed).
void Send_Norv(benchmark::State& state) {
    const char* smtp = std::getenv("NORV_BENCH_SMTP");
    const char* pop = std::getenv("NORV_BENCH_POP");
    if (!smtp || !pop || !std::getenv("NORV_BENCH_DIR"))
        return state.SkipWithError("NORV_BENCH_SMTP is not set");
    auto m = Library(pop, smtp, "secret");
    if (!m) return state.SkipWithError("cannot log in");
    const int count = std::atoi(
        std::getenv("NORV_BENCH_SEND_COUNT") ? std::getenv("NORV_BENCH_SEND_COUNT") : "200");
    std::string body;
    for (size_t i = 0; body.size() < 20000; ++i) {
        body += Iconv("CP932", "UTF-8", kSentences[i % std::size(kSentences)]);
        body += "\r\n";
    }
    const std::string subject = Iconv("CP932", "UTF-8", "ベンチマークの件名");
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            if (!m->SendMail("taro@localhost", "taro@localhost", "", "", subject.c_str(),
                             body.c_str()))
                return state.SkipWithError(m->GetErrorStatus());
        }
    }
    CountHandshakes(state);
}

BENCHMARK(FetchAll_Norv)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Send_Norv)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
