#include "shell/InstanceListener.h"

#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <filesystem>
#include <system_error>
#include <utility>

#include "shell/InstanceRequest.h"

namespace magtune::shell {
namespace {

constexpr int kRequestTimeMs = 2000;

// One second start's connection, until its request is complete.
class PendingRequest : public QObject {
  public:
    PendingRequest(platform::UnixSocket socket, InstanceListener::Handler& requested,
                   QObject* parent)
        : QObject(parent), socket_(std::move(socket)), requested_(requested) {
        notifier_ = new QSocketNotifier(socket_.fd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &PendingRequest::readWaiting);
        QTimer::singleShot(kRequestTimeMs, this, &PendingRequest::finish);
    }

  private:
    void readWaiting() {
        std::array<std::uint8_t, 1024> buffer{};
        const platform::UnixSocket::ReadResult got = socket_.readSome(buffer, 0);
        if (got.status == platform::UnixSocket::ReadStatus::TimedOut) {
            return;
        }
        if (got.status == platform::UnixSocket::ReadStatus::Closed ||
            reader_.feed(std::span(buffer).first(got.count)) ==
                InstanceRequestReader::Status::Invalid) {
            finish();
            return;
        }
        if (reader_.status() == InstanceRequestReader::Status::Complete) {
            const std::array<std::uint8_t, 1> receipt{kInstanceRequestTaken};
            // A second start that gave up waiting has told its user that
            // the file was not opened: then it is not.
            const bool heard = socket_.writeAll(receipt, 100);
            const std::string file = reader_.file();
            finish();
            if (heard) {
                requested_(file);
            }
        }
    }
    void finish() {
        if (socket_.isOpen()) {
            notifier_->setEnabled(false);
            socket_.close();
            deleteLater();
        }
    }

    platform::UnixSocket socket_;
    InstanceListener::Handler& requested_;
    QSocketNotifier* notifier_ = nullptr;
    InstanceRequestReader reader_;
};

}  // namespace

InstanceListener::InstanceListener(platform::UnixSocket listener, std::string path,
                                   Handler requested, QObject* parent)
    : QObject(parent),
      listener_(std::move(listener)),
      path_(std::move(path)),
      requested_(std::move(requested)) {
    notifier_ = new QSocketNotifier(listener_.fd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &InstanceListener::acceptWaiting);
}

InstanceListener::~InstanceListener() {
    listener_.close();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

void InstanceListener::acceptWaiting() {
    while (std::optional<platform::UnixSocket> connection = listener_.accept()) {
        new PendingRequest(std::move(*connection), requested_, this);
    }
}

}  // namespace magtune::shell
