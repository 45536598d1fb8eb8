#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <memory>

#include "shell/frmAbout.h"
#include "ui/MainWindowHarness.h"

namespace magtune::shell {

namespace {

// Every pixel fully transparent: an icon that was never drawn.
bool Blank(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<test::MainWindowHarness> h_;

    void sendToStrip(QEvent::Type type, int x) {
        QWidget* strip = h_->find<QWidget>(QStringLiteral("imgSplitter"));
        const QPointF local(x, 5);
        QMouseEvent event(type, local, strip->mapToGlobal(local),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(strip, &event);
    }
    // Drags the splitter strip to x pixels from its left edge; returns the
    // splitter in twips.
    int dragSplitter(int x) {
        sendToStrip(QEvent::MouseButtonPress, 0);
        sendToStrip(QEvent::MouseMove, x);
        sendToStrip(QEvent::MouseButtonRelease, x);
        return h_->window.windowLayout().Splitter;
    }

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

    void startsWithNothingOpenAndOnlyTheFreeCommandsEnabled() {
        QCOMPARE(h_->window.windowTitle(), QStringLiteral("Magtune Reader"));
        QCOMPARE(h_->status(), QStringLiteral("Ready"));
        QCOMPARE(h_->tree()->topLevelItemCount(), 0);
        QCOMPARE(h_->list()->topLevelItemCount(), 0);
        QVERIFY(h_->prompter.messages.empty());

        const struct {
            const char* name;
            bool enabled;
        } commands[] = {
            {"mnuFileNew", true},
            {"mnuFileOpen", true},
            {"mnuFileClose", false},
            {"mnuFileSave", false},
            {"mnuFileSaveAs", false},
            {"mnuFileExit", true},
            {"mnuSettingUpload", true},
            {"mnuSettingDownload", false},
            {"mnuSettingTest", true},
            {"mnuDataEditingAdd", false},
            {"mnuDataEditingDelete", false},
            {"mnuDataEditingUp", false},
            {"mnuDataEditingDown", false},
            {"mnuToolsOptions", true},
            {"mnuViewToolbar", true},
            {"mnuViewStatusBar", true},
            {"mnuHelpContents", true},
            {"mnuHelpAbout", true},
            {"New", true},
            {"Open", true},
            {"Save", false},
            {"Download", false},
            {"Upload", true},
            {"Test", true},
            {"Add", false},
            {"Delete", false},
            {"Up", false},
            {"Down", false},
            {"Help", true},
        };
        for (const auto& c : commands) {
            QAction* action = h_->action(QString::fromLatin1(c.name));
            QVERIFY2(action != nullptr, c.name);
            QVERIFY2(action->isEnabled() == c.enabled, c.name);
        }
        QVERIFY(h_->action(QStringLiteral("mnuViewToolbar"))->isChecked());
        QVERIFY(h_->action(QStringLiteral("mnuViewStatusBar"))->isChecked());
        QVERIFY(!h_->action(QStringLiteral("mnuFileBar3"))->isVisible());
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!h_->action(QStringLiteral("mnuFileMRU%1").arg(i))->isVisible());
        }
    }

    void menusReadAsDesignedWithoutShortcuts() {
        QStringList menus;
        for (QAction* menu : h_->window.menuBar()->actions()) {
            menus << menu->text();
        }
        QCOMPARE(menus,
                 (QStringList{"&File", "&Settings", "Data &Editing", "&Tools", "&View", "&Help"}));
        const QStringList file{"mnuFileNew",  "mnuFileOpen",   "mnuFileClose", "mnuFileBar1",
                               "mnuFileSave", "mnuFileSaveAs", "mnuFileBar2",  "mnuFileExit",
                               "mnuFileBar3", "mnuFileMRU0",   "mnuFileMRU1",  "mnuFileMRU2",
                               "mnuFileMRU3"};
        QStringList names;
        for (QAction* item : h_->find<QMenu>(QStringLiteral("mnuFile"))->actions()) {
            names << item->objectName();
        }
        QCOMPARE(names, file);

        const struct {
            const char* name;
            const char* caption;
        } captions[] = {
            {"mnuFileNew", "&New"},
            {"mnuFileOpen", "&Open..."},
            {"mnuFileClose", "&Close"},
            {"mnuFileSave", "&Save"},
            {"mnuFileSaveAs", "Save &As..."},
            {"mnuFileExit", "E&xit"},
            {"mnuSettingUpload", "&Upload..."},
            {"mnuSettingDownload", "&Download..."},
            {"mnuSettingTest", "&Test Pad..."},
            {"mnuDataEditingAdd", "&Add Formula..."},
            {"mnuDataEditingDelete", "&Delete Formula..."},
            {"mnuDataEditingUp", "Formula &Up"},
            {"mnuDataEditingDown", "Formula Dow&n"},
            {"mnuToolsOptions", "&Options..."},
            {"mnuViewToolbar", "&Toolbar"},
            {"mnuViewStatusBar", "Status &Bar"},
            {"mnuHelpContents", "Help &Topics"},
            {"mnuHelpAbout", "&About Magtune Reader ..."},
        };
        for (const auto& c : captions) {
            QAction* item = h_->action(QString::fromLatin1(c.name));
            QCOMPARE(item->text(), QString::fromUtf8(c.caption));
            QVERIFY2(item->shortcut().isEmpty(), c.name);
        }
        QVERIFY(h_->action(QStringLiteral("mnuSettingBar1"))->isSeparator());
        QVERIFY(h_->action(QStringLiteral("mnuHelpBar"))->isSeparator());
    }

