#include <QApplication>
#include <QTemporaryDir>

namespace magtune::shell {
int RunProvisionWindowTests(int argc, char** argv);
}  // namespace magtune::shell

int main(int argc, char** argv) {
    // Nothing a test runs may touch the user's own preferences or files.
    QTemporaryDir home;
    qputenv("MAGTUNE_REGISTRY_FILE", home.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    return magtune::shell::RunProvisionWindowTests(argc, argv);
}
