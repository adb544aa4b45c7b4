// The settings documents read, and the file type a loaded document gets.
#include <gtest/gtest.h>

#include "app/document_settings.h"

namespace norv::app {
namespace {

TEST(DocumentSettings, ComeFromTheSettingsWithTheirDefaults) {
    Settings s(932);
    document::LoadSettings l = LoadSettingsFrom(s);
    EXPECT_TRUE(l.eucRead && l.jisRead && l.utf8Read && l.saveRead && l.orgCr);
    document::SaveSettings v = SaveSettingsFrom(s);
    EXPECT_EQ(v.trashOutGen, 3);
    EXPECT_EQ(v.textMode, 0);
    EXPECT_TRUE(v.undoReset);
    EXPECT_TRUE(v.addBom);
    s.Set(Key::TrashOutGen, 0);
    s.Set(Key::MirrorPath, "mirror");
    v = SaveSettingsFrom(s);
    EXPECT_EQ(v.trashOutGen, 0);
    EXPECT_EQ(v.mirrorPath, "mirror");
}

TEST(DocumentSettings, LoadedDocumentsTakeTheirFileType) {
    Settings s(932);
    document::DocumentEnvironment env;
    document::CElwDoc doc(env);
    doc.path = "/src/A.CPP";
    ApplyFileType(doc, s);
    EXPECT_EQ(doc.typeCode, 'C');
    doc.path = "/notes/readme.txt";
    ApplyFileType(doc, s);
    EXPECT_EQ(doc.typeCode, ' ');
    Profile p;
    p.extensions = "*.c;*.h";
    EXPECT_EQ(FirstExtensionOf(p), ".c");
    p.extensions = "*.*";
    EXPECT_EQ(FirstExtensionOf(p), "");
}

}  // namespace
}  // namespace norv::app