    void toolbarButtonsCarryKeyTipAndIconInFourGroups() {
        auto* toolbar = h_->find<QToolBar>(QStringLiteral("tbToolBar"));
        QStringList layout;
        for (QAction* button : toolbar->actions()) {
            if (button->isSeparator()) {
                layout << QStringLiteral("|");
                continue;
            }
            layout << button->objectName() + QLatin1Char(':') + button->toolTip();
            // Drawn once the window is up: something of it is not blank.
            QTRY_VERIFY2(!Blank(button->icon().pixmap(24, 24).toImage()),
                         qPrintable(button->objectName()));
        }
        QCOMPARE(layout,
                 (QStringList{"New:New", "Open:Open", "Save:Save", "|",
                              "Download:Download Settings", "Upload:Upload Settings",
                              "Test:Test Pad", "|", "Add:Add Formula", "Delete:Delete Formula",
                              "Up:Formula Up", "Down:Formula Down", "|", "Help:Help"}));
    }

    // A first start: the window does not wait for the disk to show, and its
    // commands work before it has drawn anything.
    void commandsWorkAtOnceAndTheFirstStartsKeysAreSavedOnceTheWindowIsUp() {
        QTemporaryDir first;
        test::MainWindowHarness h(first.path());
        const QString preferences = first.filePath(QStringLiteral("registry.reg"));
        QVERIFY(h.window.load());
        QVERIFY(!QFile::exists(preferences));
        h.window.show();
        h.trigger(QStringLiteral("New"));
        QCOMPARE(h.tree()->topLevelItemCount(), 1);
        h.trigger(QStringLiteral("mnuFileClose"));
        QCOMPARE(h.tree()->topLevelItemCount(), 0);
        h.trigger(QStringLiteral("mnuHelpContents"));
        QCOMPARE(h.help.topics.size(), std::size_t{1});
        h.trigger(QStringLiteral("mnuViewToolbar"));
        QVERIFY(!h.find<QToolBar>(QStringLiteral("tbToolBar"))->isVisible());
        QTRY_VERIFY(QFile::exists(preferences));
        QVERIFY(h.prompter.messages.empty());
    }

    void statusBarShowsTextDateAndTime() {
        QVERIFY(h_->find<QStatusBar>(QStringLiteral("sbStatusBar")) != nullptr);
        QVERIFY(!h_->find<QLabel>(QStringLiteral("sbPanelDate"))->text().isEmpty());
        QVERIFY(!h_->find<QLabel>(QStringLiteral("sbPanelTime"))->text().isEmpty());
    }

    void newShowsTheFiveGroupsWithTheirDefaultRows() {
        h_->trigger(QStringLiteral("New"));
        QCOMPARE(h_->tree()->topLevelItemCount(), 1);
        QTreeWidgetItem* root = h_->tree()->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("Current Settings"));
        QVERIFY(root->isExpanded());
        QStringList groups;
        for (int i = 0; i < root->childCount(); ++i) {
            groups << root->child(i)->text(0);
            QCOMPARE(root->child(i)->childCount(), 0);
        }
        QCOMPARE(groups, (QStringList{"Beeps and Delays", "Keyboard Wedge", "RS232",
                                      "Magnetic Reader", "Data Editing"}));
        QCOMPARE(h_->list()->topLevelItemCount(), 0);
        QCOMPARE(h_->status(), QStringLiteral("Ready"));

