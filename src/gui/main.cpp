// norv: the editor program.
#include "gui/startup.h"

int main(int argc, char** argv) {
    norv::qt::EditorApp app;
    return app.Run(argc, argv);
}
