#include "settings/OpenSetting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "FakeFileDialog.h"
#include "FakeSettingWindow.h"
#include "support/FakePrompter.h"
#include "support/MemoryFileSystem.h"

namespace magtune::settings {
namespace {

using test::FakeFileDialog;
using test::FakePrompter;
using test::FakeSettingWindow;
using test::MemoryFileSystem;

constexpr const char* kTitle = "Magtune Reader";

const SettingCommand kFileCommands[] = {SettingCommand::Save, SettingCommand::SaveAs,
                                        SettingCommand::Close, SettingCommand::Download};
const SettingCommand kFormulaCommands[] = {SettingCommand::FormulaAdd,
                                           SettingCommand::FormulaDelete, SettingCommand::FormulaUp,
                                           SettingCommand::FormulaDown};

std::vector<std::uint8_t> ImageWithBaudRate(std::int32_t baudRate) {
    SettingStore source;
    source.settings.BaudRate.current = baudRate;
    source.PackImage();
    return {source.image.begin(), source.image.end()};
}

class OpenSettingTest : public ::testing::Test {
  protected:
    SettingStore store;
    FakePrompter prompter;
    MemoryFileSystem files;
    FakeFileDialog dialog;
    FakeSettingWindow window;
    OpenSetting open{store, prompter, files, dialog, window, "/prog"};

    void SetUp() override {
        files.files["/data/a.cfg"] = ImageWithBaudRate(1);
        files.files["/data/b.cfg"] = ImageWithBaudRate(2);
        files.files["/data/short.cfg"] = std::vector<std::uint8_t>(255, 0);
    }

    // An open, changed setting from /data/a.cfg.
    void OpenChangedFile() {
        ASSERT_TRUE(open.OpenSettingFile("/data/a.cfg"));
        store.settings.BaudRate.current = 7;
        store.Modified = true;
        prompter.clear();
    }

    void ExpectFileCommandsEnabled(bool on) {
        for (auto command : kFileCommands) {
            EXPECT_EQ(window.isEnabled(command), on) << static_cast<int>(command);
        }
        for (auto command : kFormulaCommands) {
            EXPECT_FALSE(window.isEnabled(command)) << static_cast<int>(command);
        }
    }
};

TEST_F(OpenSettingTest, NewOpensTheUntitledPlaceholderAtDefaults) {
    open.recentList.AddRecent("/data/a.cfg", 0);
    store.settings.BaudRate.current = 0;
    open.New();
    EXPECT_EQ(open.CurrentFile, "/prog/Untitled");
    EXPECT_EQ(open.CurrentDevice, "");
    EXPECT_EQ(window.caption, "/prog/Untitled - Magtune Reader");
    EXPECT_EQ(window.status, "Ready");
    EXPECT_TRUE(window.treeBuilt);
    EXPECT_EQ(store.settings.BaudRate.current, 5);
    EXPECT_FALSE(store.Modified);
    ExpectFileCommandsEnabled(true);
    EXPECT_EQ(open.recentList.entries[0].Name, "/data/a.cfg");
    EXPECT_EQ(window.recentRefreshes, 0);
}

TEST_F(OpenSettingTest, SaveAfterNewAsksForANameAndThenSavesDirectly) {
    open.New();
    dialog.choices = {"/data/untitled.cfg"};
    EXPECT_TRUE(open.Save());
    ASSERT_EQ(dialog.requests.size(), 1u);
    const FileDialogRequest& request = dialog.requests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.title, "Save as");
    EXPECT_EQ(request.filter, "Setting File(*.cfg) | *.cfg");
    EXPECT_EQ(request.defaultExtension, "cfg");
    EXPECT_EQ(request.initialFolder, "/prog/");
    EXPECT_EQ(request.fileName, "");
    EXPECT_TRUE(request.promptBeforeOverwrite);
    EXPECT_TRUE(request.pathMustExist);
    EXPECT_TRUE(request.hideReadOnly);
    EXPECT_EQ(open.CurrentFile, "/data/untitled.cfg");
    EXPECT_EQ(files.files["/data/untitled.cfg"].size(), 256u);
    EXPECT_EQ(open.recentList.entries[0].Name, "/data/untitled.cfg");
    EXPECT_EQ(window.recentMenu.captions[0], "&1. /data/untitled.cfg");

