// ZIP and LZH archives written byte by byte, for the tests of the name readers and of
// extraction: stored entries whose data any archiver unpacks, with the headers' variants
// (ZIP: flag bit 11, Unix and DOS attributes, a comment, Zip64; LZH: header levels 0, 1 and
// 2 with directory and Unix mode extended headers).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace norv::testing {

inline void Put16(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8 & 0xFF));
}
inline void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}
inline void Put64(std::string& s, uint64_t v) {
    Put32(s, static_cast<uint32_t>(v));
    Put32(s, static_cast<uint32_t>(v >> 32));
}

inline uint32_t Crc32(std::string_view data) {
    uint32_t c = 0xFFFFFFFF;
    for (char ch : data) {
        c ^= static_cast<uint8_t>(ch);
        for (int k = 0; k < 8; ++k) c = c & 1 ? (c >> 1) ^ 0xEDB88320 : c >> 1;
    }
    return ~c;
}

// CRC-16 of LZH (polynomial 0x8005, reflected).
inline uint16_t Crc16(std::string_view data) {
    uint16_t c = 0;
    for (char ch : data) {
        c = static_cast<uint16_t>(c ^ static_cast<uint8_t>(ch));
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
    }
    return c;
}

struct ZipMember {
    std::string name;
    std::string data;
    bool utf8 = false;           // flag bit 11
    int madeBy = 3;              // 3 Unix, 0 DOS
    uint32_t unixMode = 0;       // upper half of the external attributes (Unix)
    uint32_t dosAttributes = 0;  // lower half (0x10 a folder)
    uint16_t method = 0;         // 0 stored; 8 claims deflated (the data is then not unpacked)
};

struct ZipOptions {
    std::string comment;
    bool zip64 = false;  // the end record's counts and offsets say so
    std::string prefix;  // bytes before the archive (a self-extractor's program)
};

inline std::string BuildZip(const std::vector<ZipMember>& members, const ZipOptions& o = {}) {
    std::string out = o.prefix;
    std::string central;
    for (const ZipMember& m : members) {
        const uint32_t offset = static_cast<uint32_t>(out.size());
        const uint16_t flags = m.utf8 ? 0x0800 : 0;
        const uint32_t crc = Crc32(m.data);
        out += "PK\x03\x04";
        Put16(out, 20);
        Put16(out, flags);
        Put16(out, m.method);
        Put16(out, 0);
        Put16(out, 0x21);
        Put32(out, crc);
        Put32(out, static_cast<uint32_t>(m.data.size()));
        Put32(out, static_cast<uint32_t>(m.data.size()));
        Put16(out, static_cast<uint32_t>(m.name.size()));
        Put16(out, 0);
        out += m.name;
        out += m.data;
        central += "PK\x01\x02";
        Put16(central, static_cast<uint32_t>(m.madeBy << 8 | 20));
        Put16(central, 20);
        Put16(central, flags);
        Put16(central, m.method);
        Put16(central, 0);
        Put16(central, 0x21);
        Put32(central, crc);
        Put32(central, static_cast<uint32_t>(m.data.size()));
        Put32(central, static_cast<uint32_t>(m.data.size()));
        Put16(central, static_cast<uint32_t>(m.name.size()));
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, m.unixMode << 16 | m.dosAttributes);
        Put32(central, offset);
        central += m.name;
    }
    const uint64_t centralAt = out.size();
    out += central;
    if (o.zip64) {
        const uint64_t end64At = out.size();
        out += "PK\x06\x06";
        Put64(out, 44);
        Put16(out, 45);
        Put16(out, 45);
        Put32(out, 0);
        Put32(out, 0);
        Put64(out, members.size());
        Put64(out, members.size());
        Put64(out, central.size());
        Put64(out, centralAt);
        out += "PK\x06\x07";
        Put32(out, 0);
        Put64(out, end64At);
        Put32(out, 1);
    }
    out += "PK\x05\x06";
    Put16(out, 0);
    Put16(out, 0);
    const uint32_t count = o.zip64 ? 0xFFFF : static_cast<uint32_t>(members.size());
    Put16(out, count);
    Put16(out, count);
    Put32(out, o.zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(central.size()));
    Put32(out, o.zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(centralAt));
    Put16(out, static_cast<uint32_t>(o.comment.size()));
    out += o.comment;
    return out;
}