        const struct {
            const char* group;
            QStringList rows;
        } cases[] = {
            {"Beeps and Delays",
             {"Beep Tone=Medium", "InterBlock Delay=10 ms", "InterCharacter Delay=1 ms"}},
            {"Keyboard Wedge",
             {"Function Code=Yes", "Caps-Lock=Auto Trace", "Language=U.S.",
              "Wand Emulation Output=Bar with High / Space with Low",
              QString::fromUtf8("Level Duration of Minimum Width=200 µs"),
              "Polarity of Idle Condition=Low", "Use Numeric Keypad=No"}},
            {"RS232",
             {"Baud Rate=9600", "Parity=None", "Data Bit=8", "Handshaking=Ignore", "ACK/NAK=No",
              "BCC Character=No", "Time Out=1 second", "Data Direction=Send to Host",
              "Receive Terminator=None"}},
            {"Magnetic Reader",
             {"Terminator=Enter", "Send Start/Stop Sentinel=Yes", "Track Selection=All Tracks",
              "Track 2 Account Number Only=No", "Output Only When All Tracks Have Correct Data=No",
              "Separator Character=None", "Track 1 Output Sequence=None",
              "Track 2 Output Sequence=None"}},
            {"Data Editing", {"(no formula defined)="}},
        };
        for (const auto& c : cases) {
            const QString group = QString::fromLatin1(c.group);
            h_->clickNode(group);
            QCOMPARE(h_->rows(), c.rows);
            QCOMPARE(h_->selectedRow(), -1);
            QCOMPARE(h_->status(), QStringLiteral("Current Settings\\") + group);
            const bool formulas = group == QStringLiteral("Data Editing");
            for (const char* command :
                 {"mnuDataEditingAdd", "mnuDataEditingDelete", "mnuDataEditingUp",
                  "mnuDataEditingDown", "Add", "Delete", "Up", "Down"}) {
                QVERIFY2(h_->action(QString::fromLatin1(command))->isEnabled() == formulas,
                         command);
            }
        }

        h_->clickNode(QStringLiteral("Current Settings"));
        QCOMPARE(h_->list()->topLevelItemCount(), 0);
        QCOMPARE(h_->status(), QStringLiteral("Current Settings"));
        QVERIFY(!h_->action(QStringLiteral("Add"))->isEnabled());
    }

    void collapsingTheRootActsAsAClickOnIt() {
        h_->trigger(QStringLiteral("New"));
        h_->clickNode(QStringLiteral("Data Editing"));
        QVERIFY(h_->action(QStringLiteral("Add"))->isEnabled());
        h_->tree()->collapseItem(h_->tree()->topLevelItem(0));
        QCOMPARE(h_->status(), QStringLiteral("Current Settings"));
        QCOMPARE(h_->list()->topLevelItemCount(), 0);
        QVERIFY(!h_->action(QStringLiteral("Add"))->isEnabled());
    }

    void acceptedEditRebuildsTheListAndMarksTheCaption() {
        h_->trigger(QStringLiteral("New"));
        const QString untitled =
            QString::fromStdString(h_->path("Untitled")) + QStringLiteral(" - Magtune Reader");
        QCOMPARE(h_->window.windowTitle(), untitled);
        h_->clickNode(QStringLiteral("Beeps and Delays"));
        h_->editors.onValue = [](settings::SettingStore& store) {
            store.settings.BeepTone.current = 3;
            store.Modified = true;
        };
        h_->doubleClickRow(0);
        QCOMPARE(h_->editors.calls, std::vector<std::string>{"value|Beeps and Delays|Beep Tone"});
        QCOMPARE(h_->rows().value(0), QStringLiteral("Beep Tone=High"));
        QCOMPARE(h_->selectedRow(), 0);
        QCOMPARE(h_->window.windowTitle(), untitled + QLatin1Char('*'));

        // A second edit marks nothing more; a refused one changes nothing.
        h_->clickRow(2);
        QTest::keyClick(h_->list(), Qt::Key_Return);
        QCOMPARE(h_->window.windowTitle(), untitled + QLatin1Char('*'));
        QCOMPARE(h_->selectedRow(), 2);
        h_->editors.accept = false;
        h_->clickRow(1);
        QTest::keyClick(h_->list(), Qt::Key_Return);
        QCOMPARE(h_->editors.calls.size(), 3u);
        QCOMPARE(h_->selectedRow(), 1);
    }

