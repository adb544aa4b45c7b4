// setup: installs the files its INF file names, or uninstalls them with "u".
#include "platform/paths.h"
#include "setup/setup_app.h"

int main(int argc, char** argv) {
    return norv::setup::RunSetup(argc, argv, norv::platform::ExecutablePath());
}
