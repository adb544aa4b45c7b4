// A temporary home with its own XDG folders and a distribution folder to install from, for the
// tests of setup; and a listing of a folder tree to compare before and after.
#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace norv::testing {

struct SetupSandbox {
    TempDir root;
    std::string home = root.path() + "/home/";
    std::string dist = root.path() + "/dist/";
    std::string data = home + ".local/share/";
    std::string config = home + ".config/";
    std::string tmp = home + "tmp/";

    SetupSandbox() {
        std::filesystem::create_directories(dist);
        std::filesystem::create_directories(tmp);
    }

    void Put(const std::string& name, const std::string& bytes, unsigned mode = 0644) const {
        std::filesystem::path p = dist + name;
        std::filesystem::create_directories(p.parent_path());
        root.Write("dist/" + name, bytes);
        chmod(p.c_str(), mode);
    }
    std::string DefaultTarget() const { return home + ".local/opt/NorvProject/Norv/"; }
};

inline std::string StandardInf(const std::string& files) {
    return "[Settings]\nAppTitle=Norv\nVender=NorvProject\nProduct=Norv text editor\n"
           "SendTo=Edit with Norv\nUninstMessage=Norv is uninstalled.\\Your own settings are "
           "kept.\n[Files]\n" +
           files;
}

// Every path below `folder`, relative and sorted. The caches the desktop tools rebuild on their
// own are left out, and so is a folder that holds nothing but them.
inline bool IsToolCache(const std::string& rel) {
    return rel.find("mimeinfo.cache") != std::string::npos || rel == ".local/share/mime" ||
           rel.rfind(".local/share/mime/", 0) == 0;
}

inline std::vector<std::string> TreeListing(const std::string& folder) {
    std::vector<std::string> all;
    std::vector<std::string> files;  // what is not a folder
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        all.push_back(std::filesystem::relative(it->path(), folder).string());
        if (!it->is_directory()) files.push_back(all.back());
    }
    std::sort(all.begin(), all.end());
    std::vector<std::string> out;
    for (const std::string& rel : all) {
        if (IsToolCache(rel)) continue;
        bool anyCache = false, anyOther = false;
        for (const std::string& below : files)
            if (below.size() > rel.size() && below.rfind(rel + "/", 0) == 0)
                (IsToolCache(below) ? anyCache : anyOther) = true;
        if (anyCache && !anyOther) continue;
        out.push_back(rel);
    }
    return out;
}

}  // namespace norv::testing