    void rowsOpenTheirOwnEditors() {
        h_->trigger(QStringLiteral("New"));
        const struct {
            const char* group;
            int row;
            const char* call;
        } cases[] = {
            {"RS232", 8, "string|RS232|Receive Terminator"},
            {"Magnetic Reader", 5, "string|Magnetic Reader|Separator Character"},
            {"Magnetic Reader", 6, "track1|Magnetic Reader|Track 1 Output Sequence"},
            {"Magnetic Reader", 7, "track2|Magnetic Reader|Track 2 Output Sequence"},
            {"Keyboard Wedge", 2, "value|Keyboard Wedge|Language"},
        };
        for (const auto& c : cases) {
            h_->editors.calls.clear();
            h_->clickNode(QString::fromLatin1(c.group));
            h_->clickRow(c.row);
            QTest::keyClick(h_->list(), Qt::Key_Enter);
            QCOMPARE(h_->editors.calls, std::vector<std::string>{c.call});
        }
    }

    void splitterStopsAPaneWidthFromEitherEdge() {
        h_->window.resize(900, 500);
        QTest::qWait(1);
        const TwipScale& scale = h_->window.scale();
        const int windowTwips = scale.toTwips(h_->window.width());
        QVERIFY(!h_->find<QWidget>(QStringLiteral("picSplitter"))->isVisible());

        QCOMPARE(dragSplitter(-5000), 1500);
        QCOMPARE(dragSplitter(+5000), windowTwips - 1500);
        const int before = h_->window.windowLayout().Splitter;
        QCOMPARE(dragSplitter(-100), before - scale.toTwips(100));
        QVERIFY(!h_->find<QWidget>(QStringLiteral("picSplitter"))->isVisible());

        // The list starts one gap after the tree and reaches the right edge.
        QTreeWidget* tree = h_->tree();
        QTreeWidget* list = h_->list();
        QCOMPARE(tree->width(), scale.toPixels(h_->window.windowLayout().Splitter));
        QCOMPARE(list->x(), scale.toPixels(h_->window.windowLayout().Splitter + 40));
        QCOMPARE(list->geometry().right(), h_->window.centralWidget()->width() - 1);
    }

    void dragBarShowsWhileTheSplitterMoves() {
        sendToStrip(QEvent::MouseButtonPress, 2);
        auto* bar = h_->find<QWidget>(QStringLiteral("picSplitter"));
        QVERIFY(bar->isVisible());
        const QWidget* strip = h_->find<QWidget>(QStringLiteral("imgSplitter"));
        QCOMPARE(bar->x(), strip->x());
        QCOMPARE(bar->width(), strip->width() / 2);
        QVERIFY(bar->height() < strip->height());
        sendToStrip(QEvent::MouseButtonRelease, 2);
        QVERIFY(!bar->isVisible());
    }

    void windowSnapsBackToItsMinimumWidth() {
        h_->window.resize(40, 400);
        QCOMPARE(h_->window.scale().toTwips(h_->window.width()), 3000);
    }

    void hidingToolbarAndStatusBarGivesThePanesTheRoom() {
        QTreeWidget* tree = h_->tree();
        const QRect before(tree->mapTo(&h_->window, QPoint(0, 0)), tree->size());
        h_->trigger(QStringLiteral("mnuViewToolbar"));
        QVERIFY(!h_->find<QToolBar>(QStringLiteral("tbToolBar"))->isVisible());
        QVERIFY(!h_->action(QStringLiteral("mnuViewToolbar"))->isChecked());
        QTest::qWait(1);
        const QRect noToolbar(tree->mapTo(&h_->window, QPoint(0, 0)), tree->size());
        QVERIFY(noToolbar.top() < before.top());
        QCOMPARE(noToolbar.bottom(), before.bottom());

        h_->trigger(QStringLiteral("mnuViewStatusBar"));
        QVERIFY(!h_->window.statusBar()->isVisible());
        QTest::qWait(1);
        const QRect neither(tree->mapTo(&h_->window, QPoint(0, 0)), tree->size());
        QVERIFY(neither.bottom() > noToolbar.bottom());

        h_->trigger(QStringLiteral("mnuViewToolbar"));
        h_->trigger(QStringLiteral("mnuViewStatusBar"));
        QTest::qWait(1);
        QCOMPARE(QRect(tree->mapTo(&h_->window, QPoint(0, 0)), tree->size()), before);
    }

    void helpTopicsOpenTheContentsPage() {
        h_->trigger(QStringLiteral("mnuHelpContents"));
        h_->trigger(QStringLiteral("Help"));
        QCOMPARE(h_->help.topics, (std::vector<std::string>{"::/html/msr.htm", "::/html/msr.htm"}));
    }

