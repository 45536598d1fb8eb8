#include <QApplication>
#include <QTemporaryDir>

namespace magtune::shell {
int RunMainWindowTests(int argc, char** argv);
int RunFileCommandsTests(int argc, char** argv);
int RunDataEditingTests(int argc, char** argv);
int RunProgramStartTests(int argc, char** argv);
int RunHelpViewerTests(int argc, char** argv);
int RunHandedOverFilesTests(int argc, char** argv);
}  // namespace magtune::shell

// The main window's test classes in one program, each run in turn.
int main(int argc, char** argv) {
    // Nothing a test runs may touch the user's own preferences or files.
    QTemporaryDir home;
    qputenv("MAGTUNE_REGISTRY_FILE", home.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    using namespace magtune::shell;
    int failed = 0;
    failed |= RunMainWindowTests(argc, argv);
    failed |= RunFileCommandsTests(argc, argv);
    failed |= RunDataEditingTests(argc, argv);
    failed |= RunProgramStartTests(argc, argv);
    failed |= RunHelpViewerTests(argc, argv);
    failed |= RunHandedOverFilesTests(argc, argv);
    return failed;
}
