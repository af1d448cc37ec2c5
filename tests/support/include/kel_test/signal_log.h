// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Records a signal's arguments the way the program's pages receive them: on
// the thread that made the log (the test's main thread), directly when the
// signal is emitted there and queued when a worker emits it. Unlike
// QSignalSpy, the list is never written by another thread while the test
// reads it, and the order is the order the pages see.
#include <QList>
#include <QObject>
#include <QVariant>

#include <type_traits>

namespace kel_test {

class SignalLog : public QObject, public QList<QList<QVariant>> {
public:
    template <typename Sender, typename... Args>
    SignalLog(const Sender* sender, void (Sender::*signal)(Args...)) {
        QObject::connect(sender, signal, this, [this](Args... args) {
            append(QList<QVariant>{QVariant::fromValue(std::decay_t<Args>(args))...});
        });
    }
    // Every first argument, as integers (the result codes of most signals).
    QList<int> Ints(int argument = 0) const {
        QList<int> out;
        for (const auto& args : *this) out.append(args.value(argument).toInt());
        return out;
    }
};

}  // namespace kel_test