    void optionsDialogEditsTheProgramsOptions() {
        QString title;
        test::WhenModal([&title](QWidget* dialog) {
            title = dialog->windowTitle();
            auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("txtUSBDelay"));
            QVERIFY(box != nullptr);
            box->setText(QStringLiteral("9"));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")),
                              Qt::LeftButton);
        });
        h_->trigger(QStringLiteral("mnuToolsOptions"));
        QCOMPARE(title, QStringLiteral("Options"));
        QCOMPARE(h_->state.options.UsbDelay, 9);
    }

    void aboutBoxShowsTheBuild() {
        frmAbout about(&h_->window);
        QCOMPARE(about.windowTitle(), QStringLiteral("About Magtune Reader"));
        const struct {
            const char* name;
            QString text;
        } labels[] = {
            {"lblTitle", QStringLiteral("Magtune Reader")},
            {"lblVersion", QStringLiteral("Version " MAGTUNE_TEST_VERSION)},
            {"lblDescription",
             QStringLiteral("Software utility for setting up Tarvik magnetic stripe readers.")},
        };
        for (const auto& l : labels) {
            auto* label = about.findChild<QLabel*>(QString::fromLatin1(l.name));
            QVERIFY2(label != nullptr, l.name);
            QCOMPARE(label->text(), l.text);
        }
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("lblCopyright"))->text().isEmpty());

        about.show();
        // This build carries no web site: no made-up address is shown.
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("lblWebsite"))->isVisible());
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("lblWebsite"))
                     ->text()
                     .contains(QStringLiteral("example")));

        frmAbout branded(QStringLiteral("https://readers.tarvik.test/"), &h_->window);
        QList<QUrl> opened;
        branded.setUrlOpener([&opened](const QUrl& url) {
            opened << url;
            return true;
        });
        branded.show();
        auto* website = branded.findChild<QLabel*>(QStringLiteral("lblWebsite"));
        QVERIFY(website->isVisible());
        emit website->linkActivated(QStringLiteral("https://readers.tarvik.test/"));
        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("https://readers.tarvik.test/"))});
        branded.close();

        QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }

    void aboutCommandShowsTheBoxOverTheWindow() {
        QWidget* shown = nullptr;
        test::WhenModal([&shown](QWidget* dialog) {
            shown = dialog;
            QCOMPARE(dialog->objectName(), QStringLiteral("frmAbout"));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")),
                              Qt::LeftButton);
        });
        h_->trigger(QStringLiteral("mnuHelpAbout"));
        QVERIFY(shown != nullptr);
    }
};

// The desktop's own editors behind the property list.
class RealEditorsTest : public QObject {
    Q_OBJECT

  private slots:
    void valueEditorChangesTheRow() {
        QTemporaryDir dir;
        test::MainWindowHarness h(dir.path(), true);
        QVERIFY(h.start());
        h.trigger(QStringLiteral("New"));
        h.clickNode(QStringLiteral("Beeps and Delays"));
        test::WhenModal([](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("frmEdit"));
            dialog->findChild<QComboBox*>(QStringLiteral("cboData"))->setCurrentIndex(3);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")),
                              Qt::LeftButton);
        });
        h.doubleClickRow(0);
        QCOMPARE(h.rows().value(0), QStringLiteral("Beep Tone=High"));
        QVERIFY(h.window.windowTitle().endsWith(QLatin1Char('*')));
        QVERIFY(h.state.store.Modified);
    }

    void stringInputStoresTheTerminator() {
        QTemporaryDir dir;
        test::MainWindowHarness h(dir.path(), true);
        QVERIFY(h.start());
        h.trigger(QStringLiteral("New"));
        h.clickNode(QStringLiteral("RS232"));
        QString caption;
        test::WhenModal([&caption](QWidget* dialog) {
            caption = dialog->windowTitle();
            dialog->findChild<QLineEdit*>(QStringLiteral("txtInput"))
                ->setText(QStringLiteral("<r>"));
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")),
                              Qt::LeftButton);
        });
        h.clickRow(8);
        QTest::keyClick(h.list(), Qt::Key_Return);
        QCOMPARE(caption, QStringLiteral("Define Receive Terminator"));
        QCOMPARE(h.rows().value(8), QStringLiteral("Receive Terminator=\"<r>\""));
        QCOMPARE(h.state.store.settings.ReceiveTerminator.byte, 0x0D);
        QCOMPARE(h.selectedRow(), 8);
    }
};

int RunMainWindowTests(int argc, char** argv) {
    MainWindowTest window;
    RealEditorsTest editors;
    return QTest::qExec(&window, argc, argv) | QTest::qExec(&editors, argc, argv);
}

}  // namespace magtune::shell

#include "MainWindowTest.moc"
