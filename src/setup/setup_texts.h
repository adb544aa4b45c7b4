// Every text setup shows, in English and in Japanese, in one table. The user's language
// (LC_ALL, then LC_MESSAGES, then LANG: the first one set) selects Japanese when it begins with
// "ja".
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

namespace norv::setup {

enum class Language : uint8_t { kEnglish, kJapanese };

enum class TextId : uint8_t {
    kDialogTitle,
    kIntro,
    kBrowse,
    kOk,
    kCancel,
    kChangeDirectory,
    kCopyFailed,
    kCopyFailedFormat,
    kComplete,
    kUninstallQuestion,
    kUninstalledDefault,
    kSaveFailed,
    kNotInstalledHere,
    kRefusedValue,
    kCannotMakeFolder,
    kNotWritten,
    kKept,
    kAndMore,
    kUsage,
    kCount
};

struct TextEntry {
    TextId id;
    std::string_view english;
    std::string_view japanese;
};

// In the order of `TextId`; "%s" and "%d" are filled in by `FillIn`.
inline constexpr TextEntry kTexts[] = {
    {TextId::kDialogTitle, "Setup", "セットアップ"},
    {TextId::kIntro,
     "This program will be installed the following directory.\n\nIf you want to change the "
     "directory, push the \"Browse\" button and specify another directory.",
     "このプログラムを次のフォルダにインストールします。\n\nフォルダを変えるときは「参照...」"
     "ボタンを押して、別のフォルダを選んでください。"},
    {TextId::kBrowse, "Browse...", "参照..."},
    {TextId::kOk, "OK", "OK"},
    {TextId::kCancel, "Cancel", "キャンセル"},
    {TextId::kChangeDirectory, "Change Directory", "フォルダの変更"},
    {TextId::kCopyFailed,
     "Failed to copy files\nPlease make sure the target file is not being used.",
     "ファイルをコピーできませんでした\nコピー先のファイルが使用中でないか確かめてください。"},
    {TextId::kCopyFailedFormat, "%s\n\"%s\" (errcode:%d)", "%s\n\"%s\" (エラーコード:%d)"},
    {TextId::kComplete,
     "Installation is complete!\nYou may want to create a shortcut for this program on your "
     "desktop.\nJust do it yourself please. ;-)\n",
     "インストールが終わりました。\nデスクトップにショートカットが必要なら、ご自分で作ってくだ"
     "さい。;-)\n"},
    {TextId::kUninstallQuestion, "This will uninstall the program.\nIs it OK to continue?",
     "このプログラムをアンインストールします。\nよろしいですか?"},
    {TextId::kUninstalledDefault, "This program is completely uninstalled.",
     "このプログラムのアンインストールが終わりました。"},
    {TextId::kSaveFailed, "Save failed!", "保存できませんでした。"},
    {TextId::kNotInstalledHere, "This program is not installed in this folder.",
     "このプログラムはこのフォルダにインストールされていません。"},
    {TextId::kRefusedValue,
     "The setup file has an unusable value for \"%s\".\nNothing was installed or removed.",
     "セットアップファイルの「%s」の値は使えません。\n何もインストールも削除もしていません。"},
    {TextId::kCannotMakeFolder, "Cannot create the folder\n\"%s\"\n%s",
     "フォルダを作れません\n\"%s\"\n%s"},
    {TextId::kNotWritten,
     "These files could not be written:", "次のファイルを書き込めませんでした:"},
    {TextId::kKept,
     "These files were kept, because they were changed or were not installed by setup:",
     "次のファイルは変更されているか、セットアップが入れたものではないので残しました:"},
    {TextId::kAndMore, "... and %d more", "...ほか %d 件"},
    {TextId::kUsage,
     "Usage: setup [u] [--target DIR] [--user] [--headless]\n"
     "Installs the files named in setup.INF beside the program; \"u\" uninstalls them.\n"
     "  --target DIR  install into DIR instead of the default folder\n"
     "  --user        install for this user only, even as root\n"
     "  --headless    no windows: answer OK, print messages to standard error\n"
     "  --help, --version\n",
     "使い方: setup [u] [--target フォルダ] [--user] [--headless]\n"
     "プログラムと同じフォルダの setup.INF に書かれたファイルをインストールします。"
     "「u」でアンインストールします。\n"
     "  --target フォルダ  既定のフォルダの代わりにこのフォルダに入れる\n"
     "  --user        root でもこのユーザーだけに入れる\n"
     "  --headless    ウィンドウを出さず、OK で答え、メッセージは標準エラーに出す\n"
     "  --help, --version\n"},
};
static_assert(std::size(kTexts) == size_t(TextId::kCount));

std::string_view TextOf(TextId id, Language language);

// The language of the user's locale variables.
Language LanguageFromEnvironment();
Language LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);

// A message names at most this many files; the rest are counted (an install into a full folder
// must not make a message taller than the screen).
inline constexpr size_t kMaxNamedFiles = 30;

// The format with each "%s" and "%d" replaced by the next argument in turn ("%%" is "%").
std::string FillIn(std::string_view format, std::initializer_list<std::string_view> args);

}  // namespace norv::setup
