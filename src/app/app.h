#pragma once

#include <memory>
#include <optional>

#include "host/backend.h"
#include "host/resources.h"
#include "host/runtime.h"

namespace lumorra {

// The application object. It keeps every default of the host's application.
class App : public host::Application {};

// The one document type the program registers (and never uses).
namespace FileTypes {
extern std::shared_ptr<host::FileType> pText;
}

// Start-up, in order: register the file type, make the application object with its menu
// bar, make the main window (which opens the scene), run the event loop. An exception that
// escapes goes to the host's unhandled-exception handling and the rest is skipped. `gentle` is
// the command line's choice of show, unset to follow the desktop.
void Main(std::optional<bool> gentle = std::nullopt);
void InitFileTypes();
void NewAppInstance();
void ApplicationAddMenuHandlers();
void MakeDefaultView(std::optional<bool> gentle = std::nullopt);

// Releases what the program keeps for its whole run, in a fixed order.
void Finalise();

// Gives every window the program makes the bulb icon built into the executable.
void SetUpIcon(host::Runtime& runtime);

// Starts decoding the media on the worker thread in the order the program will want them.
void PrefetchMedia(host::Runtime& runtime);

// The whole process on a backend: the host framework, Main with the choice of show, finalisation.
// Returns the exit status.
int RunProgram(host::Backend& backend, const host::ResourceTable& resources,
               std::optional<bool> gentle = std::nullopt);

}  // namespace lumorra
