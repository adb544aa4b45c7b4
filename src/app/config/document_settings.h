// What documents read from the settings: the loading and saving settings, and the file-type
// step of a load (the profile of a file gives it its tab width and type).
#pragma once

#include <string>

#include "app/config/settings.h"
#include "document/document.h"

namespace norv::app {

document::LoadSettings LoadSettingsFrom(const Settings& settings);
document::SaveSettings SaveSettingsFrom(const Settings& settings);

// The extension a new document of this profile takes in its title ("*.c;*.h" gives ".c").
std::string FirstExtensionOf(const Profile& profile);

// Gives a loaded document its file-type profile.
void ApplyFileType(document::CElwDoc& doc, const Settings& settings);

}  // namespace norv::app
