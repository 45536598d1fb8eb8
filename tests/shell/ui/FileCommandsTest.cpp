#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

#include "ui/FakeTransferCommands.h"
#include "ui/MainWindowHarness.h"

namespace magtune::shell {

class FileCommandsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<test::MainWindowHarness> h_;

    void writeFile(const std::string& path, int size) {
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, '\0'));
    }
    // A setting file of defaults, saved through the window.
    void saveNewAs(const std::string& path) {
        h_->trigger(QStringLiteral("mnuFileNew"));
        h_->dialog.choices = {path};
        h_->trigger(QStringLiteral("mnuFileSaveAs"));
    }
    void makeChange() {
        h_->clickNode(QStringLiteral("Beeps and Delays"));
        h_->editors.onValue = [](settings::SettingStore& store) {
            store.settings.BeepTone.current = 0;
            store.Modified = true;
        };
        h_->clickRow(0);
        QTest::keyClick(h_->list(), Qt::Key_Return);
        QVERIFY(h_->window.windowTitle().endsWith(QLatin1Char('*')));
    }
    QString title(const std::string& name) {
        return QString::fromStdString(name) + QStringLiteral(" - Magtune Reader");
    }
    QStringList recentMenu() {
        QStringList out;
        for (int i = 0; i < 4; ++i) {
            QAction* item = h_->action(QStringLiteral("mnuFileMRU%1").arg(i));
            if (item->isVisible()) {
                out << item->text();
            }
        }
        return out;
    }
    QStringList openCommands() {
        QStringList out;
        for (const char* name : {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs",
                                 "mnuSettingDownload", "Save", "Download"}) {
            if (h_->action(QString::fromLatin1(name))->isEnabled()) {
                out << QString::fromLatin1(name);
            }
        }
        return out;
    }
    const QStringList allOpenCommands{"mnuFileClose",       "mnuFileSave", "mnuFileSaveAs",
                                      "mnuSettingDownload", "Save",        "Download"};

  private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        h_ = std::make_unique<test::MainWindowHarness>(dir_->path());
        QVERIFY(h_->start());
    }
    void cleanup() {
        h_.reset();
        dir_.reset();
    }

    void saveAfterNewAsksForANameAndRemembersTheFile() {
        h_->trigger(QStringLiteral("New"));
        QCOMPARE(openCommands(), allOpenCommands);
        const std::string path = h_->path("first.cfg");
        h_->dialog.choices = {path};
        h_->trigger(QStringLiteral("Save"));

        QCOMPARE(h_->dialog.requests.size(), 1u);
        const settings::FileDialogRequest& request = h_->dialog.requests[0];
        QVERIFY(request.kind == settings::FileDialogRequest::Kind::Save);
        QCOMPARE(QString::fromStdString(request.title), QStringLiteral("Save as"));
        QCOMPARE(QString::fromStdString(request.filter),
                 QStringLiteral("Setting File(*.cfg) | *.cfg"));
        QCOMPARE(QString::fromStdString(request.defaultExtension), QStringLiteral("cfg"));
        QCOMPARE(request.initialFolder, h_->folder + "/");
        QVERIFY(request.promptBeforeOverwrite);

        QCOMPARE(QFileInfo(QString::fromStdString(path)).size(), 256);
        QCOMPARE(h_->window.windowTitle(), title(path));
        QVERIFY(h_->action(QStringLiteral("mnuFileBar3"))->isVisible());
        QCOMPARE(recentMenu(), QStringList{"&1. " + QString::fromStdString(path)});
    }

    void openShowsTheFileAndCloseEmptiesTheWindow() {
        const std::string path = h_->path("kept.cfg");
        saveNewAs(path);
        h_->trigger(QStringLiteral("mnuFileClose"));
        QCOMPARE(h_->window.windowTitle(), QStringLiteral("Magtune Reader"));
        QCOMPARE(h_->tree()->topLevelItemCount(), 0);
        QCOMPARE(h_->status(), QStringLiteral("Ready"));
        QCOMPARE(openCommands(), QStringList{});

        h_->dialog.choices = {path};
        h_->trigger(QStringLiteral("Open"));
        const settings::FileDialogRequest& request = h_->dialog.requests.back();
        QVERIFY(request.kind == settings::FileDialogRequest::Kind::Open);
        QCOMPARE(QString::fromStdString(request.title), QStringLiteral("Open"));
        QCOMPARE(QString::fromStdString(request.filter),
                 QStringLiteral("Setting Files (*.cfg)|*.cfg"));
        QVERIFY(request.fileMustExist);
        QCOMPARE(h_->window.windowTitle(), title(path));
        QCOMPARE(h_->tree()->topLevelItemCount(), 1);
        QCOMPARE(openCommands(), allOpenCommands);
        QVERIFY(!h_->action(QStringLiteral("Add"))->isEnabled());
    }

    void filesThatCannotBeReadAreReportedAndForgotten() {
        const std::string good = h_->path("good.cfg");
        saveNewAs(good);
        const std::string shortFile = h_->path("short.cfg");
        writeFile(shortFile, 255);
        h_->dialog.choices = {shortFile};
        h_->trigger(QStringLiteral("mnuFileOpen"));
        h_->dialog.choices = {h_->path("missing.cfg")};
        h_->trigger(QStringLiteral("mnuFileOpen"));
        QCOMPARE(test::Texts(h_->prompter.texts()),
                 (QStringList{
                     "Incorrect file format.",
                     QString::fromStdString("Failed to open " + h_->path("missing.cfg") + ".")}));
        QCOMPARE(recentMenu(), QStringList{"&1. " + QString::fromStdString(good)});
    }

    void recentMenuKeepsTheFourLatestAndOpensThem() {
        std::vector<std::string> files;
        for (int i = 1; i <= 5; ++i) {
            files.push_back(h_->path("file" + std::to_string(i) + ".cfg"));
            saveNewAs(files.back());
        }
        auto entry = [&files](int rank, int file) {
            return QStringLiteral("&%1. ").arg(rank) +
                   QString::fromStdString(files[static_cast<std::size_t>(file)]);
        };
        QCOMPARE(recentMenu(), (QStringList{entry(1, 4), entry(2, 3), entry(3, 2), entry(4, 1)}));

        h_->trigger(QStringLiteral("mnuFileMRU2"));
        QCOMPARE(h_->window.windowTitle(), title(files[2]));
        QCOMPARE(recentMenu(), (QStringList{entry(1, 2), entry(2, 4), entry(3, 3), entry(4, 1)}));

        // A recent file that is gone is reported and leaves the menu.
        QFile::remove(QString::fromStdString(files[3]));
        h_->trigger(QStringLiteral("mnuFileMRU2"));
        QCOMPARE(recentMenu(), (QStringList{entry(1, 2), entry(2, 4), entry(3, 1)}));
        QCOMPARE(test::Texts(h_->prompter.texts()),
                 QStringList{QString::fromStdString("Failed to open " + files[3] + ".")});
    }

    void ampersandInAFileNameIsNoAccessKey() {
        const std::string path = h_->path("R&D.cfg");
        saveNewAs(path);
        QCOMPARE(recentMenu(), QStringList{QStringLiteral("&1. ") +
                                           QString::fromStdString(h_->path("R&&D.cfg"))});
    }

    void yesThenCancelledSaveAsKeepsTheSettingOpen() {
        const auto registryText = [this] {
            QFile file(QString::fromStdString(h_->path("registry.reg")));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray registryAtStart = registryText();
        h_->trigger(QStringLiteral("New"));
        makeChange();
        const QString changed = h_->window.windowTitle();
        h_->prompter.answers = {common::Answer::Yes, common::Answer::Yes};

        h_->window.close();
        QVERIFY(h_->window.isVisible());
        h_->trigger(QStringLiteral("mnuFileClose"));

        QCOMPARE(test::Texts(h_->prompter.texts()),
                 (QStringList{QString::fromStdString("Save " + h_->path("Untitled") + "?"),
                              QString::fromStdString("Save " + h_->path("Untitled") + "?")}));
        QCOMPARE(h_->prompter.messages[0].caption, std::string("Magtune Reader"));
        QCOMPARE(h_->dialog.requests.size(), 2u);
        QVERIFY(h_->window.isVisible());
        QCOMPARE(h_->window.windowTitle(), changed);
        QCOMPARE(h_->tree()->topLevelItemCount(), 1);
        QVERIFY(h_->state.store.Modified);
        QCOMPARE(openCommands(), allOpenCommands);
        // Nothing was written on the way (the start itself created the keys).
        QCOMPARE(registryText(), registryAtStart);
    }

    void failedSaveAtCloseKeepsTheProgramAndTheChanges() {
        QDir(QString::fromStdString(h_->folder)).mkdir(QStringLiteral("sub"));
        const std::string path = h_->path("sub/doomed.cfg");
        saveNewAs(path);
        makeChange();
        QVERIFY(QDir(QString::fromStdString(h_->path("sub"))).removeRecursively());

        h_->prompter.answers = {common::Answer::Yes};
        h_->window.close();
        QVERIFY(h_->window.isVisible());
        QCOMPARE(h_->prompter.messages.size(), 2u);
        QCOMPARE(h_->prompter.messages[0].text, "Save " + path + "?");
        QCOMPARE(h_->prompter.messages[1].caption, std::string("Error"));
        QVERIFY(h_->state.store.Modified);
        QCOMPARE(h_->window.windowTitle(), title(path) + QLatin1Char('*'));
    }

    void noAtCloseLeavesWithoutSaving() {
        const std::string path = h_->path("left.cfg");
        saveNewAs(path);
        makeChange();
        const QByteArray before = [&] {
            QFile file(QString::fromStdString(path));
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        }();
        h_->prompter.answers = {common::Answer::No};
        h_->window.close();
        QVERIFY(!h_->window.isVisible());
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QVERIFY(QFile::exists(QString::fromStdString(h_->path("registry.reg"))));
    }

    void settingsCommandsGoToTheTransfers() {
        // Without transfers the commands do nothing.
        h_->trigger(QStringLiteral("Upload"));
        h_->trigger(QStringLiteral("mnuSettingTest"));

        test::FakeTransferCommands transfers;
        h_->window.setTransferCommands(&transfers);
        h_->trigger(QStringLiteral("Upload"));
        h_->trigger(QStringLiteral("mnuSettingUpload"));
        h_->trigger(QStringLiteral("Test"));
        h_->trigger(QStringLiteral("mnuSettingTest"));
        h_->trigger(QStringLiteral("New"));
        h_->trigger(QStringLiteral("Download"));
        h_->trigger(QStringLiteral("mnuSettingDownload"));
        QCOMPARE(test::Texts(transfers.calls),
                 (QStringList{"upload", "upload", "testPad", "testPad", "download", "download"}));
        h_->window.setTransferCommands(nullptr);
    }

    void changedDeviceSettingAsksForADownloadAtClose() {
        test::FakeTransferCommands transfers;
        h_->window.setTransferCommands(&transfers);
        h_->window.openSetting().AcceptUpload("READER 7", 3);
        QCOMPARE(h_->window.windowTitle(), title("READER 7"));
        makeChange();

        h_->prompter.answers = {common::Answer::Yes, common::Answer::Yes};
        transfers.downloadResult = false;
        h_->window.close();
        QVERIFY(h_->window.isVisible());
        transfers.downloadResult = true;
        h_->window.close();
        QVERIFY(!h_->window.isVisible());
        QCOMPARE(test::Texts(h_->prompter.texts()),
                 (QStringList{"Setting is changed. Download to READER 7?",
                              "Setting is changed. Download to READER 7?"}));
        QCOMPARE(test::Texts(transfers.calls),
                 (QStringList{"downloadSetting", "downloadSetting", "releaseDevices"}));
        h_->window.setTransferCommands(nullptr);
    }

    void recentDeviceEntryUploadsAgain() {
        test::FakeTransferCommands transfers;
        h_->window.setTransferCommands(&transfers);
        h_->window.openSetting().AcceptUpload("WEDGE", 2);
        h_->trigger(QStringLiteral("mnuFileClose"));
        transfers.uploadResult = false;
        h_->trigger(QStringLiteral("mnuFileMRU0"));
        QCOMPARE(test::Texts(transfers.calls), QStringList{"uploadRecent WEDGE"});
        QCOMPARE(recentMenu(), QStringList{});
        h_->window.setTransferCommands(nullptr);
    }
};

int RunFileCommandsTests(int argc, char** argv) {
    FileCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace magtune::shell

#include "FileCommandsTest.moc"
