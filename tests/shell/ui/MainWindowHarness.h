#pragma once

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/FilePreferencesStore.h"
#include "settings/FakeFileDialog.h"
#include "shell/AppState.h"
#include "shell/MainWindowServices.h"
#include "shell/frmMain.h"
#include "support/FakePrompter.h"
#include "ui/FakePropertyEditors.h"

namespace magtune::test {

class FakeHelp : public common::HelpViewer {
  public:
    std::vector<std::string> topics;
    void showTopic(const std::string& topic) override { topics.push_back(topic); }
};

// One run of the program's main window over a folder of its own: the
// preferences file and the setting files live there, messages, help, file
// dialogs and the property editors are fakes.
class MainWindowHarness {
  public:
    explicit MainWindowHarness(const QString& folder, bool realEditors = false)
        : folder(folder.toStdString()),
          preferences(this->folder + "/registry.reg"),
          state(this->folder, this->folder),
          services{prompter, help, dialog, preferences, platform::RealFileSystem()},
          editors(state.store),
          window(state, services) {
        if (!realEditors) {
            window.setPropertyEditors(&editors);
        }
    }

    // Loads the preferences and shows the window.
    bool start() {
        const bool loaded = window.load();
        window.show();
        return loaded && QTest::qWaitForWindowExposed(&window);
    }

    std::string path(const std::string& name) const { return folder + "/" + name; }

    template <class T>
    T* find(const QString& name) {
        T* child = window.findChild<T*>(name);
        if (child == nullptr) {
            qWarning("no child %s", qPrintable(name));
        }
        return child;
    }
    QAction* action(const QString& name) { return find<QAction>(name); }
    void trigger(const QString& name) { action(name)->trigger(); }
    QTreeWidget* tree() { return find<QTreeWidget>(QStringLiteral("tvSettings")); }
    QTreeWidget* list() { return find<QTreeWidget>(QStringLiteral("lvProperty")); }
    QString status() { return find<QLabel>(QStringLiteral("sbPanelText"))->text(); }

    QTreeWidgetItem* node(const QString& text) {
        const auto found = tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.constFirst();
    }
    void clickNode(const QString& text) {
        QTreeWidgetItem* item = node(text);
        QVERIFY2(item != nullptr, qPrintable(text));
        tree()->scrollToItem(item);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {},
                          tree()->visualItemRect(item).center());
    }
    QPoint rowPoint(int row) { return list()->visualItemRect(list()->topLevelItem(row)).center(); }
    void clickRow(int row) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rowPoint(row));
    }
    // As the mouse does it: a click, then the second press that makes it a
    // double-click, then its release.
    void doubleClickRow(int row) {
        clickRow(row);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rowPoint(row));
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, rowPoint(row));
    }
    // "label=value" for every row of the list.
    QStringList rows() {
        QStringList out;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list()->topLevelItem(i);
            out << item->text(0) + QLatin1Char('=') + item->text(1);
        }
        return out;
    }
    int selectedRow() {
        const auto selected = list()->selectedItems();
        return selected.isEmpty() ? -1 : list()->indexOfTopLevelItem(selected.constFirst());
    }

    std::string folder;
    FakePrompter prompter;
    FakeHelp help;
    FakeFileDialog dialog;
    platform::FilePreferencesStore preferences;
    shell::AppState state;
    shell::MainWindowServices services;
    FakePropertyEditors editors;
    shell::frmMain window;
};

// Runs `act` on the next modal dialog once it is shown (inside its exec()).
inline void WhenModal(std::function<void(QWidget*)> act, int triesLeft = 200) {
    QTimer::singleShot(5, [act = std::move(act), triesLeft]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
        } else if (triesLeft > 0) {
            WhenModal(std::move(act), triesLeft - 1);
        }
    });
}

inline QStringList Texts(const std::vector<std::string>& texts) {
    QStringList out;
    for (const auto& text : texts) {
        out << QString::fromStdString(text);
    }
    return out;
}

}  // namespace magtune::test
