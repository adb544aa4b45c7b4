// Bytes as a file, opened into a document: whatever the bytes, the load never reads or writes
// outside its buffers, and the document it makes keeps the line store's invariants.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/document.h"
#include "platform/fakes/memory_file_system.h"

using namespace norv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static platform::MemoryFileSystem fs;
    static document::LineHeap heap(document::LineHeap::kDefaultBlockBytes, 64);
    // The first byte chooses the code choice and the detection settings.
    uint8_t mode = size ? data[0] : 0;
    std::string bytes(reinterpret_cast<const char*>(data) + (size ? 1 : 0), size ? size - 1 : 0);
    fs.files["/f"] = bytes;
    fs.readChunk = (mode & 0x80) ? 7 : 0;
    document::DocumentEnvironment env;
    env.fs = &fs;
    env.heap = &heap;
    env.codePage = (mode & 0x40) ? 1252 : 932;
    env.readBlockBytes = 4096;
    env.load.eucRead = mode & 0x08;
    env.load.jisRead = mode & 0x10;
    env.load.utf8Read = !(mode & 0x20);
    auto choice = static_cast<document::CodeChoice>(1 + (mode & 7) % 7);
    {
        document::CElwDoc doc(env);
        if (doc.OpenDocument("/f", choice) == 1) {
            int n = 0;
            for (const auto* r = doc.lines().first(); r; r = r->next, ++n) {
                if (r->length < 1 || r->text()[r->length - 1] != '\n') std::abort();
                if (r->next && r->next->prev != r) std::abort();
            }
            if (n != doc.lineCount() || n < 1) std::abort();
            // UTF-16 recognised without a mark is written back as it was read.
            const bool ucs2 =
                doc.code == document::TextCode::kUcs2Le || doc.code == document::TextCode::kUcs2Be;
            if (ucs2 && !doc.bom && choice == document::CodeChoice::kDefault) {
                env.save.trashOutGen = 0;
                if (doc.SaveDocument("/g") != 1 || fs.files["/g"] != bytes) std::abort();
            }
        }
    }
    return 0;
}
