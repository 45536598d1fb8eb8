#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include "platform/InstanceLock.h"
#include "ui/MainWindowHarness.h"

namespace magtune::test {

class ProgramStartTest : public QObject {
    Q_OBJECT

  private:
    static QProcessEnvironment Environment(const QTemporaryDir& dir) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        env.insert(QStringLiteral("MAGTUNE_REGISTRY_FILE"), dir.filePath("registry.reg"));
        env.insert(QStringLiteral("MAGTUNE_STARTUP_PROBE"), QStringLiteral("1"));
        return env;
    }
    static QByteArray RunProgram(const QTemporaryDir& dir, int& exitCode) {
        QProcess program;
        program.setProcessEnvironment(Environment(dir));
        program.start(QStringLiteral(MAGTUNE_PROGRAM_PATH), QStringList{});
        if (!program.waitForFinished(60000)) {
            program.kill();
            program.waitForFinished();
            exitCode = -1;
            return {};
        }
        exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
        return program.readAllStandardOutput();
    }

  private slots:
    void firstStartTakesItsLayoutFromTheScreen() {
        QTemporaryDir dir;
        MainWindowHarness h(dir.path());
        QVERIFY(h.start());
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const TwipScale& scale = h.window.scale();
        const std::int32_t width = scale.toTwips(screen.width());
        const std::int32_t height = scale.toTwips(screen.height());
        const WindowLayout layout = h.window.windowLayout();
        QCOMPARE(layout.MainLeft, width / 10);
        QCOMPARE(layout.MainTop, height / 10);
        QCOMPARE(layout.MainWidth, width * 8 / 10);
        QCOMPARE(layout.MainHeight, height * 8 / 10);
        const std::int32_t third = (layout.MainWidth - 40) / 3;
        // Each within a pixel of a third of the client width.
        for (std::int32_t value : {layout.Splitter, layout.Column1Width, layout.Column2Width}) {
            QVERIFY2(std::abs(value - third) <= scale.toTwips(1),
                     qPrintable(QString::number(value)));
        }
    }

    void layoutOptionsAndRecentFilesSurviveARestart() {
        QTemporaryDir dir;
        WindowLayout stored;
        {
            MainWindowHarness h(dir.path());
            QVERIFY(h.start());
            h.window.move(30, 20);
            h.window.resize(700, 420);
            QTest::qWait(1);
            h.list()->setColumnWidth(0, 150);
            h.list()->setColumnWidth(1, 220);
            h.state.options.ReadIntervalTimeout = 250;
            h.state.serial.CurrentComIndex = 4;
            h.state.store.CurrentInterface = 1;
            h.trigger(QStringLiteral("New"));
            h.dialog.choices = {h.path("kept.cfg")};
            h.trigger(QStringLiteral("mnuFileSaveAs"));
            stored = h.window.windowLayout();
            QVERIFY(h.window.close());
            QVERIFY(h.prompter.messages.empty());
        }
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("registry.reg"))));

        MainWindowHarness again(dir.path());
        QVERIFY(again.start());
        QCOMPARE(again.window.windowLayout(), stored);
        QCOMPARE(again.window.pos(), QPoint(30, 20));
        QCOMPARE(again.window.size(), QSize(700, 420));
        QCOMPARE(again.list()->columnWidth(1), 220);
        QCOMPARE(again.state.options.ReadIntervalTimeout, 250);
        QCOMPARE(again.state.serial.CurrentComIndex, 4);
        QCOMPARE(again.state.store.CurrentInterface, 1);
        QCOMPARE(again.action(QStringLiteral("mnuFileMRU0"))->text(),
                 QStringLiteral("&1. ") + QString::fromStdString(again.path("kept.cfg")));
        // No file is opened at start.
        QCOMPARE(again.tree()->topLevelItemCount(), 0);
    }

    void leavingWhileMinimizedKeepsTheStoredLayout() {
        QTemporaryDir dir;
        WindowLayout stored;
        {
            MainWindowHarness h(dir.path());
            QVERIFY(h.start());
            h.window.resize(640, 400);
            QTest::qWait(1);
            stored = h.window.windowLayout();
            QVERIFY(h.window.close());
        }
        {
            MainWindowHarness h(dir.path());
            QVERIFY(h.start());
            h.window.resize(500, 300);
            h.state.options.UsbDelay = 12;
            h.window.showMinimized();
            QVERIFY(h.window.isMinimized());
            QVERIFY(h.window.close());
        }
        MainWindowHarness last(dir.path());
        QVERIFY(last.start());
        QCOMPARE(last.window.windowLayout(), stored);
        QCOMPARE(last.state.options.UsbDelay, 12);
    }

    void unreadablePreferencesAreReportedOnce() {
        QTemporaryDir dir;
        {
            QFile file(dir.filePath(QStringLiteral("registry.reg")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("this is no registry export\n");
        }
        {
            MainWindowHarness h(dir.path());
            QVERIFY(h.start());
            QCOMPARE(h.prompter.messages.size(), 1u);
            QVERIFY(QString::fromStdString(h.prompter.messages[0].text)
                        .contains(QStringLiteral("registry.reg.bak")));
            QVERIFY(h.window.close());
        }
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("registry.reg.bak"))));
        MainWindowHarness again(dir.path());
        QVERIFY(again.start());
        QVERIFY(again.prompter.messages.empty());
    }

    void programShowsItsWindowAndRemovesTheEchoTrace() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("magtune")));
        const QString trace = dir.filePath(QStringLiteral("magtune/zebecho.txt"));
        {
            QFile file(trace);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("keys");
        }
        int exitCode = 0;
        const QByteArray output = RunProgram(dir, exitCode);
        QCOMPARE(exitCode, 0);
        QVERIFY2(output.startsWith("first-show-ms "), output.constData());
        QVERIFY(!QFile::exists(trace));
    }

    void secondStartEndsSilently() {
        QTemporaryDir dir;
        const std::string lockPath =
            dir.filePath(QStringLiteral("magtune-%1.lock").arg(::getuid())).toStdString();
        InstanceLock first(lockPath);
        QVERIFY(first.state() == InstanceLock::State::Held);
        int exitCode = -1;
        const QByteArray output = RunProgram(dir, exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(output, QByteArray());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("registry.reg"))));
    }
};

int RunProgramStartTests(int argc, char** argv) {
    ProgramStartTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::test

#include "ProgramStartTest.moc"
