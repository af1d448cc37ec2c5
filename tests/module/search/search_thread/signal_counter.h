// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Counts a signal's emissions under a std::mutex, so that what the emitting
// thread wrote before the signal is seen by the reader of the count, also
// by race checkers that do not see Qt's own locks.
#include <QObject>

#include <mutex>

namespace search_test {

class SignalCounter {
public:
    template <class Sender, class Signal>
    SignalCounter(Sender* sender, Signal signal) {
        QObject::connect(sender, signal, &m_context, [this] {
            std::lock_guard<std::mutex> g(m_mutex);
            ++m_count;
        }, Qt::DirectConnection);
    }

    int count() {
        std::lock_guard<std::mutex> g(m_mutex);
        return m_count;
    }

private:
    std::mutex m_mutex;
    int m_count = 0;
    QObject m_context;  // destroyed first: no call after the members above are gone
};

}  // namespace search_test
