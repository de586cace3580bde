#pragma once
// Answers modal windows in tests: once a modal window is on screen, the given action runs on it
// (typically sending keys). A window that is still open after the action, or that never gets an
// answer, is closed after a few seconds so that a failing test cannot hang.

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace vektest {

inline void answerModal(std::function<void(QWidget*)> action, int giveUpMs = 5000) {
    auto* timer = new QTimer(qApp);
    auto elapsed = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, elapsed, giveUpMs, action = std::move(action)] {
        *elapsed += 10;
        QWidget* w = QApplication::activeModalWidget();
        // Wait until the window also has the keyboard (activation may come a little later).
        const bool ready = w && (w->isActiveWindow() || *elapsed >= 1000);
        if (ready && action) {
            timer->stop();
            timer->deleteLater();
            const QPointer<QDialog> dialog = qobject_cast<QDialog*>(w);
            action(w);
            // Left open by the action: close it later rather than hang the test.
            QTimer::singleShot(giveUpMs, qApp, [dialog] {
                if (dialog && dialog->isVisible())
                    dialog->done(-1);
            });
            return;
        }
        if (*elapsed >= giveUpMs) {
            timer->stop();
            timer->deleteLater();
            if (auto* d = qobject_cast<QDialog*>(w))
                d->done(-1);
        }
    });
    timer->start();
}

} // namespace vektest
