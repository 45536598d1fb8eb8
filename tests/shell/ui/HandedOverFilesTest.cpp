#include <QDialog>
#include <QFile>
#include <QTemporaryDir>

#include "settings/SettingStore.h"
#include "shell/HandedOverFiles.h"
#include "ui/MainWindowHarness.h"

namespace magtune::shell {

class HandedOverFilesTest : public QObject {
    Q_OBJECT

  private:
    static std::string WriteFile(const test::MainWindowHarness& h, const std::string& name,
                                 std::size_t size = 256) {
        const std::string path = h.path(name);
        QFile file(QString::fromStdString(path));
        if (file.open(QIODevice::WriteOnly)) {
            const settings::SettingStore defaults;
            QByteArray bytes(reinterpret_cast<const char*>(defaults.image.data()),
                             static_cast<qsizetype>(defaults.image.size()));
            bytes.resize(static_cast<qsizetype>(size));
            file.write(bytes);
        }
        return path;
    }
    static HandedOverFiles* Handler(test::MainWindowHarness& h) {
        return new HandedOverFiles(
            h.window, [&h](const std::string& file) { h.window.openSetting().OpenFile(file); },
            &h.window);
    }
    static QString Caption(const std::string& file) {
        return QString::fromStdString(file) + QStringLiteral(" - Magtune Reader");
    }

  private slots:
    void aHandedFileOpensAsFileOpenWould() {
        QTemporaryDir dir;
        test::MainWindowHarness h(dir.path());
        QVERIFY(h.start());
        const std::string kept = WriteFile(h, "kept.cfg");
        const std::string handed = WriteFile(h, "handed.cfg");
        h.window.openSetting().OpenFile(kept);
        h.state.store.Modified = true;
        HandedOverFiles* files = Handler(h);

        // The save question first; Cancel keeps the changed setting.
        h.prompter.answers = {common::Answer::Cancel};
        files->take(handed);
        QTRY_COMPARE(h.prompter.messages.size(), 1u);
        QVERIFY(h.prompter.messages[0].buttons == common::MessageButtons::YesNoCancel);
        QCOMPARE(h.window.openSetting().CurrentFile, kept);
        QVERIFY(h.state.store.Modified);

        h.prompter.answers = {common::Answer::No};
        files->take(handed);
        QTRY_COMPARE(h.window.openSetting().CurrentFile, handed);
        QCOMPARE(h.window.windowTitle(), Caption(handed));
        QCOMPARE(h.action(QStringLiteral("mnuFileMRU0"))->text(),
                 QStringLiteral("&1. ") + QString::fromStdString(handed));

        // A broken file says so and leaves the open setting alone.
        h.prompter.messages.clear();
        files->take(WriteFile(h, "short.cfg", 10));
        QTRY_COMPARE(h.prompter.messages.size(), 1u);
        QCOMPARE(h.prompter.messages[0].text, std::string("Incorrect file format."));
        QCOMPARE(h.window.openSetting().CurrentFile, handed);
        QVERIFY(h.window.close());
    }

    void aFileWaitsForTheOpenDialogAndTheWindowComesUp() {
        QTemporaryDir dir;
        test::MainWindowHarness h(dir.path());
        QVERIFY(h.start());
        const std::string first = WriteFile(h, "first.cfg");
        const std::string second = WriteFile(h, "second.cfg");
        HandedOverFiles* files = Handler(h);
        h.window.showMinimized();
        files->take("");
        QVERIFY(!h.window.isMinimized());
        QVERIFY(h.window.isVisible());

        QDialog dialog(&h.window);
        bool openedMeanwhile = true;
        test::WhenModal([&](QWidget*) {
            files->take(first);
            files->take(second);
            QTimer::singleShot(600, &dialog, [&] {
                openedMeanwhile = !h.window.openSetting().CurrentFile.empty();
                dialog.reject();
            });
        });
        dialog.exec();
        QVERIFY(!openedMeanwhile);
        // Both in turn, once the dialog is gone.
        QTRY_COMPARE(h.window.openSetting().CurrentFile, second);
        QCOMPARE(files->waiting(), 0u);
        QCOMPARE(h.action(QStringLiteral("mnuFileMRU1"))->text(),
                 QStringLiteral("&2. ") + QString::fromStdString(first));
        QVERIFY(h.window.close());
    }
};

int RunHandedOverFilesTests(int argc, char** argv) {
    HandedOverFilesTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::shell

#include "HandedOverFilesTest.moc"
