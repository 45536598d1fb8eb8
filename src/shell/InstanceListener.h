#pragma once

#include <QObject>
#include <functional>
#include <string>

#include "platform/UnixSocket.h"

class QSocketNotifier;

namespace magtune::shell {

// The running instance's end of the local socket through which a second
// start hands over its setting file (see InstanceRequest.h). Each complete
// request gets its receipt at once and is passed to `requested` (the file,
// empty for none) unless the second start was gone by then; a connection that sends rubbish, too
// much or nothing for two seconds is dropped unanswered.
class InstanceListener : public QObject {
    Q_OBJECT

  public:
    using Handler = std::function<void(const std::string& file)>;

    // `listener` listens at `path`; the socket file is removed again when
    // the listener goes (this process holds the instance lock, so the file
    // is its own).
    InstanceListener(platform::UnixSocket listener, std::string path, Handler requested,
                     QObject* parent = nullptr);
    ~InstanceListener() override;

  private:
    void acceptWaiting();

    platform::UnixSocket listener_;
    std::string path_;
    Handler requested_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace magtune::shell
