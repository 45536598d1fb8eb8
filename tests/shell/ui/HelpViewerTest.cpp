#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "common/ui/DesktopHelpViewer.h"
#include "support/FakePrompter.h"

namespace magtune::shell {

class HelpViewerTest : public QObject {
    Q_OBJECT

  private slots:
    void withoutABrowserTheUserIsToldWhatToDo() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("html")));
        QFile page(dir.filePath(QStringLiteral("html/msr.htm")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        // Nothing on the search path opens a page.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", dir.filePath(QStringLiteral("no-such-folder")).toLocal8Bit());
        test::FakePrompter prompter;
        common::DesktopHelpViewer help(dir.path().toStdString(), prompter);
        help.showTopic("::/html/msr.htm");
        qputenv("PATH", path);
        QCOMPARE(prompter.messages.size(), 1u);
        QCOMPARE(prompter.messages[0].text,
                 "No browser could open " + page.fileName().toStdString() +
                     ".\n\nInstall xdg-utils and a web browser, or open the page in a web "
                     "browser yourself.");
    }
};

int RunHelpViewerTests(int argc, char** argv) {
    HelpViewerTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::shell

#include "HelpViewerTest.moc"