    store.Modified = true;
    EXPECT_TRUE(open.Save());
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_FALSE(store.Modified);
    EXPECT_EQ(window.caption, "/data/untitled.cfg - Magtune Reader");
}

TEST_F(OpenSettingTest, OnlyTheNewPlaceholderAsksForANameAtSave) {
    struct Case {
        const char* path;
        bool asks;
    };
    const Case cases[] = {
        {"/prog/Untitled", true},  // where New put it
        {"/data/Untitled.cfg", false}, {"/data/Untitled", false},
        {"/prog/Untitled.cfg", false}, {"/data/Untitled.x.cfg", false},
        {"/data/untitled.cfg", false}, {"/Untitled/a.cfg", false},
    };
    for (const auto& c : cases) {
        open.CurrentFile = c.path;
        dialog.requests.clear();
        EXPECT_EQ(open.Save(), !c.asks) << c.path;  // a dialog asking is cancelled
        EXPECT_EQ(dialog.requests.size(), c.asks ? 1u : 0u) << c.path;
    }
}

TEST_F(OpenSettingTest, OpenKeepsTheChosenPathAsItIs) {
    files.files["/data/MixedCase.cfg"] = ImageWithBaudRate(6);
    dialog.choices = {"/data/MixedCase.cfg"};
    open.Open();
    ASSERT_EQ(dialog.requests.size(), 1u);
    const FileDialogRequest& request = dialog.requests[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(request.title, "Open");
    EXPECT_EQ(request.filter, "Setting Files (*.cfg)|*.cfg");
    EXPECT_EQ(request.defaultExtension, "cfg");
    EXPECT_EQ(request.initialFolder, "/prog");
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_TRUE(request.pathMustExist);
    EXPECT_TRUE(request.hideReadOnly);

    EXPECT_EQ(open.CurrentFile, "/data/MixedCase.cfg");
    EXPECT_EQ(store.settings.BaudRate.current, 6);
    EXPECT_EQ(window.caption, "/data/MixedCase.cfg - Magtune Reader");
    EXPECT_EQ(window.status, "Ready");
    EXPECT_TRUE(window.treeBuilt);
    ExpectFileCommandsEnabled(true);
    EXPECT_EQ(open.recentList.entries[0].Name, "/data/MixedCase.cfg");

    // The next dialog starts in the folder of the open file.
    open.Open();
    EXPECT_EQ(dialog.requests[1].initialFolder, "/data/");
}

TEST_F(OpenSettingTest, OpenFailuresAreReportedAndDropTheName) {
    struct Case {
        const char* path;
        const char* message;
    };
    const Case cases[] = {{"/data/short.cfg", "Incorrect file format."},
                          {"/data/gone.cfg", "Failed to open /data/gone.cfg."}};
    for (const auto& c : cases) {
        open.recentList.AddRecent(c.path, 0);
        prompter.clear();
        dialog.choices = {c.path};
        open.Open();
        ASSERT_EQ(prompter.messages.size(), 1u) << c.path;
        EXPECT_EQ(prompter.messages[0].text, c.message);
        EXPECT_EQ(prompter.messages[0].caption, "Error");
        EXPECT_EQ(prompter.messages[0].icon, common::MessageIcon::Warning);
        EXPECT_EQ(store.settings.BaudRate.current, 5) << c.path;
        EXPECT_EQ(open.CurrentFile, "") << c.path;
        EXPECT_EQ(open.recentList.entries[0].Name, "") << c.path;
        EXPECT_FALSE(window.recentMenu.separatorVisible);
    }
}

TEST_F(OpenSettingTest, AnsweringNoClosesTheSettingEvenWhenOpenIsThenCancelled) {
    OpenChangedFile();
    prompter.answers = {common::Answer::No};
    open.Open();  // the dialog is cancelled
    EXPECT_EQ(open.CurrentFile, "");
    EXPECT_EQ(window.caption, kTitle);
    EXPECT_TRUE(store.Modified);
    EXPECT_EQ(files.files["/data/a.cfg"], ImageWithBaudRate(1));
}

TEST_F(OpenSettingTest, QuerySaveChangesAsksOnlyForAChangedOpenSetting) {
    EXPECT_EQ(open.QuerySaveChanges(), common::Answer::No);
    store.Modified = true;  // changed, but nothing open
    EXPECT_EQ(open.QuerySaveChanges(), common::Answer::No);
    ASSERT_TRUE(open.OpenSettingFile("/data/a.cfg"));
    EXPECT_EQ(open.QuerySaveChanges(), common::Answer::No);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(open.CurrentFile, "/data/a.cfg");
}

TEST_F(OpenSettingTest, QuerySaveChangesForAFile) {
    struct Case {
        common::Answer answer;
        common::Answer result;
        bool closed;
        std::uint8_t writtenBaud;
    };
    const Case cases[] = {
        {common::Answer::Yes, common::Answer::Yes, true, 0x67},
        {common::Answer::No, common::Answer::No, true, 0x61},
        {common::Answer::Cancel, common::Answer::Cancel, false, 0x61},
    };
    for (const auto& c : cases) {
        files.files["/data/a.cfg"] = ImageWithBaudRate(1);
        OpenChangedFile();
        prompter.answers = {c.answer};
        EXPECT_EQ(open.QuerySaveChanges(), c.result);
        ASSERT_EQ(prompter.messages.size(), 1u);
        const common::Message& question = prompter.messages[0];
        EXPECT_EQ(question.text, "Save /data/a.cfg?");
        EXPECT_EQ(question.caption, kTitle);
        EXPECT_EQ(question.icon, common::MessageIcon::Question);
        EXPECT_EQ(question.buttons, common::MessageButtons::YesNoCancel);
        EXPECT_EQ(open.CurrentFile, c.closed ? "" : "/data/a.cfg");
        EXPECT_EQ(files.files["/data/a.cfg"][4], c.writtenBaud);
    }
}

TEST_F(OpenSettingTest, CancellingSaveAsAtTheSaveQuestionKeepsTheSettingOpen) {
    open.New();
    store.Modified = true;
    open.RefreshCaption();
    prompter.answers = {common::Answer::Yes};
    EXPECT_EQ(open.QuerySaveChanges(), common::Answer::Cancel);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Save /prog/Untitled?"});
    EXPECT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(open.CurrentFile, "/prog/Untitled");
    EXPECT_TRUE(store.Modified);
    EXPECT_EQ(window.caption, "/prog/Untitled - Magtune Reader*");

    // So New stops too, and nothing is lost.
    store.settings.BaudRate.current = 0;
    prompter.answers = {common::Answer::Yes};
    open.New();
    EXPECT_EQ(store.settings.BaudRate.current, 0);
}

TEST_F(OpenSettingTest, AFailedSaveAtTheSaveQuestionKeepsEverything) {
    OpenChangedFile();
    open.recentList.AddRecent("/data/b.cfg", 0);
    auto recentBefore = open.recentList.entries;
    files.failingWrites["/data/a.cfg"] = ENOSPC;
    prompter.answers = {common::Answer::Yes};
    EXPECT_EQ(open.QuerySaveChanges(), common::Answer::Cancel);
    ASSERT_EQ(prompter.messages.size(), 2u);
    EXPECT_EQ(prompter.messages[1].caption, "Error");
    EXPECT_EQ(open.CurrentFile, "/data/a.cfg");
    EXPECT_TRUE(store.Modified);
    EXPECT_EQ(open.recentList.entries, recentBefore);
    EXPECT_EQ(files.files["/data/a.cfg"], ImageWithBaudRate(1));
}

TEST_F(OpenSettingTest, AFailedSaveAsChangesNothing) {
    OpenChangedFile();
    auto recentBefore = open.recentList.entries;
    files.failingWrites["/data/new.cfg"] = EACCES;
    dialog.choices = {"/data/new.cfg"};
    EXPECT_FALSE(open.SaveAs());
    EXPECT_EQ(open.CurrentFile, "/data/a.cfg");
    EXPECT_TRUE(store.Modified);
    EXPECT_EQ(open.recentList.entries, recentBefore);
    EXPECT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(files.files.count("/data/new.cfg"), 0u);
}

TEST_F(OpenSettingTest, QuerySaveChangesForADevice) {
    struct Case {
        common::Answer answer;
        bool downloadSucceeds;
        common::Answer result;
        bool closed;
        int downloads;
    };
    const Case cases[] = {
        {common::Answer::Yes, true, common::Answer::Yes, true, 1},
        {common::Answer::Yes, false, common::Answer::Cancel, false, 1},
        {common::Answer::No, true, common::Answer::No, true, 0},
        {common::Answer::Cancel, true, common::Answer::Cancel, false, 0},
    };
    for (const auto& c : cases) {
        int downloads = 0;
        open.downloadSetting = [&] {
            ++downloads;
            if (c.downloadSucceeds) {
                open.NoteDownloadSucceeded();
            }
            return c.downloadSucceeds;
        };
        open.AcceptUpload("READER", InterfaceCode::Usb);
        store.Modified = true;
        prompter.clear();
        prompter.answers = {c.answer};
        EXPECT_EQ(open.QuerySaveChanges(), c.result);
        EXPECT_EQ(prompter.texts(),
                  std::vector<std::string>{"Setting is changed. Download to READER?"});
        EXPECT_EQ(prompter.messages[0].caption, kTitle);
        EXPECT_EQ(open.CurrentDevice, c.closed ? "" : "READER");
        EXPECT_EQ(downloads, c.downloads);
    }
}

TEST_F(OpenSettingTest, WithoutADownloadTheDeviceQuestionCannotBeAnsweredYes) {
    open.AcceptUpload("READER", InterfaceCode::Usb);
    store.Modified = true;
    prompter.answers = {common::Answer::Yes};
    EXPECT_EQ(open.QuerySaveChanges(), common::Answer::Cancel);
    EXPECT_EQ(open.CurrentDevice, "READER");
}

TEST_F(OpenSettingTest, CloseAsksAndThenEmptiesTheWindow) {
    OpenChangedFile();
    prompter.answers = {common::Answer::Cancel};
    open.Close();
    EXPECT_EQ(open.CurrentFile, "/data/a.cfg");

    prompter.answers = {common::Answer::No};
    open.Close();
    EXPECT_EQ(open.CurrentFile, "");
    EXPECT_EQ(open.CurrentDevice, "");
    EXPECT_EQ(window.caption, kTitle);
    EXPECT_EQ(window.status, "Ready");
    EXPECT_FALSE(window.treeBuilt);
    EXPECT_TRUE(store.Modified);  // the values stay
    EXPECT_EQ(store.settings.BaudRate.current, 7);
    for (auto command : kFileCommands) {
        EXPECT_FALSE(window.isEnabled(command));
    }
    // Nothing is open any more, so leaving asks nothing.
    prompter.clear();
    EXPECT_EQ(open.QuerySaveChanges(), common::Answer::No);
    EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(OpenSettingTest, UploadMakesTheDeviceTheOpenSetting) {
    store.image = {};
    std::vector<std::uint8_t> bytes = ImageWithBaudRate(4);
    std::copy(bytes.begin(), bytes.end(), store.image.begin());
    DcbBytes dcb{};
    dcb[0] = 28;
    open.CurrentFile = "/data/a.cfg";
    store.Modified = true;
    open.AcceptUpload("READER", InterfaceCode::Rs232, 2, dcb);
    EXPECT_EQ(store.settings.BaudRate.current, 4);
    EXPECT_EQ(open.CurrentFile, "");
    EXPECT_EQ(open.CurrentDevice, "READER");
    EXPECT_FALSE(store.Modified);
    EXPECT_EQ(window.caption, "READER - Magtune Reader");
    EXPECT_TRUE(window.treeBuilt);
    ExpectFileCommandsEnabled(true);
    EXPECT_EQ(open.recentList.entries[0], (RecentEntry{"READER", 1, 2, dcb}));

    // A device setting is saved through Save As.
    dialog.choices = {"/data/reader.cfg"};
    EXPECT_TRUE(open.Save());
    EXPECT_EQ(open.CurrentFile, "/data/reader.cfg");
    EXPECT_EQ(open.CurrentDevice, "");
}

TEST_F(OpenSettingTest, ADownloadClearsModifiedOnlyForADeviceSetting) {
    OpenChangedFile();
    open.NoteDownloadSucceeded();
    EXPECT_TRUE(store.Modified);

    open.AcceptUpload("READER", InterfaceCode::KeyboardWedge);
    store.Modified = true;
    open.RefreshCaption();
    EXPECT_EQ(window.caption, "READER - Magtune Reader*");
    open.NoteDownloadSucceeded();
    EXPECT_FALSE(store.Modified);
    EXPECT_EQ(window.caption, "READER - Magtune Reader");
}

TEST_F(OpenSettingTest, RecentFileEntries) {
    open.recentList.AddRecent("/data/gone.cfg", 0);
    open.recentList.AddRecent("/data/b.cfg", 0);
    open.recentList.AddRecent("/data/a.cfg", 0);  // a, b, gone

    open.OpenRecent(1);
    EXPECT_EQ(open.CurrentFile, "/data/b.cfg");
    EXPECT_EQ(open.recentList.entries[0].Name, "/data/b.cfg");
    EXPECT_EQ(open.recentList.entries[1].Name, "/data/a.cfg");

    open.OpenRecent(2);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"Failed to open /data/gone.cfg."});
    EXPECT_EQ(open.recentList.entries[2].Name, "");
    EXPECT_EQ(window.recentMenu.captions[2], std::nullopt);

    // Cancel at the save question: nothing changes, the entry stays.
    store.Modified = true;
    prompter.clear();
    prompter.answers = {common::Answer::Cancel};
    auto recentBefore = open.recentList.entries;
    open.OpenRecent(1);
    EXPECT_EQ(open.CurrentFile, "/data/b.cfg");
    EXPECT_EQ(open.recentList.entries, recentBefore);

    open.OpenRecent(3);  // a free slot does nothing
    open.OpenRecent(9);
    EXPECT_EQ(open.CurrentFile, "/data/b.cfg");
}

TEST_F(OpenSettingTest, RecentDeviceEntriesGoThroughTheUploadHook) {
    DcbBytes dcb{};
    dcb[4] = 0x80;
    open.recentList.AddRecent("USBDEV", InterfaceCode::Usb);
    open.recentList.AddRecent("COMDEV", InterfaceCode::Rs232, 4, dcb);
    std::vector<RecentEntry> uploads;
    bool succeed = true;
    open.uploadRecent = [&](const RecentEntry& entry) {
        uploads.push_back(entry);
        return succeed;
    };

    open.OpenRecent(0);
    ASSERT_EQ(uploads.size(), 1u);
    EXPECT_EQ(uploads[0], (RecentEntry{"COMDEV", 1, 4, dcb}));
    EXPECT_EQ(store.CurrentInterface, 1);

    open.OpenRecent(1);
    EXPECT_EQ(store.CurrentInterface, 3);

    succeed = false;
    open.OpenRecent(0);
    EXPECT_EQ(store.CurrentInterface, 3);
    EXPECT_EQ(open.recentList.entries[0].Name, "USBDEV");
    EXPECT_EQ(open.recentList.entries[1].Name, "");
}

}  // namespace
}  // namespace magtune::settings
