// Editing at the cuts of a line too long for one record: Delete, BackSpace and typing on either
// side of a cut, then a save, give valid text equal to the same edit made on the whole line.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/codecs.h"
#include "document/document.h"
#include "editing/edit_view.h"
#include "support/iconv_text.h"
#include "support/long_lines.h"
#include "support/temp_dir.h"

namespace norv::editing {
namespace {

using document::LineRecord;
using norv::testing::Iconv;

size_t Utf8CharLength(uint8_t b) {
    return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

// The length of the last UTF-8 character of s.
size_t LastCharLength(const std::string& s) {
    size_t n = 1;
    while (n < s.size() && (static_cast<uint8_t>(s[s.size() - n]) & 0xC0) == 0x80) ++n;
    return n;
}

struct Session {
    document::LineHeap heap;
    norv::testing::TempDir dir;
    document::DocumentEnvironment env;
    EditorShared shared{heap};
    document::CElwDoc doc{env};
    document::UndoList undo{1024};
    std::unique_ptr<CElwView> view;
    std::string path;

    Session(const std::string& bytes) {
        env.heap = &heap;
        env.codePage = 932;
        env.save.trashOutGen = 0;
        path = dir.Write("long.txt", bytes);
        EXPECT_EQ(doc.OpenDocument(path), 1);
        view::LayoutOptions layout;
        layout.codePage = doc.CodePage();
        view = std::make_unique<CElwView>(doc, undo, shared, layout);
        view->SetWindowSize(10, 80);
    }
    ~Session() {
        view.reset();
        shared.stack.Clear();
    }
    // The text of the records in UTF-8, and where each record ends in it.
    std::string Utf8(std::vector<size_t>* ends) {
        std::string out;
        for (const LineRecord* r = doc.lines().first(); r; r = r->next) {
            std::string_view t(r->text(), r->contentLength());
            if (document::IsUnicodeFamily(doc.code))
                out.append(t);
            else
                document::AnsiToUtf8(out, t, 932);
            if (ends) ends->push_back(out.size());
        }
        return out;
    }
    void Type(const std::string& utf8) {
        std::string bytes = utf8;
        if (!document::IsUnicodeFamily(doc.code)) {
            bytes.clear();
            document::Utf8ToAnsi(bytes, utf8, 932);
        }
        for (char c : bytes) view->TypeByte(static_cast<uint8_t>(c));
    }
    // The saved file read back by iconv; "" with *ok false when iconv refuses it.
    std::string SaveAndRead(const norv::testing::LongLineCode& code, bool* ok) {
        view->Sync();
        EXPECT_EQ(doc.SaveDocument(path), 1);
        std::string bytes = norv::testing::ReadFileBytes(path);
        bytes.erase(0, std::string(code.mark).size());
        *ok = true;
        return Iconv(bytes, code.iconvName, "UTF-8", ok);
    }
};

TEST(LongLineEdits, DeleteBackSpaceAndTypingAtEveryCut) {
    enum class Edit { kBackSpaceBefore, kDeleteAfter, kJoinForward, kJoinBackward };
    unsigned seed = 100;
    for (const auto& code : norv::testing::LongLineCodes()) {
        std::string text = norv::testing::LongLineText(200000, code, seed++);
        std::string bytes = norv::testing::LongLineFile(text, code);
        std::vector<size_t> ends;
        {
            Session probe(bytes);
            ASSERT_EQ(probe.Utf8(&ends), text) << code.name;
        }
        ASSERT_GT(ends.size(), 2u) << code.name;
        for (size_t k = 0; k + 1 < ends.size(); ++k) {
            const size_t cut = ends[k];
            for (Edit e : {Edit::kBackSpaceBefore, Edit::kDeleteAfter, Edit::kJoinForward,
                           Edit::kJoinBackward}) {
                Session s(bytes);
                const int line = static_cast<int>(k) + 1;
                std::string model = text;
                const LineRecord* rec = s.doc.lines().LineAt(line);
                switch (e) {
                    case Edit::kBackSpaceBefore: {
                        // The character before the cut goes and "x" is typed in its place (a
                        // piece may be full: only a byte is sure to fit).
                        s.view->SetCaret(line, rec->contentLength());
                        s.view->Execute(CommandId::BackSpace);
                        s.Type("x");
                        size_t n = LastCharLength(model.substr(0, cut));
                        model.replace(cut - n, n, "x");
                        break;
                    }
                    case Edit::kDeleteAfter: {
                        s.view->SetCaret(line + 1, 0);
                        s.view->Execute(CommandId::DeleteChar);
                        s.Type("Z");
                        size_t n = Utf8CharLength(static_cast<uint8_t>(model[cut]));
                        model.replace(cut, n, "Z");
                        break;
                    }
                    case Edit::kJoinForward:
                        // The pieces join when they fit together; no text changes either way.
                        s.view->SetCaret(line, rec->contentLength());
                        s.view->Execute(CommandId::DeleteChar);
                        break;
                    case Edit::kJoinBackward:
                        s.view->SetCaret(line + 1, 0);
                        s.view->Execute(CommandId::BackSpace);
                        break;
                }
                bool ok = false;
                std::string saved = s.SaveAndRead(code, &ok);
                ASSERT_TRUE(ok) << code.name << ": the saved file is not valid after edit "
                                << static_cast<int>(e) << " at cut " << k;
                EXPECT_TRUE(saved == model) << code.name << ": edit " << static_cast<int>(e)
                                            << " at cut " << k << " differs from the model";
            }
        }
    }
}

}  // namespace
}  // namespace norv::editing
