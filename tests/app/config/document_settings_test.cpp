// The settings documents read, and the file type a loaded document gets.
#include "app/config/document_settings.h"

#include <gtest/gtest.h>

#include "app/config/view_settings.h"

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

namespace norv::app {
namespace {

// A view of a C file wraps at the C column, keeps its tab width and never splits on its own; a
// plain text file takes the Default profile; absurd numbers are kept in range.
TEST(DocumentSettings, ViewsTakeTheirFileTypeOptions) {
    Settings s(932);
    document::DocumentEnvironment env;
    document::CElwDoc doc(env);
    doc.path = "/src/a.c";
    ApplyFileType(doc, s);
    view::LayoutOptions l = LayoutOptionsFor(doc, s);
    EXPECT_EQ(l.wrapColumn, 256);
    EXPECT_EQ(l.tabWidth, 4);
    editing::EditOptions e = EditOptionsFor(doc, s);
    EXPECT_TRUE(e.cFile);
    EXPECT_TRUE(e.noWrap);

    doc.path = "/notes/readme.txt";
    s.Set(Key::DefaultColumn, 0);
    s.Set(Key::AutoInd, 1);
    s.Set(Key::FreeCursor, 1);
    ApplyFileType(doc, s);
    l = LayoutOptionsFor(doc, s);
    EXPECT_EQ(l.wrapColumn, 1);
    EXPECT_EQ(l.tabWidth, 8);
    e = EditOptionsFor(doc, s);
    EXPECT_FALSE(e.cFile);
    EXPECT_FALSE(e.noWrap);
    EXPECT_TRUE(e.autoIndent);
    EXPECT_TRUE(e.freeCursor);

    s.Set(Key::ShiftSelect, 0);
    s.Set(Key::TwoMenu, 0);
    s.Set(Key::TwoDelay, -5);
    const DispatchOptions k = DispatchOptionsFrom(s);
    EXPECT_FALSE(k.shiftSelect);
    EXPECT_FALSE(k.twoMenu);
    EXPECT_EQ(k.twoDelay, 1);
}

}  // namespace
}  // namespace norv::app
