#include "app/config/document_settings.h"

#include "app/config/configuration.h"

namespace norv::app {

document::LoadSettings LoadSettingsFrom(const Settings& s) {
    document::LoadSettings l;
    l.eucRead = s.Flag(Key::EUCRead);
    l.jisRead = s.Flag(Key::JISRead);
    l.utf8Read = s.Flag(Key::UTF8Read);
    l.utf16Read = s.Flag(Key::UTF16Read);
    l.saveRead = s.Flag(Key::SaveRead);
    l.orgCr = s.Flag(Key::OrgCR);
    return l;
}

document::SaveSettings SaveSettingsFrom(const Settings& s) {
    document::SaveSettings v;
    v.textMode = s.Int(Key::TextMode);
    v.saveMode = s.Int(Key::SaveMode);
    v.delSpace = s.Flag(Key::DelSpace);
    v.addEof = s.Flag(Key::AddEOF);
    v.trashOutGen = s.Int(Key::TrashOutGen);
    v.backUpPath = s.Text(Key::BackUpPath);
    v.mirroring = s.Flag(Key::Mirroring);
    v.mirrorPath = s.Text(Key::MirrorPath);
    v.relCreate = s.Flag(Key::RelCreate);
    v.undoReset = s.Flag(Key::UndoReset);
    v.addBom = s.Flag(Key::AddBOM);
    v.saveMarkInfo = s.Flag(Key::SaveMarkInfo);
    return v;
}

std::string FirstExtensionOf(const Profile& profile) {
    const std::string& list = profile.extensions;
    size_t start = list.find('.');
    if (start == std::string::npos) return {};
    size_t end = list.find_first_of(";, ", start);
    std::string ext =
        list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // A pattern such as ".c*" is not a name a title can take.
    if (ext.find_first_of("*?") != std::string::npos) return {};
    return ext;
}

void ApplyFileType(document::CElwDoc& doc, const Settings& settings) {
    FileProfile p = ProfileForFile(doc.path, settings);
    doc.tabWidth = p.profile.tabWidth > 0 ? p.profile.tabWidth : 8;
    doc.typeCode = p.typeCode;
    doc.typeExtension = FirstExtensionOf(p.profile);
}

}  // namespace norv::app