struct LzhMember {
    std::string name;       // the file name field (level 0: may hold "\" or 0xFF separators)
    std::string directory;  // the directory extended header, 0xFF separating (levels 1, 2)
    std::string data;
    int level = 2;
    uint32_t unixMode = 0;  // 0: no Unix mode
    bool folder = false;    // a "-lhd-" entry
};

inline std::string BuildLzh(const std::vector<LzhMember>& members, bool endMark = true) {
    std::string out;
    for (const LzhMember& m : members) {
        const std::string method = m.folder ? "-lhd-" : "-lh0-";
        const uint16_t crc = Crc16(m.data);
        std::string ext;  // extended headers, each with the size of the next after it
        auto header = [&](uint8_t type, std::string_view data) {
            std::string h;
            h.push_back(static_cast<char>(type));
            h += data;
            return h;
        };
        std::vector<std::string> exts;
        if (m.level > 0) {
            if (m.level == 2) exts.push_back(header(0x01, m.name));  // level 1: in the base
            if (!m.directory.empty()) exts.push_back(header(0x02, m.directory));
            if (m.unixMode) {
                std::string mode;
                Put16(mode, m.unixMode);
                exts.push_back(header(0x50, mode));
            }
        }
        // Each header carries the size of the next one at its end.
        std::vector<std::string> sized;
        for (size_t i = 0; i < exts.size(); ++i) sized.push_back(exts[i]);
        for (size_t i = 0; i < sized.size(); ++i) {
            const size_t nextSize = i + 1 < sized.size() ? sized[i + 1].size() + 2 : 0;
            Put16(sized[i], static_cast<uint32_t>(nextSize));
        }
        for (const std::string& s : sized) ext += s;
        const uint32_t firstSize = sized.empty() ? 0 : static_cast<uint32_t>(sized[0].size());
        std::string h;
        if (m.level == 0 || m.level == 1) {
            std::string body = method;
            Put32(body, static_cast<uint32_t>(m.data.size() + (m.level == 1 ? ext.size() : 0)));
            Put32(body, static_cast<uint32_t>(m.data.size()));
            Put32(body, 0x00210000);
            body.push_back(m.level == 0 ? static_cast<char>(m.folder ? 0x10 : 0x20) : 0x20);
            body.push_back(static_cast<char>(m.level));
            body.push_back(static_cast<char>(m.name.size()));
            body += m.name;
            Put16(body, crc);
            if (m.level == 0 && m.unixMode) {
                body += 'U';
                body.push_back(0);
                Put32(body, 0);
                Put16(body, m.unixMode);
                Put16(body, 0);
                Put16(body, 0);
            }
            if (m.level == 1) {
                body += 'U';
                Put16(body, firstSize);
            }
            uint8_t sum = 0;
            for (char b : body) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(b));
            h.push_back(static_cast<char>(body.size()));
            h.push_back(static_cast<char>(sum));
            h += body;
            out += h;
            if (m.level == 1) out += ext;
        } else {
            std::string body = method;
            Put32(body, static_cast<uint32_t>(m.data.size()));
            Put32(body, static_cast<uint32_t>(m.data.size()));
            Put32(body, 0x5F000000);
            body.push_back(0x20);
            body.push_back(2);
            Put16(body, crc);
            body += 'U';
            Put16(body, firstSize);
            body += ext;
            Put16(h, static_cast<uint32_t>(body.size() + 2));
            h += body;
            out += h;
        }
        out += m.data;
    }
    if (endMark) out.push_back('\0');
    return out;
}

}  // namespace norv::testing
