#include "platform/LibraryMessageRoute.h"

#include <atomic>

#include "platform/HostMessages.h"

namespace magtune {
namespace {

std::atomic<Prompter*> route{nullptr};
thread_local Prompter* threadRoute = nullptr;

}  // namespace

void RouteLibraryMessages(Prompter* prompter) {
    route.store(prompter);
}

ThreadLibraryMessageRoute::ThreadLibraryMessageRoute(Prompter& prompter) : previous_(threadRoute) {
    threadRoute = &prompter;
}

ThreadLibraryMessageRoute::~ThreadLibraryMessageRoute() {
    threadRoute = previous_;
}

namespace {

Prompter* CurrentRoute() {
    return threadRoute != nullptr ? threadRoute : route.load();
}

}  // namespace

}  // namespace magtune

#ifdef _WIN32
#define MAGTUNE_HOST_EXPORT __declspec(dllexport)
#else
#define MAGTUNE_HOST_EXPORT __attribute__((visibility("default")))
#endif

extern "C" MAGTUNE_HOST_EXPORT int MagtuneLibraryMessage(int icon, const char* caption,
                                                         const char* text) {
    magtune::Prompter* prompter = magtune::CurrentRoute();
    if (prompter == nullptr || text == nullptr) {
        return 0;
    }
    const int last = static_cast<int>(magtune::MessageIcon::Question);
    const auto kind = icon >= 0 && icon <= last ? static_cast<magtune::MessageIcon>(icon)
                                                : magtune::MessageIcon::Warning;
    prompter->show(
        {text, caption ? caption : "", kind, magtune::MessageButtons::Ok, magtune::Answer::Ok});
    return 1;
}
