#include "shell/WedgeTransportForms.h"

#include <QCoreApplication>

#include "comm/ui/frmDnld.h"
#include "comm/ui/frmTest.h"
#include "comm/ui/frmUpld.h"

namespace magtune::shell {

WedgeTransportForms::WedgeTransportForms(wedge::ZebApiLibrary& library,
                                         settings::SettingStore& store,
                                         const comm::CommOptions& options,
                                         common::Prompter& prompter, platform::Clock& clock,
                                         QWidget* parent)
    : library_(library),
      store_(store),
      options_(options),
      prompter_(prompter),
      clock_(clock),
      parent_(parent),
      keyFilter_([&library](std::uint8_t virtualKey, std::uint8_t scanCode, bool down) {
          return library.keyboardHook(virtualKey, scanCode, down);
      }) {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(&keyFilter_);
    }
}

WedgeTransportForms::~WedgeTransportForms() {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->removeEventFilter(&keyFilter_);
    }
}

bool WedgeTransportForms::download(const settings::ConfigurationImage& image) {
    used_ = true;
    settings::ConfigurationImage sent = image;
    comm::frmDnld form(library_, clock_, prompter_, options_.ProtocolDelay, sent, parent_);
    form.exec();
    return form.succeeded();
}

bool WedgeTransportForms::upload(settings::ConfigurationImage& image) {
    used_ = true;
    comm::frmUpld form(library_, clock_, prompter_, options_.ProtocolDelay, image, parent_);
    form.exec();
    return form.succeeded();
}

void WedgeTransportForms::testPad() {
    comm::frmTest form(store_.CurrentInterface, parent_);
    form.exec();
}

void WedgeTransportForms::releaseDevices() {
    // Only a library that a transfer loaded is asked: the end of the
    // program is no reason to load it.
    if (used_) {
        used_ = false;
        library_.ZebUnloadDriver();
    }
}

}  // namespace magtune::shell
