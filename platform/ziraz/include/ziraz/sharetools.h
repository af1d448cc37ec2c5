// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small shared helpers of the toolkit.
#include <QString>

#include <functional>

class QLayout;

namespace ShareTools {

// Writes one diagnostic line (to the debug output, or to the handler when
// one is set).
void debugMessage(const QString& text);
// Routes debugMessage to `handler` (an empty function restores the debug
// output) and returns the previous handler.
std::function<void(const QString&)> setDebugMessageHandler(std::function<void(const QString&)> handler);

// Empties a layout: every item is removed, nested layouts are emptied and
// deleted, widgets are hidden and deleted later (so a widget whose own
// signal led here survives until control returns to the event loop).
void clearLayout(QLayout* layout);

}  // namespace ShareTools
