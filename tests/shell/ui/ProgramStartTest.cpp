#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <signal.h>

#include <filesystem>
#include <fstream>

#include "platform/InstanceLock.h"
#include "platform/UnixSocket.h"
#include "settings/RecoveryCopy.h"
#include "settings/SettingStore.h"
#include "shell/LazyIconStyle.h"
#include "shell/ShutdownSignals.h"
#include "ui/MainWindowHarness.h"

namespace magtune::shell {

class ProgramStartTest : public QObject {
    Q_OBJECT

  private:
    static QProcessEnvironment Environment(const QTemporaryDir& dir) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        env.insert(QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state")));
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

    // Whether the process catches SIGTERM yet: a signal sent before it does
    // would end it at once.
    static bool CatchesTermination(qint64 pid) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("SigCgt:", 0) == 0) {
                const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
                return (mask >> (SIGTERM - 1) & 1) != 0;
            }
        }
        return false;
    }
    // Starts the program for real (no start-up probe) and ends it with
    // SIGTERM once it is up; its exit code, or -1 when it did not end.
    static int TerminatedRun(const QTemporaryDir& dir, const QStringList& arguments) {
        QProcess program;
        QProcessEnvironment env = Environment(dir);
        env.remove(QStringLiteral("MAGTUNE_STARTUP_PROBE"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(MAGTUNE_PROGRAM_PATH), arguments);
        if (!program.waitForStarted(60000)) {
            return -1;
        }
        for (int i = 0; i < 6000 && !CatchesTermination(program.processId()); ++i) {
            QTest::qWait(10);
        }
        // Up and waiting in its event loop (or in the recovery question).
        QTest::qWait(300);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        if (!program.waitForFinished(30000)) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    }
    // The processors a thread may run on, as the kernel lists them.
    static std::string AllowedProcessors(const std::string& status) {
        std::ifstream file(status);
        std::string line;
        while (std::getline(file, line)) {
            if (line.rfind("Cpus_allowed_list:", 0) == 0) {
                return line.substr(line.find_first_not_of(" \t", 18));
            }
        }
        return {};
    }
    // Each thread of `pid` that does not have `expected`, as "tid: list".
    static QStringList ThreadsNotAllowed(qint64 pid, const std::string& expected) {
        QStringList wrong;
        std::error_code error;
        const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
        for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
            const std::string allowed = AllowedProcessors((task.path() / "status").string());
            if (!allowed.empty() && allowed != expected) {
                wrong << QString::fromStdString(task.path().filename().string() + ": " + allowed);
            }
        }
        return wrong;
    }
    static std::string RecoveryPath(const QTemporaryDir& dir) {
        return dir.filePath(QStringLiteral("state/magtune/recovery.mtrc")).toStdString();
    }

  private slots:
    // The program's style reads the bars' extension icons when they are
    // drawn; they, and every other icon, look as the base style draws them.
    void theStyleDrawsItsBaseStylesIcons() {
        LazyIconStyle style;
        for (const QStyle::StandardPixmap which :
             {QStyle::SP_ToolBarHorizontalExtensionButton,
              QStyle::SP_ToolBarVerticalExtensionButton, QStyle::SP_MessageBoxWarning}) {
            const QIcon shown = style.standardIcon(which);
            const QIcon own = style.baseStyle()->standardIcon(which);
            QVERIFY(!own.isNull());
            QVERIFY(!shown.isNull());
            for (const int size : {16, 32}) {
                QCOMPARE(shown.pixmap(size).toImage(), own.pixmap(size).toImage());
            }
            // A copy of a deferred icon (QAction, QToolButton) draws the same.
            const QIcon copy = shown;
            QCOMPARE(copy.pixmap(16).toImage(), own.pixmap(16).toImage());
        }
    }

    void aSignalKeepsAChangedSettingForTheNextStart() {
        QTemporaryDir dir;
        const std::string copyPath = RecoveryPath(dir);
        const std::string file = dir.filePath(QStringLiteral("desk.cfg")).toStdString();
        settings::ConfigurationImage kept{};
        std::int32_t changedTone = 0;
        {
            test::MainWindowHarness h(dir.path());
            h.window.setRecoveryCopyPath(copyPath);
            ShutdownSignals shutdown([&h] { h.window.closeForShutdown(); });
            QVERIFY(h.start());
            h.trigger(QStringLiteral("mnuFileNew"));
            h.dialog.choices = {file};
            h.trigger(QStringLiteral("mnuFileSaveAs"));
            changedTone = h.state.store.settings.BeepTone.current == 0 ? 1 : 0;
            h.state.store.settings.BeepTone.current = changedTone;
            h.state.store.Modified = true;
            QVERIFY(h.window.isVisible());

            ::kill(::getpid(), SIGTERM);
            QTRY_VERIFY_WITH_TIMEOUT(!h.window.isVisible(), 5000);
            // Nobody was asked anything, and the preferences were written.
            QVERIFY(h.prompter.messages.empty());
            kept = h.state.store.image;
        }
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("registry.reg"))));
        const auto copy = settings::ReadRecoveryCopy(platform::RealFileSystem(), copyPath);
        QVERIFY(copy.has_value());
        QCOMPARE(copy->file, file);
        QCOMPARE(copy->device, std::string());
        QVERIFY(copy->image == kept);

        test::MainWindowHarness again(dir.path());
        again.window.setRecoveryCopyPath(copyPath);
        again.prompter.answers = {common::Answer::Yes};
        QVERIFY(again.start());
        QTRY_COMPARE_WITH_TIMEOUT(again.prompter.messages.size(), 1u, 5000);
        const common::Message& asked = again.prompter.messages[0];
        QCOMPARE(asked.text, "Magtune Reader was ended before the changes to " + file +
                                 " were saved. Restore the changed setting?");
        QCOMPARE(asked.caption, std::string("Magtune Reader"));
        QVERIFY(asked.icon == common::MessageIcon::Question);
        QVERIFY(asked.buttons == common::MessageButtons::YesNo);
        // Open again under its name, still changed, and the copy used up.
        QCOMPARE(again.window.windowTitle(),
                 QString::fromStdString(file) + QStringLiteral(" - Magtune Reader*"));
        QCOMPARE(again.state.store.settings.BeepTone.current, changedTone);
        QVERIFY(again.state.store.Modified);
        QVERIFY(again.tree()->topLevelItemCount() == 1);
        QVERIFY(!QFile::exists(QString::fromStdString(copyPath)));
        // The file on disk still holds what was saved before the change.
        again.prompter.answers = {common::Answer::No};
        QVERIFY(again.window.close());
    }

    void aRefusedRecoveryCopyIsDeleted() {
        QTemporaryDir dir;
        const std::string copyPath = RecoveryPath(dir);
        settings::RecoveryCopy copy;
        copy.device = "Tarvik MSR";
        platform::SystemError error;
        QVERIFY(settings::WriteRecoveryCopy(platform::RealFileSystem(), copyPath, copy, error));

        test::MainWindowHarness h(dir.path());
        h.window.setRecoveryCopyPath(copyPath);
        h.prompter.answers = {common::Answer::No};
        QVERIFY(h.start());
        QTRY_COMPARE_WITH_TIMEOUT(h.prompter.messages.size(), 1u, 5000);
        QVERIFY(!QFile::exists(QString::fromStdString(copyPath)));
        QCOMPARE(h.tree()->topLevelItemCount(), 0);
        QCOMPARE(h.window.windowTitle(), QStringLiteral("Magtune Reader"));
    }

    // The program draws its first frame on one processor; from then on each
    // of its threads, Qt's drawing threads too, may use every processor the
    // program was started with.
    void onceTheWindowIsUpEveryThreadMayUseEveryProcessor() {
        const std::string ours = AllowedProcessors("/proc/self/status");
        if (ours.find_first_of(",-") == std::string::npos) {
            QSKIP("this machine lets the test run on one processor only");
        }
        QTemporaryDir dir;
        QProcess first;
        QVERIFY(StartFirst(first, dir));
        // A first start saves its preferences once the first frame is drawn,
        // and puts its threads back just before.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(QStringLiteral("registry.reg"))),
                                 30000);
        QCOMPARE(ThreadsNotAllowed(first.processId(), ours), QStringList());
        QCOMPARE(Terminate(first), 0);
    }

    void sigtermClosesTheProgramWithoutAQuestion() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("front.cfg"));
        {
            QFile setting(file);
            QVERIFY(setting.open(QIODevice::WriteOnly));
            const settings::SettingStore defaults;
            setting.write(reinterpret_cast<const char*>(defaults.image.data()),
                          static_cast<qint64>(defaults.image.size()));
        }
        QCOMPARE(TerminatedRun(dir, {file}), 0);
        // The preferences were written, with the file opened at start as the
        // first recent entry; an unchanged setting needs no recovery copy.
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("registry.reg"))));
        test::MainWindowHarness again(dir.path());
        QVERIFY(again.start());
        QCOMPARE(again.action(QStringLiteral("mnuFileMRU0"))->text(),
                 QStringLiteral("&1. ") + file);
        QVERIFY(!QFile::exists(QString::fromStdString(RecoveryPath(dir))));
    }

    void sigtermDuringTheRecoveryQuestionKeepsTheCopy() {
        QTemporaryDir dir;
        settings::RecoveryCopy copy;
        copy.file = dir.filePath(QStringLiteral("desk.cfg")).toStdString();
        copy.image.fill(0x21);
        platform::SystemError error;
        QVERIFY(settings::WriteRecoveryCopy(platform::RealFileSystem(), RecoveryPath(dir), copy,
                                            error));
        QCOMPARE(TerminatedRun(dir, {}), 0);
        QVERIFY(settings::ReadRecoveryCopy(platform::RealFileSystem(), RecoveryPath(dir)) == copy);
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("registry.reg"))));
    }

    void firstStartTakesItsLayoutFromTheScreen() {
        QTemporaryDir dir;
        test::MainWindowHarness h(dir.path());
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
        for (std::int32_t value : {layout.Splitter, layout.Column1Width}) {
            QVERIFY2(std::abs(value - third) <= scale.toTwips(1),
                     qPrintable(QString::number(value)));
        }
        // The second column gives up what the list's frame and scroll bar
        // take, so that no horizontal scroll bar is needed.
        QVERIFY(layout.Column2Width < third);
        QVERIFY(third - layout.Column2Width <= scale.toTwips(40));
        QVERIFY(h.list()->header()->length() <= h.list()->viewport()->width());
    }

    void layoutOptionsAndRecentFilesSurviveARestart() {
        QTemporaryDir dir;
        WindowLayout stored;
        {
            test::MainWindowHarness h(dir.path());
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

        test::MainWindowHarness again(dir.path());
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
            test::MainWindowHarness h(dir.path());
            QVERIFY(h.start());
            h.window.resize(640, 400);
            QTest::qWait(1);
            stored = h.window.windowLayout();
            QVERIFY(h.window.close());
        }
        {
            test::MainWindowHarness h(dir.path());
            QVERIFY(h.start());
            h.window.resize(500, 300);
            h.state.options.UsbDelay = 12;
            h.window.showMinimized();
            QVERIFY(h.window.isMinimized());
            QVERIFY(h.window.close());
        }
        test::MainWindowHarness last(dir.path());
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
            test::MainWindowHarness h(dir.path());
            QVERIFY(h.start());
            QCOMPARE(h.prompter.messages.size(), 1u);
            QVERIFY(QString::fromStdString(h.prompter.messages[0].text)
                        .contains(QStringLiteral("registry.reg.bak")));
            QVERIFY(h.window.close());
        }
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("registry.reg.bak"))));
        test::MainWindowHarness again(dir.path());
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

  private:
    static QString WriteSettingFile(const QString& path, qsizetype size = 256) {
        QFile setting(path);
        if (!setting.open(QIODevice::WriteOnly)) {
            return {};
        }
        const settings::SettingStore defaults;
        QByteArray bytes(reinterpret_cast<const char*>(defaults.image.data()),
                         static_cast<qsizetype>(defaults.image.size()));
        bytes.resize(size);
        setting.write(bytes);
        return path;
    }
    static QString ChannelPath(const QTemporaryDir& dir) {
        return dir.filePath(QStringLiteral("magtune-%1.sock").arg(::getuid()));
    }
    // A second start from `folder`: its exit code (-1 when it did not end)
    // and what it wrote.
    static int SecondStart(const QTemporaryDir& dir, const QStringList& arguments,
                           const QString& folder, QByteArray& output, QByteArray& errors) {
        QProcess second;
        second.setProcessEnvironment(Environment(dir));
        second.setWorkingDirectory(folder);
        second.start(QStringLiteral(MAGTUNE_PROGRAM_PATH), arguments);
        if (!second.waitForFinished(20000)) {
            second.kill();
            second.waitForFinished();
            return -1;
        }
        output = second.readAllStandardOutput();
        errors = second.readAllStandardError();
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -2;
    }
    static bool StartFirst(QProcess& first, const QTemporaryDir& dir) {
        QProcessEnvironment env = Environment(dir);
        env.remove(QStringLiteral("MAGTUNE_STARTUP_PROBE"));
        first.setProcessEnvironment(env);
        first.start(QStringLiteral(MAGTUNE_PROGRAM_PATH), QStringList{});
        if (!first.waitForStarted(60000)) {
            return false;
        }
        for (int i = 0; i < 6000 && !CatchesTermination(first.processId()); ++i) {
            QTest::qWait(10);
        }
        return CatchesTermination(first.processId());
    }
    static int Terminate(QProcess& program) {
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        if (!program.waitForFinished(30000)) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    }
    // The first recent entry as the next start shows it.
    static QString FirstRecentEntry(const QTemporaryDir& dir) {
        test::MainWindowHarness again(dir.path());
        if (!again.start()) {
            return {};
        }
        return again.action(QStringLiteral("mnuFileMRU0"))->text();
    }

  private slots:
    void secondStartHandsItsFileToTheRunningInstance_data() {
        QTest::addColumn<bool>("staleSocket");
        QTest::newRow("clean start") << false;
        QTest::newRow("socket of a killed instance left") << true;
    }
    void secondStartHandsItsFileToTheRunningInstance() {
        QFETCH(bool, staleSocket);
        QTemporaryDir dir;
        if (staleSocket) {
            platform::SystemError error;
            auto left = platform::UnixSocket::listenAt(ChannelPath(dir).toStdString(), error);
            QVERIFY(left.has_value());
            left->close();
            QVERIFY(QFileInfo(ChannelPath(dir)).exists());
        }
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("desk")));
        const QString file = WriteSettingFile(dir.filePath(QStringLiteral("desk/front.cfg")));
        QVERIFY(!file.isEmpty());
        QProcess first;
        QVERIFY(StartFirst(first, dir));

        // From another folder, with the path as a file manager or a shell
        // in that folder gives it.
        QByteArray output;
        QByteArray errors;
        QCOMPARE(
            SecondStart(dir, {QStringLiteral("front.cfg")}, dir.filePath("desk"), output, errors),
            0);
        QCOMPARE(output, QByteArray());
        QCOMPARE(errors, QByteArray());
        // A second start without a file only brings the window up.
        QCOMPARE(SecondStart(dir, {}, dir.path(), output, errors), 0);
        QCOMPARE(errors, QByteArray());
        QTest::qWait(300);
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(Terminate(first), 0);
        QCOMPARE(FirstRecentEntry(dir), QStringLiteral("&1. ") + file);
        // The socket went with the instance.
        QVERIFY(!QFileInfo::exists(ChannelPath(dir)));
        QCOMPARE(QFileInfo(dir.path()).permissions() &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                      QFile::WriteOther | QFile::ExeOther),
                 QFile::Permissions());
    }

    void secondStartWhoseHandOverFailsStillEndsAtOnce_data() {
        QTest::addColumn<bool>("listening");
        QTest::newRow("running instance without its socket") << false;
        QTest::newRow("running instance hung") << true;
    }
    void secondStartWhoseHandOverFailsStillEndsAtOnce() {
        QFETCH(bool, listening);
        QTemporaryDir dir;
        const std::string lockPath =
            dir.filePath(QStringLiteral("magtune-%1.lock").arg(::getuid())).toStdString();
        platform::InstanceLock first(lockPath);
        QVERIFY(first.state() == platform::InstanceLock::State::Held);
        // Listens but never answers, as a hung instance would.
        std::optional<platform::UnixSocket> hung;
        if (listening) {
            platform::SystemError error;
            hung = platform::UnixSocket::listenAt(ChannelPath(dir).toStdString(), error);
            QVERIFY(hung.has_value());
        }
        const QString file = WriteSettingFile(dir.filePath(QStringLiteral("a.cfg")));
        QByteArray output;
        QByteArray errors;
        QCOMPARE(SecondStart(dir, {file}, dir.path(), output, errors), 0);
        QCOMPARE(output, QByteArray());
        QVERIFY2(errors.startsWith("magtune: Magtune is running, but "), errors.constData());
        QVERIFY2(errors.endsWith("; not opened: " + file.toLocal8Bit() + ".\n"),
                 errors.constData());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("registry.reg"))));
    }
};

int RunProgramStartTests(int argc, char** argv) {
    ProgramStartTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::shell

#include "ProgramStartTest.moc"
