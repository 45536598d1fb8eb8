#pragma once

// What every screenshot program shares: the offscreen platform unless the
// caller chose one, the output folder from the command line, the fakes the
// dialogs need and the grab-and-save step.
#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QString>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <string>

#include "common/HelpViewer.h"
#include "common/Prompter.h"

namespace magtune::screenshots {

// Answers every message with its default button, so no box stops the run.
class SilentPrompter : public common::Prompter {
  public:
    common::Answer show(const common::Message& message) override { return message.defaultButton; }
    void beep() override {}
};

class NoHelp : public common::HelpViewer {
  public:
    void showTopic(const std::string&) override {}
};

// Grabs the widget as it is now and writes it as folder/name.
inline bool Write(QWidget& widget, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Shows the widget (if it is not shown yet) and lets it paint before the grab.
inline bool Shown(QWidget& widget, const QDir& folder, const QString& name) {
    widget.show();
    QApplication::processEvents();
    return Write(widget, folder, name);
}

// The transfer forms start their transfer when shown: they are laid out and
// drawn without being shown.
inline bool Drawn(QWidget& form, const QDir& folder, const QString& name) {
    form.ensurePolished();
    form.layout()->activate();
    form.adjustSize();
    return Write(form, folder, name);
}

// The whole program: the application on the offscreen platform unless the
// caller chose one, and `render` writing into the folder named by the first
// argument (the working folder without one), created if missing. Exits 1
// when the folder cannot be created or `render` fails.
inline int RunScreenshots(int argc, char* argv[],
                          const std::function<bool(const QDir& folder)>& render) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder.path()));
        return 1;
    }
    return render(folder) ? 0 : 1;
}

}  // namespace magtune::screenshots
