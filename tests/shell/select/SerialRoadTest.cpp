#include "shell/select/SerialRoadTest.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "dataedit/FormulaCommands.h"
#include "dataedit/FormulaTextReader.h"
#include "dataedit/TrackSequence.h"
#include "platform/FilePreferencesStore.h"
#include "platform/TempFolder.h"
#include "settings/FakeFileDialog.h"
#include "settings/ui/RecordingHelpViewer.h"
#include "shell/DesktopTransfers.h"
#include "shell/frmMain.h"
#include "shell/select/ModalDriver.h"
#include "support/ChildProcess.h"
#include "support/FakePrompter.h"

namespace magtune::shell {

namespace {

using Rows = std::vector<std::pair<QString, QString>>;

constexpr const char* kFormulas[] = {
    R"(IN_ID,21,LEN,10,40,MATCH,1,"<d>","ID:",O-STR,2,5,ENTER)",
    "IN_ID,20,ENTER",
};

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The program with its main window and Settings commands, its preferences,
// ports and setting files in a folder of its own, and a simulated reader on
// COM1.
struct Desk {
    test::TempFolder folder;
    test::ScopedEnv ports{"MAGTUNE_PORTS_DIR", folder.path.c_str()};
    test::ScopedEnv registry{"MAGTUNE_REGISTRY_FILE", (folder / "registry.reg").c_str()};
    std::unique_ptr<test::ChildProcess> reader;
    test::FakePrompter prompter;
    test::RecordingHelpViewer help;
    test::FakeFileDialog fileDialog;
    app::RuntimeConfig config = app::ReadRuntimeConfig();
    platform::FilePreferencesStore preferences{config.preferencesFile};
    AppState state{folder.path, folder.path};
    frmMain window{state, {prompter, help, fileDialog, preferences, platform::RealFileSystem()}};
    DesktopTransfers transfers{
        state, window.openSetting(), prompter, platform::RealFileSystem(), &window, config};
    bool missed = false;

    explicit Desk(std::vector<std::string> readerOptions) {
        readerOptions.insert(
            readerOptions.begin(),
            {MAGTUNE_READER_SIM_PATH, "--link", folder / "COM1", "--save", folder / "reader.cfg"});
        reader = std::make_unique<test::ChildProcess>(readerOptions);
        window.load();
        window.setTransferCommands(&transfers.commands());
        window.show();
    }

    bool readerReady() { return !reader->firstLine().empty(); }

    settings::OpenSetting& open() { return window.openSetting(); }

    void trigger(const char* action) {
        window.findChild<QAction*>(QString::fromLatin1(action))->trigger();
    }

    // A setting file with two formulas and both track output sequences.
    bool openRichSetting() {
        trigger("mnuFileNew");
        settings::DeviceSettings& s = state.store.settings;
        for (const char* text : kFormulas) {
            auto read = dataedit::ReadFormulaText(text);
            if (!read.formula ||
                !dataedit::AddFormula(s.dataEditing, *read.formula, prompter).applied) {
                return false;
            }
        }
        const std::pair<settings::TrackSequenceSetting*, const char*> tracks[] = {
            {&s.Track1OutputSequence, R"(<Account>"^"<LastName>)"},
            {&s.Track2OutputSequence, R"(<Account>"="<ExpireYear>)"}};
        for (const auto& [track, text] : tracks) {
            auto read = dataedit::ReadTrackSequenceText(text, track->track);
            auto bytes = read.sequence ? dataedit::EncodeTrackSequence(*read.sequence, track->track)
                                       : std::nullopt;
            if (!bytes) {
                return false;
            }
            track->current = *read.sequence;
            track->image = *bytes;
        }
        s.BeepTone.current = 2;
        fileDialog.choices = {folder / "RICH.CFG"};
        trigger("mnuFileSaveAs");
        return open().CurrentFile == folder / "RICH.CFG";
    }

    // Every group's rows as the property list shows them.
    Rows rows() {
        Rows all;
        auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("tvSettings"));
        auto* list = window.findChild<QTreeWidget*>(QStringLiteral("lvProperty"));
        QTreeWidgetItem* root = tree->topLevelItem(0);
        if (root == nullptr) {
            return all;
        }
        for (int g = 0; g < root->childCount(); ++g) {
            tree->setCurrentItem(root->child(g));
            for (int r = 0; r < list->topLevelItemCount(); ++r) {
                all.emplace_back(root->child(g)->text(0) + "/" + list->topLevelItem(r)->text(0),
                                 list->topLevelItem(r)->text(1));
            }
        }
        return all;
    }

