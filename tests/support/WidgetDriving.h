#pragma once

#include <QApplication>
#include <QString>
#include <QTest>
#include <QWidget>

namespace magtune::test {

// A control of a window by its object name; a missing control ends the test
// program, since every later step would only fail on a null pointer.
template <typename Widget>
Widget* Child(QWidget& parent, const char* name) {
    auto* widget = parent.findChild<Widget*>(QString::fromLatin1(name));
    if (!widget) {
        qFatal("no control %s", name);
    }
    return widget;
}

// Shows a window and waits until it is the active one (focus checks need it).
inline void ShowActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

inline void Click(QWidget& parent, const char* name) {
    QTest::mouseClick(Child<QWidget>(parent, name), Qt::LeftButton);
}

}  // namespace magtune::test
