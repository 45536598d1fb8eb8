#include <QApplication>
#include <QtTest>

#include "shell/select/SelectionDialogsTest.h"
#include "shell/select/SerialRoadTest.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    magtune::shell::SelectionDialogsTest dialogs;
    magtune::shell::SerialRoadTest road;
    int failures = QTest::qExec(&dialogs, argc, argv);
    failures += QTest::qExec(&road, argc, argv);
    return failures == 0 ? 0 : 1;
}
