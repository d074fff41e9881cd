#include "app/app.h"

#include <vector>

#include "about/aboutwin.h"
#include "app/menubar1.h"
#include "media/media.h"
#include "media/media_table.h"
#include "scene/window1.h"

namespace lumorra {

namespace FileTypes {
std::shared_ptr<host::FileType> pText;
}

void InitFileTypes() {
  FileTypes::pText = std::make_shared<host::FileType>();
  FileTypes::pText->Name = "text";
  FileTypes::pText->Extensions = "";
  FileTypes::pText->MacType = "TEXT";
  FileTypes::pText->MacCreator = "R*ch";
  FileTypes::pText->Register();
}

void NewAppInstance() {
  auto app = std::make_shared<App>();
  host::Deref(app).MenuBar = MenuBar1::Instance();
  host::Runtime::Current().RegisterApplication(app);
}

void ApplicationAddMenuHandlers() {}

void MakeDefaultView(std::optional<bool> gentle) { Window1::Instance(gentle); }

void Main(std::optional<bool> gentle) {
  host::Runtime& runtime = host::Runtime::Current();
  try {
    InitFileTypes();
    NewAppInstance();
    ApplicationAddMenuHandlers();
    MakeDefaultView(gentle);
    runtime.Run();
  } catch (...) {
    runtime.HandleUnhandledException(std::current_exception());
  }
}

void Finalise() {
  ReleaseMedia();
  host::Runtime& runtime = host::Runtime::Current();
  runtime.ReleaseWindows();
  runtime.ReleaseImplicitInstances();
  FileTypes::pText.reset();
  MenuBar1::ReleaseInstance();
}

void PrefetchMedia(host::Runtime& runtime) {
  // In the media table's order: what is heard and seen first, first.
  static constexpr std::pair<host::ResourceKind, int> kOrder[] = {
#define LUMORRA_MEDIUM(kind, number, name, type) {host::ResourceKind::kind, number},
#include "media/media_table.def"
#undef LUMORRA_MEDIUM
  };
  host::ResourceStore* store = runtime.Resources();
  if (!store) return;
  // Only what the screen shows of the photographs is decoded up front: the first frame waits
  // for less, and memory holds less.
  const host::Size screen = runtime.GetBackend().MainScreenSize();
  store->DecodeFirst([screen](int width, int height) {
    return Window1::PhotographRowsShown(screen, width, height);
  });
  if (!UsesMasters(screen.width, screen.height)) {
    store->Prefetch(kOrder);
    return;
  }
  // A screen that shows the masters gets the dark one, which the first frame waits for, and the
  // sounds. The other masters are decoded when the scene asks for them, each just before its
  // copy at the screen's size is made from it, so that they are not all held at once. Where the
  // screen shows copies scaled from the masters, the dark copy is begun here, or the dark copy
  // built in for the screen's size where there is one.
  const host::Size pixels = runtime.GetBackend().MainScreenPixels();
  const auto copies = Window1::MasterCopies(pixels);
  const auto darkCopy = Window1::DarkCopy(pixels);
  std::vector<std::pair<host::ResourceKind, int>> order;
  for (const auto& [kind, number] : kOrder)
    if (kind == host::ResourceKind::Sound)
      order.emplace_back(kind, number);
    else if (number == medium::lowlight1 && darkCopy)
      order.emplace_back(kind, *darkCopy);
    else if (number == medium::lowlight1 && copies)
      store->PrefetchScaled(number + kMasterNumbers, *copies);
    else if (number == medium::lowlight1)
      order.emplace_back(kind, number + kMasterNumbers);
  store->Prefetch(order);
}

int RunProgram(host::Backend& backend, const host::ResourceTable& resources,
               std::optional<bool> gentle) {
  host::Runtime runtime(backend, &resources);
  SetUpIcon(runtime);
  PrefetchMedia(runtime);
  Main(gentle);
  Finalise();
  return runtime.ExitStatus();
}

}  // namespace lumorra
