// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a second start of a program says when one runs already with the same
// program folder (the second start then ends without a window of its own).
#include <QString>

// The message for `program` (its shown name): the folder on a line of its
// own, so that it is never broken, and what to do.
QString RunningInstanceText(const QString& program);
// Tells it on the error output and in a message that closes by itself after
// a few seconds.
void TellRunningInstance(const QString& program);
