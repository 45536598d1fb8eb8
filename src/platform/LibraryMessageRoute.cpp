#include "platform/LibraryMessageRoute.h"

#include <atomic>

#include "platform/HostMessages.h"

namespace magtune::platform {
namespace {

std::atomic<common::Prompter*> route{nullptr};
thread_local common::Prompter* threadRoute = nullptr;

}  // namespace

void RouteLibraryMessages(common::Prompter* prompter) {
    route.store(prompter);
}

ThreadLibraryMessageRoute::ThreadLibraryMessageRoute(common::Prompter& prompter)
    : previous_(threadRoute) {
    threadRoute = &prompter;
}

ThreadLibraryMessageRoute::~ThreadLibraryMessageRoute() {
    threadRoute = previous_;
}

namespace {

common::Prompter* CurrentRoute() {
    return threadRoute != nullptr ? threadRoute : route.load();
}

}  // namespace

}  // namespace magtune::platform

#ifdef _WIN32
#define MAGTUNE_HOST_EXPORT __declspec(dllexport)
#else
#define MAGTUNE_HOST_EXPORT __attribute__((visibility("default")))
#endif

extern "C" MAGTUNE_HOST_EXPORT int MagtuneLibraryMessage(int icon, const char* caption,
                                                         const char* text) {
    magtune::common::Prompter* prompter = magtune::platform::CurrentRoute();
    if (prompter == nullptr || text == nullptr) {
        return 0;
    }
    const int last = static_cast<int>(magtune::common::MessageIcon::Question);
    const auto kind = icon >= 0 && icon <= last ? static_cast<magtune::common::MessageIcon>(icon)
                                                : magtune::common::MessageIcon::Warning;
    prompter->show({text, caption ? caption : "", kind, magtune::common::MessageButtons::Ok,
                    magtune::common::Answer::Ok});
    return 1;
}
