#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "common/HelpViewer.h"
#include "settings/StringInput.h"
#include "support/FakePrompter.h"

namespace magtune::test {

// Records messages like FakePrompter and, like a real message box, puts a
// window of its own over the dialog while it shows one; the dialog becomes
// active again only afterwards, from the event loop.
class WindowedPrompter : public FakePrompter {
  public:
    common::Answer show(const common::Message& message) override {
        QWidget* owner = QApplication::activeWindow();
        QWidget box;
        box.show();
        QApplication::setActiveWindow(&box);
        static_cast<void>(QTest::qWaitForWindowActive(&box));
        box.close();
        if (owner) {
            QApplication::setActiveWindow(owner);
        }
        return FakePrompter::show(message);
    }
};

// The string input dialog, scripted: each run takes the next reply and
// records the block it was opened with.
class ScriptedInput : public settings::StringInputRunner {
  public:
    struct Reply {
        bool accept = false;
        std::string text;
        int caret = -1;  // -1: after the text
    };
    std::deque<Reply> replies;
    std::vector<settings::InputBlock> opened;

    void accept(std::string text, int caret = -1) {
        replies.push_back({true, std::move(text), caret});
    }
    void cancel() { replies.push_back({false, {}, -1}); }

    bool run(settings::InputBlock& block) override {
        opened.push_back(block);
        block.InputAccepted = false;
        if (replies.empty()) {
            return false;
        }
        const Reply reply = replies.front();
        replies.pop_front();
        if (reply.accept) {
            block.InputText = reply.text;
            block.InputCaret = static_cast<std::int16_t>(
                reply.caret < 0 ? QString::fromStdString(reply.text).size() : reply.caret);
            block.InputAccepted = true;
        }
        return block.InputAccepted;
    }
};

class RecordingHelp : public common::HelpViewer {
  public:
    std::vector<std::string> topics;
    void showTopic(const std::string& topic) override { topics.push_back(topic); }
};

template <class T = QWidget>
T* child(const QWidget* parent, const char* name) {
    T* widget = parent->findChild<T*>(name);
    if (!widget) {
        qWarning("no control %s", name);
    }
    return widget;
}

// Acts on the next modal dialog of type Dialog once its exec() runs: it
// looks for it while the event loop turns. A different modal dialog is
// closed, so that a failing test cannot hang. Nothing happens after the
// action goes out of scope.
template <class Dialog>
class ModalAction {
  public:
    explicit ModalAction(std::function<void(Dialog&)> act) : act_(std::move(act)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<Dialog*>(modal)) {
                timer_.stop();
                found_ = true;
                act_(*dialog);
            } else if (modal) {
                modal->close();
            }
        });
        timer_.start();
    }

    bool found() const { return found_; }

  private:
    std::function<void(Dialog&)> act_;
    QTimer timer_;
    bool found_ = false;
};

// The events of a real double-click: the view takes a double-click only on
// the row it saw pressed.
inline void doubleClickRow(QListWidget* list, int row) {
    QCoreApplication::processEvents();  // the list lays its items out lazily
    const QPoint centre = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre);
}

inline QStringList rowTexts(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        texts << list->item(row)->text();
    }
    return texts;
}

}  // namespace magtune::test
