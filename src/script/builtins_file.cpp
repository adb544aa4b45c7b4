// File built-ins: DIR, FOPEN and the functions on its handles, FCOPY and FKILL. A handle that
// is not open (0 included) does nothing and gives 0, "" or -1 as each function states; a
// failure gives the same, never a success value.
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "script/builtins.h"
#include "script/interpreter.h"
#include "script/name_tables.h"
#include "script/read_limited.h"
#include "script/script_host.h"

namespace norv::script {

namespace {

int32_t S(uint32_t v) {
    return static_cast<int32_t>(v);
}
constexpr size_t kLineMax = 4096;

// Starts a file search: the names in the pattern's folder that match its last part and are
// not folders, in name order.
std::vector<std::string> ListMatches(const std::string& pattern) {
    std::vector<std::string> names;
    std::string folder = platform::FolderOf(pattern);
    std::string mask = platform::FileNameOf(pattern);
    if (mask == "*.*") mask = "*";  // "all files", with or without an extension
    const std::string open = folder.empty() ? "." : folder;
    DIR* dir = opendir(open.c_str());
    if (dir == nullptr) return names;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || fnmatch(mask.c_str(), name.c_str(), FNM_PERIOD) != 0)
            continue;
        struct stat st;
        const std::string full = platform::JoinPath(open, name);
        if (stat(full.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
        names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

bool CallFileBuiltin(int id, const uint32_t* a, Runtime& rt) {
    auto str = [&](int i) { return rt.ArgString(a[i]); };
    auto ret = [&](const std::string& s) { rt.SetResult(rt.MakeString(s)); };
    FileTable& files = rt.files();
    switch (id) {
        case BuiltinId("DIR"): {
            const std::string pattern = str(0);
            if (!pattern.empty()) {
                rt.dirNames() = ListMatches(pattern);
                rt.dirNext() = 0;
            }
            if (rt.dirNext() < rt.dirNames().size())
                ret(rt.dirNames()[rt.dirNext()++]);
            else
                ret({});
            return true;
        }
        case BuiltinId("FOPEN"): {
            const std::string mode = str(1);
            rt.SetResult(static_cast<uint32_t>(
                files.Open(str(0), mode.empty() ? std::string(1, 'r') : mode)));
            return true;
        }
        case BuiltinId("FCLOSE"):
            files.Close(S(a[0]));
            return true;
        case BuiltinId("FGETS"): {
            std::FILE* f = files.Get(S(a[0]));
            std::string line;
            if (f != nullptr) {
                int c;
                while (line.size() < kLineMax && (c = std::fgetc(f)) != EOF) {
                    if (c == '\n') break;
                    line.push_back(static_cast<char>(c));
                }
                if (!line.empty() && line.back() == '\r') line.pop_back();
            }
            ret(line);
            return true;
        }
        case BuiltinId("FPUTS"): {
            std::FILE* f = files.Get(S(a[0]));
            const std::string text = str(1);
            size_t n = 0;
            if (f != nullptr) {
                n = std::fwrite(text.data(), 1, text.size(), f);
                if (n != text.size() || std::fflush(f) != 0) n = 0;
            }
            rt.SetResult(static_cast<uint32_t>(n));
            return true;
        }
        case BuiltinId("FGETINT"): {
            std::FILE* f = files.Get(S(a[0]));
            const uint32_t n = a[1];
            uint32_t v = 0;
            if (f != nullptr && n >= 1 && n <= 4) {
                uint8_t b[4] = {0, 0, 0, 0};
                if (std::fread(b, 1, n, f) == n)
                    v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                        uint32_t(b[3]) << 24;
            }
            rt.SetResult(v);
            return true;
        }
        case BuiltinId("FPUTINT"): {
            std::FILE* f = files.Get(S(a[0]));
            const uint32_t n = a[1];
            uint32_t written = 0;
            if (f != nullptr && n >= 1 && n <= 4) {
                const uint8_t b[4] = {uint8_t(a[2]), uint8_t(a[2] >> 8), uint8_t(a[2] >> 16),
                                      uint8_t(a[2] >> 24)};
                if (std::fwrite(b, 1, n, f) == n && std::fflush(f) == 0) written = n;
            }
            rt.SetResult(written);
            return true;
        }
        case BuiltinId("FSEEK"): {
            std::FILE* f = files.Get(S(a[0]));
            int32_t pos = -1;
            if (f != nullptr) {
                const int origin = a[2] == 0 ? SEEK_SET : a[2] == 1 ? SEEK_END : SEEK_CUR;
                if (std::fseek(f, S(a[1]), origin) == 0) {
                    const long p = std::ftell(f);
                    pos = p >= 0 && p <= INT32_MAX ? static_cast<int32_t>(p) : -1;
                }
            }
            rt.SetResult(static_cast<uint32_t>(pos));
            return true;
        }
        case BuiltinId("EOF"): {
            std::FILE* f = files.Get(S(a[0]));
            uint32_t atEnd = 0;
            if (f != nullptr) {
                const int c = std::fgetc(f);
                if (c == EOF)
                    atEnd = 1;
                else
                    std::ungetc(c, f);
            }
            rt.SetResult(atEnd);
            return true;
        }
        case BuiltinId("FCOPY"): {
            std::string bytes;
            const std::string from = str(0), to = str(1);
            platform::FileSystem& fs = rt.host().fs();
            const bool ok = !to.empty() &&
                            ReadFileLimited(fs, from, bytes, UINT32_MAX, ReadBound::kStatedSize) &&
                            platform::WriteFileAtomically(fs, to, bytes) == 0;
            rt.SetResult(ok ? 1u : 0u);
            return true;
        }
        case BuiltinId("FKILL"): {
            const std::string path = str(0);
            rt.SetResult(!path.empty() && rt.host().fs().Remove(path) ? 1u : 0u);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace norv::script
