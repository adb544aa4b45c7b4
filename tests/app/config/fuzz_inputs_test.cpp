// The seeds and kept crash inputs of the configuration-file fuzz targets, run as plain tests
// with the targets' own checks, so builds without libFuzzer (the g++ one) check them too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/config/data_file.h"
#include "app/config/history_file.h"
#include "app/config/keyword_file.h"
#include "app/config/settings_cache.h"
#include "app/config/settings_file.h"
#include "platform/file_system.h"

namespace norv::app {
namespace {

int ForEachInput(const char* target, const std::function<void(const std::string&)>& check) {
    int count = 0;
    for (const char* kind : {"seeds", "regressions"}) {
        std::filesystem::path dir = std::filesystem::path(NORV_SOURCE_DIR) / "fuzz" / kind / target;
        if (!std::filesystem::exists(dir)) continue;
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            std::string text;
            EXPECT_EQ(platform::ReadWholeFile(platform::RealFileSystem(), e.path().string(), text),
                      0);
            SCOPED_TRACE(e.path().string());
            check(text);
            ++count;
        }
    }
    return count;
}

TEST(ConfigFuzzInputs, SettingsCacheAnswersLikeTheFile) {
    EXPECT_GE(ForEachInput("settings_file_fuzz",
                           [](const std::string& text) {
                               SettingsCache cache;
                               cache.Load(text);
                               for (int pass = 0; pass < 2; ++pass)
                                   ForEachIniEntry(text, [&](std::string_view s, std::string_view k,
                                                             std::string_view) {
                                       auto fromFile = FindIniValue(text, s, k);
                                       auto fromCache = cache.Find(s, k);
                                       ASSERT_EQ(fromFile.has_value(), fromCache.has_value())
                                           << s << "/" << k;
                                       if (fromFile) {
                                           EXPECT_EQ(*fromFile, *fromCache);
                                       }
                                   });
                           }),
              2);
}

TEST(ConfigFuzzInputs, KeywordFilesReachAFixedPoint) {
    EXPECT_GE(ForEachInput("keyword_file_fuzz",
                           [](const std::string& text) {
                               KeywordFile first(932), second(932);
                               ParseKeywordFile(text, first);
                               std::string saved = FormatKeywordFile(first);
                               ParseKeywordFile(saved, second);
                               EXPECT_EQ(second.groups, first.groups);
                               EXPECT_EQ(second.blocks, first.blocks);
                               EXPECT_EQ(FormatKeywordFile(second), saved);
                           }),
              3);
}

TEST(ConfigFuzzInputs, DataAndHistoryFilesReachAFixedPoint) {
    EXPECT_GE(ForEachInput("data_file_fuzz",
                           [](const std::string& text) {
                               DataFile first, second;
                               first.Parse(text);
                               second.Parse(first.Format());
                               EXPECT_EQ(second.Format(), first.Format());
                               EXPECT_EQ(second.menus, first.menus);
                           }),
              2);
    EXPECT_GE(ForEachInput("history_file_fuzz",
                           [](const std::string& text) {
                               HistoryFile first, second;
                               first.Parse(text);
                               // A file holding every block comes back byte for byte.
                               if (std::count(text.begin(), text.end(), '\n') >=
                                   6 * kHistoryBlockSize + kRecentFileCount) {
                                   EXPECT_EQ(first.Format(), text);
                               }
                               second.Parse(first.Format());
                               EXPECT_EQ(second.recent, first.recent);
                           }),
              1);
}

}  // namespace
}  // namespace norv::app
