#pragma once

#include "common/Prompter.h"

namespace magtune::platform {

// Shows the messages of the loaded libraries (zebapi, OruUsbHidCtrl and the
// server it started) through `prompter`, on the thread of the library call
// that brings them; nullptr stops it, and the libraries write to standard
// error again. The prompter must outlive the routing.
//
// Linking this into a program exports the function the libraries look for
// (see HostMessages.h).
void RouteLibraryMessages(common::Prompter* prompter);

// Routes the messages of the library calls made on this thread to
// `prompter` while it exists, ahead of the route above: a worker thread's
// calls tell their own reader's row instead of showing message boxes.
class ThreadLibraryMessageRoute {
  public:
    explicit ThreadLibraryMessageRoute(common::Prompter& prompter);
    ~ThreadLibraryMessageRoute();
    ThreadLibraryMessageRoute(const ThreadLibraryMessageRoute&) = delete;
    ThreadLibraryMessageRoute& operator=(const ThreadLibraryMessageRoute&) = delete;

  private:
    common::Prompter* previous_;
};

// Routes the messages to `prompter` for its own lifetime.
class LibraryMessageRoute {
  public:
    explicit LibraryMessageRoute(common::Prompter& prompter) { RouteLibraryMessages(&prompter); }
    ~LibraryMessageRoute() { RouteLibraryMessages(nullptr); }
    LibraryMessageRoute(const LibraryMessageRoute&) = delete;
    LibraryMessageRoute& operator=(const LibraryMessageRoute&) = delete;
};

}  // namespace magtune::platform
