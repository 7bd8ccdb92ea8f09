#pragma once

// Work that would hold up the UI thread for milliseconds (a key's
// derivation, a file checked or written) runs on Qt's thread pool; its
// result comes back through the UI thread's event loop, never by waiting.

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <functional>
#include <utility>

namespace tavrin {

// Runs work on a pool thread and hands what it returns to done on the UI
// thread, unless context (an object of the UI thread) is gone by then.
// work must touch no widget and nothing the UI thread changes meanwhile.
template <typename Work, typename Done>
void offUiThread(QObject *context, Work work, Done done)
{
    QThreadPool::globalInstance()->start([guard = QPointer<QObject>(context), work = std::move(work),
                                          done = std::move(done)]() mutable {
        auto result = work();
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app,
                [guard, done, result = std::move(result)]() mutable {
                    if (guard)
                        done(std::move(result));
                },
                Qt::QueuedConnection);
    });
}

} // namespace tavrin