    // The selection dialog `name` is answered with RS232 on COM1.
    void chooseCom1(const char* name, const QString& productName = {}) {
        test::WhenModal(
            QString::fromLatin1(name),
            [productName](QWidget* dialog) {
                if (auto* text = dialog->findChild<QLineEdit*>(QStringLiteral("txtDevName"))) {
                    text->clear();
                    QTest::keyClicks(text, productName);
                }
                QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("optRS232")),
                                  Qt::LeftButton);
                dialog->findChild<QComboBox*>(QStringLiteral("cboCom"))->setCurrentIndex(0);
                QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")),
                                  Qt::LeftButton);
            },
            &missed);
    }
};

}  // namespace

void SerialRoadTest::downloadThenUploadGivesTheSameRows() {
    Desk desk({});
    QVERIFY(desk.readerReady());
    QVERIFY(desk.openRichSetting());

    desk.chooseCom1("frmSave");
    desk.prompter.answers = {common::Answer::No};  // no quick test
    desk.trigger("mnuSettingDownload");
    QVERIFY(!desk.missed);
    QCOMPARE(desk.prompter.texts(),
             (std::vector<std::string>{"Download finished successfully.", "Do a quick test?"}));
    // The reader holds the packed setting, sent as a serial wedge.
    const auto sent = ReadBytes(desk.folder / "reader.cfg");
    QCOMPARE(sent.size(), std::size_t{256});
    QCOMPARE(sent[0], std::uint8_t{4});
    QVERIFY(std::equal(sent.begin(), sent.end(), desk.state.store.image.begin()));
    QVERIFY(!desk.state.serial.isPortOpen());  // closed when the quick test was declined
    const Rows before = desk.rows();
    QVERIFY(before.size() > 20);
    QVERIFY(std::count_if(before.begin(), before.end(), [](const auto& row) {
                return row.first.startsWith(QStringLiteral("Data Editing/Formula"));
            }) == 2);

    // A new setting, then the reader's setting uploaded over it.
    desk.trigger("mnuFileNew");
    QVERIFY(desk.rows() != before);
    desk.prompter.clear();
    desk.chooseCom1("frmOpen", QStringLiteral("desk reader"));
    desk.trigger("mnuSettingUpload");
    QVERIFY(!desk.missed);
    QCOMPARE(desk.prompter.texts(), std::vector<std::string>{"Upload finished successfully."});
    QCOMPARE(desk.open().CurrentDevice, std::string("DESK READER"));
    QVERIFY(desk.open().CurrentFile.empty());
    QCOMPARE(desk.window.windowTitle(), QStringLiteral("DESK READER - Magtune Reader"));
    QVERIFY(!desk.state.store.Modified);
    const settings::RecentEntry& recent = desk.open().recentList.entries[0];
    QCOMPARE(recent.Name, std::string("DESK READER"));
    QCOMPARE(recent.Interface, settings::InterfaceCode::Rs232);
    QCOMPARE(recent.Com, 0);
    QCOMPARE(platform::PortSettings::fromBytes(recent.Dcb).BaudRate, 9600u);
    QCOMPARE(desk.rows(), before);
}

void SerialRoadTest::silentReaderLeavesTheOpenSettingAsItWas() {
    Desk desk({"--silent"});
    QVERIFY(desk.readerReady());
    QVERIFY(desk.openRichSetting());
    // An edit that is not saved yet.
    desk.state.store.settings.BeepTone.current = 3;
    desk.state.store.Modified = true;
    desk.open().RefreshCaption();
    const QString caption = desk.window.windowTitle();
    const Rows before = desk.rows();

    desk.chooseCom1("frmSave");
    desk.trigger("mnuSettingDownload");
    QVERIFY(!desk.missed);
    QCOMPARE(desk.prompter.texts(), std::vector<std::string>{"Failed to connect to device."});
    QVERIFY(!desk.state.serial.DownloadSucceeded);
    QCOMPARE(desk.open().CurrentFile, desk.folder / "RICH.CFG");
    QVERIFY(desk.state.store.Modified);
    QCOMPARE(desk.window.windowTitle(), caption);
    QCOMPARE(desk.rows(), before);
    QVERIFY(!std::filesystem::exists(desk.folder / "reader.cfg"));
}

}  // namespace magtune::shell
